// The progress meter's portable core (no windows.h): the job record that the
// meter fills and the status window copies, the progress library's job
// information numbers and commands, and the wait-reason decisions.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>

namespace moni::progress {

// The job record, little-endian, 596 bytes. Natural alignment gives exactly
// this layout; the asserts below keep it so.
struct JobRecord {
  std::uint32_t dwJobId;          // Windows job id
  std::uint32_t dwParam;          // option given with the job; non-zero: shown by the progress meter
  char16_t szDocument[64];        // document name, terminated
  std::uint16_t wPaperCodes[3];   // job information 21
  char16_t szPaperSource[64];     // job information 24
  char16_t szMediaType[64];       // job information 25
  char16_t szPaperSize[64];       // job information 26
  std::uint16_t wUnused1;
  std::uint32_t dwJobStatus;      // job information 101
  std::uint32_t dwSheets[2];      // job information 102
  std::uint32_t dwProgress[2];    // job information 103: current, total
  std::uint32_t bInfo104;         // 1 when job information 104 was read
  std::uint32_t dwInfo104;
  std::uint8_t HostInfo[34];      // job information 4: length, kind m1, 32 bytes of data
  std::uint16_t wUnused2;
  std::uint32_t bHostInfo;        // 1 when the host information was read
};
static_assert(sizeof(JobRecord) == 596);
static_assert(offsetof(JobRecord, wPaperCodes) == 136 && offsetof(JobRecord, szPaperSource) == 142);
static_assert(offsetof(JobRecord, szMediaType) == 270 && offsetof(JobRecord, szPaperSize) == 398);
static_assert(offsetof(JobRecord, dwJobStatus) == 528 && offsetof(JobRecord, dwSheets) == 532);
static_assert(offsetof(JobRecord, dwProgress) == 540 && offsetof(JobRecord, bInfo104) == 548);
static_assert(offsetof(JobRecord, HostInfo) == 556 && offsetof(JobRecord, bHostInfo) == 592);

inline constexpr std::size_t kHostInfoSize = 34;
inline constexpr std::size_t kHostInfoBlock = 40;  // host information, padding and its read flag
inline constexpr std::size_t kNameUnits = 64;      // units kept of each name, terminator included

// Job information numbers.
enum JobInfo : std::uint32_t {
  kInfoWinJobId = 3,
  kInfoHost = 4,
  kInfoPaperCodes = 21,
  kInfoInkSet = 22,
  kInfoDocument = 23,
  kInfoPaperSource = 24,
  kInfoMediaType = 25,
  kInfoPaperSize = 26,
  TLM_JOBINFO_JOBSTATUS = 101,
  TLM_JOBINFO_SHEETS = 102,
  TLM_JOBINFO_PROGRESS = 103,
  kInfo104 = 104,
  TLM_JOBINFO_COMMAND = 201,
  TLM_JOBINFO_DELREASON = 202,
  kInfoWaitFlags = 203,
};

// Commands set with TLM_JOBINFO_COMMAND (and the meter's pending command).
enum JobCommand : std::uint32_t {
  TLM_COMMAND_PAUSE = 1,
  TLM_COMMAND_RESUME = 2,
  TLM_COMMAND_DELETE = 3,
  TLM_COMMAND_BKSAVE = 10,
  TLM_COMMAND_CONTIN_MSGON = 11,
  TLM_COMMAND_CONTIN_MSGOFF = 12,
};

// Job status bits.
inline constexpr std::uint32_t kJobStatusNoPauseResume = 0x8;
inline constexpr std::uint32_t kJobStatusPaused = 0x10;

// Wait-reason bits with a meaning of their own to the meter.
inline constexpr std::uint32_t kWaitInkSet = 0x8;           // needs the job's ink set data
inline constexpr std::uint32_t kWaitNotReported = 0x20;     // cleared by the window without telling the job
inline constexpr std::uint32_t kWaitClearAtOnce = 0x80000000;  // cleared in the job as soon as it is seen

// The wait reason the window handles first: the first set bit in the order
// 0x1, 0x4000, 0x8000, 0x40, 0x80, 0x100, 0x20, 0x10, 0x200, 0x8, 0x400, 0x2,
// 0x4, 0x2000, then the lowest other set bit; 0 when no bit is set.
std::uint32_t SelectWaitReason(std::uint32_t flags);

// The bits that the window cleared (before -> now) and that are to be reported
// to the job: all cleared bits, except when exactly 0x20 was cleared.
std::uint32_t ClearedBitsToReport(std::uint32_t before, std::uint32_t now);

// The remote service's pipe endpoint: "\pipe\" and the service name, or the
// default name when the service name is empty.
std::u16string RemoteEndpoint(const std::u16string& serviceName);

// The server part of a printer name ("\\server\printer" gives "server"); empty
// when the name does not name a printer on a server.
std::u16string ServerOfPrinter(const std::u16string& printer);
// The printer name without its server part.
std::u16string PrinterWithoutServer(const std::u16string& printer);

}  // namespace moni::progress
