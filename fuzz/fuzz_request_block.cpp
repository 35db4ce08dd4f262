// The request block reader over arbitrary bytes: a block it accepts lies
// within the bytes given, and so does every span it hands out; reading its
// job entries never goes outside it.
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
  Check(block->TotalSize() >= kHeaderSize && block->TotalSize() <= size);
  Check(Within(block->DataArea(), owned.get(), block->TotalSize()));
  for (const Entry& entry : block->Entries()) Check(Within(block->Value(entry), owned.get(), block->TotalSize()));
  const PortFileJob job = ReadPortFileJob(*block);
  if (job.portFile) Check(block->DataAreaHas(kMarkPortFile));
  const WindowRequest request = ReadWindowRequest(*block);
  Check(request.kind != RequestKind::AddJob || request.jobId != 0);
  return 0;
}
