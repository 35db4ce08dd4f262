// The request block (portable core, no windows.h): the job description that a
// host hands to PrMonitoringStart and that one status window instance sends to
// another with WM_COPYDATA. Another process builds it, so nothing in it is
// trusted: every offset and length is checked against the block's own size,
// and a block that points outside itself is refused as a whole.
//
// Layout, little-endian 32-bit words:
//   header   0 total size (the whole block, header included)
//            4 entry-table offset   8 entry-table size   12 not used
//           16 entry count         20 data size
//   table    `entry count` entries of 16 bytes at the entry-table offset:
//            data offset (from the start of the block), data length in bytes,
//            key, a word not used
//   data     `data size` bytes at entry-table offset + entry-table size
#pragma once
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <utility>
#include <vector>

namespace moni::request {

inline constexpr std::size_t kHeaderSize = 24;
inline constexpr std::size_t kEntrySize = 16;
// Larger blocks are not taken from another process (real ones are a few
// hundred bytes).
inline constexpr std::uint32_t kMaxBlockSize = 1u << 20;

// Entry keys the monitor reads.
inline constexpr std::uint32_t kKeyJobId = 10;
inline constexpr std::uint32_t kKeyOption = 11;

// Marks in the data area: a job printing to a port file, and a request that
// asks the status window for nothing.
inline constexpr std::uint8_t kMarkPortFile = 7;
inline constexpr std::uint8_t kMarkNoRequest = 8;

struct Entry {
  std::uint32_t offset = 0;  // from the start of the block; 0 means no value
  std::uint32_t length = 0;
  std::uint32_t key = 0;
};

// A block that passed every check; its spans point into the bytes it was read from.
class Block {
 public:
  // Reads `bytes` (what could be copied of the block). Nullopt when the block
  // is to be ignored: total size 0, below the header, above kMaxBlockSize or
  // above the bytes at hand; a table or data area or any entry's value outside
  // the block; more entries than the table holds.
  static std::optional<Block> Read(std::span<const std::uint8_t> bytes);

  std::uint32_t TotalSize() const { return static_cast<std::uint32_t>(m_block.size()); }
  std::span<const std::uint8_t> DataArea() const { return m_data; }
  const std::vector<Entry>& Entries() const { return m_entries; }
  std::span<const std::uint8_t> Value(const Entry& entry) const { return m_block.subspan(entry.offset, entry.length); }

  // Whether the data area holds a byte of that value.
  bool DataAreaHas(std::uint8_t mark) const;

  // The decimal number of the last entry with `key`, a non-zero data offset
  // and a value that is a number (values that are not are passed over).
  // `found` (optional) tells whether there was such an entry at all.
  std::optional<std::uint32_t> LastDecimal(std::uint32_t key, bool* found = nullptr) const;

 private:
  std::span<const std::uint8_t> m_block, m_data;
  std::vector<Entry> m_entries;
};

// A well-formed block as a host writes it: one table entry per value (key,
// bytes), the values in order in the data area, then `extra` bytes there. The
// monitor itself only reads blocks; hosts, tools and tests write them.
std::vector<std::uint8_t> WriteBlock(const std::vector<std::pair<std::uint32_t, std::string>>& values,
                                     const std::string& extra = {});

// The decimal number that a value holds as text, single-byte or UTF-16LE
// (every second byte zero): blanks before it skipped, digits up to the first
// other character or terminating zero. Nullopt without digits or above 32 bits.
std::optional<std::uint32_t> ParseDecimalValue(std::span<const std::uint8_t> value);

// What IsPrintingPortFile reads from a job description.
struct PortFileJob {
  bool portFile = false;     // the data area holds the port-file mark and a job entry was found
  std::uint32_t jobId = 0;   // the last job entry's number (0 when none or not a number)
};
PortFileJob ReadPortFileJob(const Block& block);

// What the status window makes of a request.
enum class RequestKind { None = 1, Detail = 2, AddJob = 3 };
struct WindowRequest {
  RequestKind kind = RequestKind::Detail;
  std::uint32_t jobId = 0;
  std::uint32_t option = 0;
};
WindowRequest ReadWindowRequest(const Block& block);

}  // namespace moni::request
