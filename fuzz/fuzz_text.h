// The fuzz input as UTF-16 text, shared by the targets that read texts: bytes
// below 0x80 stand for themselves and the byte 0xFF followed by two bytes
// gives any other character, so that separators stay cheap to reach. The text
// lives on the heap without room to spare (and with its terminator), so that a
// read past it is caught.
#pragma once
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

namespace moni::fuzztext {

class HeapText {
 public:
  HeapText(const std::uint8_t* data, std::size_t size) {
    std::u16string text;
    for (std::size_t i = 0; i < size; ++i) {
      if (data[i] == 0xFF && i + 2 < size) {
        text.push_back(static_cast<char16_t>(data[i + 1] | (data[i + 2] << 8)));
        i += 2;
      } else {
        text.push_back(static_cast<char16_t>(data[i]));
      }
    }
    m_chars = std::make_unique<char16_t[]>(text.size() + 1);
    std::copy(text.begin(), text.end(), m_chars.get());
    m_chars[text.size()] = u'\0';
    m_size = text.size();
  }
  std::u16string_view view() const { return {m_chars.get(), m_size}; }
  const char16_t* c_str() const { return m_chars.get(); }

 private:
  std::unique_ptr<char16_t[]> m_chars;
  std::size_t m_size = 0;
};

}  // namespace moni::fuzztext
