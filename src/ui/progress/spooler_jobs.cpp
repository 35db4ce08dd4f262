#include "ui/progress/spooler_jobs.h"

#include <cstdint>
#include <cstring>
#include <optional>
#include <vector>

#include "foundation/debug_log.h"
#include "foundation/request_block.h"
#include "platform/seh_guard.h"
#include "ui/progress/progress_meter.h"

namespace {

// A copy of the caller's block, its size taken from its first word; nothing
// when that memory cannot be read or the size is out of range.
std::optional<std::vector<std::uint8_t>> CopyBlock(const void* block) {
  std::uint32_t total = 0;
  if (!moni::Guarded([&] { std::memcpy(&total, block, sizeof total); })) return std::nullopt;
  if (total < moni::request::kHeaderSize || total > moni::request::kMaxBlockSize) return std::nullopt;
  std::vector<std::uint8_t> bytes(total);
  if (!moni::Guarded([&] { std::memcpy(bytes.data(), block, total); })) return std::nullopt;
  return bytes;
}

}  // namespace

int IsPrintingPortFile(const void* jobDescription, DWORD* jobNumber) {
  CDebugLog log("IsPrintingPortFile");
  moni::request::PortFileJob job;
  if (jobDescription) {
    const auto bytes = CopyBlock(jobDescription);
    const auto block = bytes ? moni::request::Block::Read(*bytes) : std::nullopt;
    if (block) {
      job = moni::request::ReadPortFileJob(*block);
    } else {
      log.Write("job description ignored\n");
    }
  }
  if (jobNumber) *jobNumber = job.jobId;
  log.Write("port file : %d, JobID : %08x\n", job.portFile ? 1 : 0, job.jobId);
  return job.portFile ? 1 : 0;
}

int WaitForPrintingCompletion(const std::wstring& printer, const std::wstring& port, DWORD jobNumber) {
  CDebugLog log("WaitForPrintingCompletion");
  log.Write("JobID : %08x\n", jobNumber);
  CProgressMeter meter;
  meter.Initialize(printer, port);
  meter.SetParam(CProgressMeter::kAutoClearMask, 0xFFFFFFFF);
  meter.AddPMJob(jobNumber, 0);
  meter.Destroy();
  return 1;
}
