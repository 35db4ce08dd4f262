// The progress library stand-in's engine: the TLMA_ operations over the job
// scenarios of the printers, shared by the local library (tlipgi10.dll) and
// the remote service (tlpgsvc.exe). One lock guards all state.
//
// Scenario folder: %PGSIM_DIR% when set, else "PGSim" in the common
// application data folder; one file per printer, "printer-<name>.ini" named
// as the printer simulator names its files. Every call is appended to
// journal.log there:
//   <process id> <operation> <printer> <library job id> <information> <value> <result>
// with blanks in the printer name written as %20 and "-" for a field that does
// not apply; ids and values as 0x%08X, information numbers in decimal.
#pragma once
#include <cstdint>
#include <string>

namespace pgsim {

// What a call comes to: its result, or a structured exception to raise.
struct Outcome {
  std::uint32_t result = 0;
  bool seh = false;
};

Outcome Load(const std::wstring& printer, const std::wstring& library);
Outcome Free(std::uint32_t instance);
Outcome Open(const std::wstring& printer, const std::wstring& port, std::uint32_t level, std::uint32_t jobId);
Outcome Close(std::uint32_t handle);
Outcome Test(std::uint32_t handle);
Outcome GetCurrentJob(std::uint32_t handle);
Outcome TestJob(std::uint32_t handle, std::uint32_t job);
Outcome SetJobInfo(std::uint32_t handle, std::uint32_t job, std::uint32_t info, std::uint32_t value);
// `buffer` may be null (a size query); `needed` always gets the data's size.
Outcome GetJobInfo(std::uint32_t handle, std::uint32_t job, std::uint32_t info, std::uint8_t* buffer, std::uint32_t size,
                   std::uint32_t* needed);
Outcome StartProgress(std::uint32_t handle, std::uint32_t job);
Outcome EndProgress(std::uint32_t handle, std::uint32_t job);

}  // namespace pgsim
