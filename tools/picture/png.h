// Pictures of windows as PNG files: the encoder and the blank check. Portable
// (no windows.h): the pixels come from wherever the caller captured them.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace moni::picture {

// Pixels top row first, four bytes each in the order blue, green, red, unused
// (the layout of a 32-bit top-down device-independent bitmap).
struct Picture {
  int width = 0;
  int height = 0;
  std::vector<std::uint8_t> bgrx;  // width * height * 4 bytes
};

// The PNG file of the picture (8-bit RGB, stored without compression). Empty
// for an empty picture or one whose pixel buffer does not match its size.
std::string EncodePng(const Picture& picture);

// A picture that shows nothing: empty, or every pixel within a few steps of
// the first one (a black, white or one-colour capture of a window that did not
// paint or was not on the screen).
bool IsBlank(const Picture& picture);

}  // namespace moni::picture
