// How a library file name that comes from outside data (the driver's setup
// data, the model's profile) names its file (portable core).
#pragma once
#include <string_view>

namespace moni {

enum class LibraryPath {
  kBareName,  // a file name alone: "BQAPI.DLL"
  kFullPath,  // a drive and a rooted folder ("C:\drv\x.dll", "C:/drv/x.dll"), or a UNC or device path ("\\server\share\x.dll")
  kRelative,  // anything else, which names a file relative to the current folder or drive ("x\y.dll", ".\x.dll", "\x.dll",
              // "C:x.dll"), and the empty name
};

LibraryPath ClassifyLibraryPath(std::u16string_view path);

}  // namespace moni
