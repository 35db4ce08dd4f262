// The request block reader over arbitrary bytes, as a job description or as
// the status window receives it with WM_COPYDATA: a block it accepts lies
// within the bytes given, and so does every span it hands out; reading its
// job entries never goes outside it; and bytes past the block's own total
// size (a message may carry more than its block) change nothing.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>
#include <span>

#include "foundation/request_block.h"

namespace {

using namespace moni::request;

void Check(bool condition) {
  if (!condition) __builtin_trap();
}

bool Within(std::span<const std::uint8_t> part, const std::uint8_t* begin, std::size_t size) {
  return part.empty() || (part.data() >= begin && part.data() + part.size() <= begin + size);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  // A copy of exactly `size` bytes, so a read past it is caught.
  auto owned = std::make_unique<std::uint8_t[]>(size ? size : 1);
  if (size) std::memcpy(owned.get(), data, size);
  const auto block = Block::Read(std::span<const std::uint8_t>(owned.get(), size));
  if (!block) return 0;
  const std::size_t total = block->TotalSize();
  Check(total >= kHeaderSize && total <= size);
  Check(Within(block->DataArea(), owned.get(), total));
  for (const Entry& entry : block->Entries()) Check(Within(block->Value(entry), owned.get(), total));
  const PortFileJob job = ReadPortFileJob(*block);
  if (job.portFile) Check(block->DataAreaHas(kMarkPortFile));
  const WindowRequest request = ReadWindowRequest(*block);
  Check(request.kind != RequestKind::AddJob || request.jobId != 0);
  Check((request.kind == RequestKind::None) == block->DataAreaHas(kMarkNoRequest));

  // The same block cut to its total size reads the same.
  auto exact = std::make_unique<std::uint8_t[]>(total);
  std::memcpy(exact.get(), owned.get(), total);
  const auto again = Block::Read(std::span<const std::uint8_t>(exact.get(), total));
  Check(again.has_value() && again->TotalSize() == total && again->Entries().size() == block->Entries().size());
  const WindowRequest same = ReadWindowRequest(*again);
  Check(same.kind == request.kind && same.jobId == request.jobId && same.option == request.option);
  const PortFileJob sameJob = ReadPortFileJob(*again);
  Check(sameJob.portFile == job.portFile && sameJob.jobId == job.jobId);
  return 0;
}
