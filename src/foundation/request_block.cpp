#include "foundation/request_block.h"

#include <algorithm>

namespace moni::request {

namespace {

std::uint32_t Word(std::span<const std::uint8_t> bytes, std::size_t at) {
  return static_cast<std::uint32_t>(bytes[at]) | static_cast<std::uint32_t>(bytes[at + 1]) << 8 |
         static_cast<std::uint32_t>(bytes[at + 2]) << 16 | static_cast<std::uint32_t>(bytes[at + 3]) << 24;
}

// Whether [offset, offset + length) lies within `size` bytes (no overflow: 64-bit sums of 32-bit values).
bool Inside(std::uint64_t offset, std::uint64_t length, std::uint64_t size) { return offset <= size && length <= size - offset; }

}  // namespace

std::optional<Block> Block::Read(std::span<const std::uint8_t> bytes) {
  if (bytes.size() < kHeaderSize) return std::nullopt;
  const std::uint32_t total = Word(bytes, 0);
  if (total < kHeaderSize || total > kMaxBlockSize || total > bytes.size()) return std::nullopt;
  const std::uint32_t tableOffset = Word(bytes, 4), tableSize = Word(bytes, 8);
  const std::uint32_t count = Word(bytes, 16), dataSize = Word(bytes, 20);
  if (!Inside(tableOffset, tableSize, total)) return std::nullopt;
  if (static_cast<std::uint64_t>(count) * kEntrySize > tableSize) return std::nullopt;
  const std::uint64_t dataOffset = static_cast<std::uint64_t>(tableOffset) + tableSize;
  if (!Inside(dataOffset, dataSize, total)) return std::nullopt;

  Block block;
  block.m_block = bytes.first(total);
  block.m_data = block.m_block.subspan(static_cast<std::size_t>(dataOffset), dataSize);
  block.m_entries.reserve(count);
  for (std::uint32_t i = 0; i < count; ++i) {
    const std::size_t at = tableOffset + static_cast<std::size_t>(i) * kEntrySize;
    Entry entry{Word(bytes, at), Word(bytes, at + 4), Word(bytes, at + 8)};
    if (!Inside(entry.offset, entry.length, total)) return std::nullopt;
    block.m_entries.push_back(entry);
  }
  return block;
}

bool Block::DataAreaHas(std::uint8_t mark) const { return std::find(m_data.begin(), m_data.end(), mark) != m_data.end(); }

std::optional<std::uint32_t> Block::LastDecimal(std::uint32_t key, bool* found) const {
  std::optional<std::uint32_t> number;
  bool any = false;
  for (const Entry& entry : m_entries) {
    if (entry.key != key || entry.offset == 0) continue;
    any = true;
    if (const auto value = ParseDecimalValue(Value(entry))) number = value;
  }
  if (found) *found = any;
  return number;
}

std::optional<std::uint32_t> ParseDecimalValue(std::span<const std::uint8_t> value) {
  // UTF-16LE when it has two bytes or more and every second byte is zero.
  bool wide = value.size() >= 2;
  for (std::size_t i = 1; wide && i < value.size(); i += 2) wide = value[i] == 0;
  const std::size_t step = wide ? 2 : 1;
  std::size_t i = 0;
  while (i < value.size() && (value[i] == ' ' || value[i] == '\t')) i += step;
  std::uint64_t number = 0;
  std::size_t digits = 0;
  for (; i < value.size() && value[i] >= '0' && value[i] <= '9'; i += step, ++digits) {
    number = number * 10 + (value[i] - '0');
    if (number > 0xFFFFFFFFu) return std::nullopt;
  }
  if (digits == 0) return std::nullopt;
  return static_cast<std::uint32_t>(number);
}

PortFileJob ReadPortFileJob(const Block& block) {
  PortFileJob job;
  bool found = false;
  job.jobId = block.LastDecimal(kKeyJobId, &found).value_or(0);
  job.portFile = found && block.DataAreaHas(kMarkPortFile);
  return job;
}

WindowRequest ReadWindowRequest(const Block& block) {
  WindowRequest request;
  if (block.DataAreaHas(kMarkNoRequest)) {
    request.kind = RequestKind::None;
    return request;
  }
  request.jobId = block.LastDecimal(kKeyJobId).value_or(0);
  request.option = block.LastDecimal(kKeyOption).value_or(0);
  if (request.jobId != 0) request.kind = RequestKind::AddJob;
  return request;
}

std::vector<std::uint8_t> WriteBlock(const std::vector<std::pair<std::uint32_t, std::string>>& values,
                                     const std::string& extra) {
  const std::size_t tableSize = values.size() * kEntrySize, data = kHeaderSize + tableSize;
  std::string area;
  for (const auto& value : values) area += value.second;
  area += extra;
  std::vector<std::uint8_t> block(data + area.size());
  const auto put = [&block](std::size_t at, std::size_t word) {
    for (int i = 0; i < 4; ++i) block[at + i] = static_cast<std::uint8_t>(word >> (8 * i));
  };
  put(0, block.size());
  put(4, kHeaderSize);
  put(8, tableSize);
  put(16, values.size());
  put(20, area.size());
  std::size_t at = data;
  for (std::size_t i = 0; i < values.size(); ++i) {
    put(kHeaderSize + i * kEntrySize, at);
    put(kHeaderSize + i * kEntrySize + 4, values[i].second.size());
    put(kHeaderSize + i * kEntrySize + 8, values[i].first);
    at += values[i].second.size();
  }
  std::copy(area.begin(), area.end(), block.begin() + static_cast<std::ptrdiff_t>(data));
  return block;
}

}  // namespace moni::request
