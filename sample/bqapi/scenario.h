// What the printer simulator reads: INI text, a printer's scenario and the
// results it injects, the file name of a printer's scenario. No Windows API
// here; the simulator proper (simulator.cpp) does the files and the calls.
#pragma once
#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace bqsim {

// Sections and their keys, names in lower case. Only whole lines are comments
// (';' or '#'), since values such as the device identifier hold semicolons.
// The first of several equal keys counts.
using IniSection = std::map<std::string, std::string>;
using IniFile = std::map<std::string, IniSection>;
IniFile ParseIni(std::string_view text);

// A result that replaces what a call would do: a number, or a structured
// exception raised inside the call.
struct Injected {
  int result = 0;
  bool seh = false;
};
// "seh", or a decimal or 0x-hexadecimal 32-bit number.
std::optional<Injected> ParseInjected(std::string_view text);

// Bytes from hexadecimal text; blanks between digits are ignored.
std::optional<std::string> ParseHexBytes(std::string_view text);

struct ChannelOffer {
  std::uint32_t channel = 0;
  std::uint16_t mode = 0;
};

struct Scenario {
  std::string deviceId;
  std::vector<ChannelOffer> channels;
  unsigned advanceMs = 0;  // 0: the next reply on each call
  bool wrap = false;       // after the last reply: wrap to the first, else stay
  std::vector<std::optional<std::string>> replies;  // nullopt: "-", no status
  // "<export>" for every call, "<export>@<n>" for the n-th; export names in lower case.
  std::map<std::string, Injected> inject;
  std::vector<std::pair<std::string, std::string>> commands;  // command prefix, reply
  std::string agentHost, agentPort;  // empty: no agent

  const ChannelOffer* Offer(std::uint32_t channel) const;
  // What the n-th call (from 1) of `exportName` returns instead, if anything.
  std::optional<Injected> InjectionFor(std::string_view exportName, unsigned n) const;
  // The reply of the longest command that `data` starts with.
  const std::string* CommandReply(std::string_view data) const;
};

// The scenario in `text`; nullopt with the reason in `error` when a value is
// not what its key expects (a scenario with a typo fails loudly, not quietly).
std::optional<Scenario> ParseScenario(std::string_view text, std::string& error);

// "printer-<name>.ini" (open type 1) or "port-<name>.ini" (open type 0), every
// byte outside A-Z a-z 0-9 - _ . and the blank written as %XX.
std::string ScenarioFileName(int openType, std::string_view name);

}  // namespace bqsim
