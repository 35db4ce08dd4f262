#include "png.h"

#include <array>
#include <cstdlib>

namespace moni::picture {
namespace {

std::uint32_t Crc32(const std::uint8_t* data, std::size_t size, std::uint32_t crc = 0) {
  static const std::array<std::uint32_t, 256> table = [] {
    std::array<std::uint32_t, 256> t{};
    for (std::uint32_t n = 0; n < 256; ++n) {
      std::uint32_t c = n;
      for (int k = 0; k < 8; ++k) c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
      t[n] = c;
    }
    return t;
  }();
  crc = ~crc;
  for (std::size_t i = 0; i < size; ++i) crc = table[(crc ^ data[i]) & 0xFF] ^ (crc >> 8);
  return ~crc;
}

void PutBig32(std::string& out, std::uint32_t v) {
  for (int shift = 24; shift >= 0; shift -= 8) out.push_back(static_cast<char>((v >> shift) & 0xFF));
}

void Chunk(std::string& out, const char type[4], const std::string& data) {
  PutBig32(out, static_cast<std::uint32_t>(data.size()));
  std::string body(type, 4);
  body += data;
  out += body;
  PutBig32(out, Crc32(reinterpret_cast<const std::uint8_t*>(body.data()), body.size()));
}

// The zlib stream of `raw` in stored (uncompressed) deflate blocks.
std::string StoredZlib(const std::string& raw) {
  std::string z("\x78\x01", 2);
  std::uint32_t a = 1, b = 0;
  for (unsigned char c : raw) {
    a = (a + c) % 65521;
    b = (b + a) % 65521;
  }
  constexpr std::size_t kBlock = 65535;
  std::size_t pos = 0;
  do {
    const std::size_t n = raw.size() - pos < kBlock ? raw.size() - pos : kBlock;
    const bool last = pos + n == raw.size();
    z.push_back(last ? 1 : 0);
    z.push_back(static_cast<char>(n & 0xFF));
    z.push_back(static_cast<char>(n >> 8));
    z.push_back(static_cast<char>(~n & 0xFF));
    z.push_back(static_cast<char>((~n >> 8) & 0xFF));
    z.append(raw, pos, n);
    pos += n;
  } while (pos < raw.size());
  PutBig32(z, (b << 16) | a);
  return z;
}

bool Consistent(const Picture& p) {
  return p.width > 0 && p.height > 0 && p.bgrx.size() == static_cast<std::size_t>(p.width) * p.height * 4;
}

}  // namespace

std::string EncodePng(const Picture& picture) {
  if (!Consistent(picture)) return {};
  std::string header;
  PutBig32(header, static_cast<std::uint32_t>(picture.width));
  PutBig32(header, static_cast<std::uint32_t>(picture.height));
  header += std::string("\x08\x02\x00\x00\x00", 5);  // 8 bits, RGB, deflate, no filter, no interlace
  std::string raw;
  raw.reserve(static_cast<std::size_t>(picture.height) * (1 + 3 * static_cast<std::size_t>(picture.width)));
  for (int y = 0; y < picture.height; ++y) {
    raw.push_back(0);  // filter: none
    const std::uint8_t* row = picture.bgrx.data() + static_cast<std::size_t>(y) * picture.width * 4;
    for (int x = 0; x < picture.width; ++x) {
      raw.push_back(static_cast<char>(row[4 * x + 2]));
      raw.push_back(static_cast<char>(row[4 * x + 1]));
      raw.push_back(static_cast<char>(row[4 * x]));
    }
  }
  std::string png("\x89PNG\r\n\x1a\n", 8);
  Chunk(png, "IHDR", header);
  Chunk(png, "IDAT", StoredZlib(raw));
  Chunk(png, "IEND", {});
  return png;
}

bool IsBlank(const Picture& picture) {
  if (!Consistent(picture)) return true;
  constexpr int kTolerance = 8;
  const std::uint8_t* first = picture.bgrx.data();
  for (std::size_t i = 0; i < picture.bgrx.size(); i += 4) {
    for (int c = 0; c < 3; ++c) {
      if (std::abs(int(picture.bgrx[i + c]) - int(first[c])) > kTolerance) return false;
    }
  }
  return true;
}

}  // namespace moni::picture
