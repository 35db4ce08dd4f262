// What the progress library stand-in reads: the job scenario of one printer
// (the jobs its port prints, their progress over time, wait flags and how they
// react to pause, resume and delete) and the results it injects. No Windows
// API here; the engine (engine.cpp) keeps the jobs running.
#pragma once
#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "../bqapi/scenario.h"

namespace pgsim {

struct JobScript {
  std::uint32_t winJobId = 0;
  std::uint32_t libJobId = 0;
  std::u16string document, paperSource, mediaType, paperSize;
  std::optional<std::vector<std::uint16_t>> paperCodes;  // three; none: information 21 fails
  std::uint32_t sheets[2] = {1, 1};
  std::uint32_t total = 100;         // progress total; current runs from 0 to it over the duration
  std::optional<unsigned> durationMs;  // none: the job stays until deleted
  std::uint32_t status = 0;
  std::optional<std::uint32_t> info104;
  std::optional<std::string> host;     // information 4: length, kind, data (34 bytes)
  std::uint32_t wait = 0;              // wait flags raised after waitAfterMs of running
  unsigned waitAfterMs = 0;
  std::optional<std::vector<std::uint16_t>> inkSet;  // count then entries; none: information 22 fails
  bool pauses = true, resumes = true, deletes = true;
};

struct JobScenario {
  std::vector<JobScript> jobs;  // in the order the port prints them
  // "<operation>", "<operation>:<information>", each optionally "@<n>" for
  // the n-th call; operation names in lower case ("tlma_getjobinfo").
  std::map<std::string, bqsim::Injected> inject;

  std::optional<bqsim::Injected> InjectionFor(std::string_view operation, std::optional<std::uint32_t> info, unsigned nthCall,
                                              unsigned nthInfoCall) const;
};

// The scenario in `text` (UTF-8); nullopt with the reason in `error` when a
// value is not what its key expects.
std::optional<JobScenario> ParseJobScenario(std::string_view text, std::string& error);

// The operations the stand-in serves, for [Inject] and the journal.
inline constexpr const char* kOperations[] = {
    "TLMA_Load", "TLMA_Free", "TLMA_Open", "TLMA_Close", "TLMA_Test", "TLMA_GetCurrentJob", "TLMA_TestJob",
    "TLMA_SetJobInfo", "TLMA_GetJobInfo", "TLMA_StartProgress", "TLMA_EndProgress"};

}  // namespace pgsim
