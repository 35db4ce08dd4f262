// Where a binding finds the communication library's file (portable core):
// the one place that turns the driver's setup data into the files to load.
#pragma once
#include <string>
#include <string_view>
#include <vector>

namespace moni::comm {

enum class BqapiUse {
  kShared,   // the process-wide instance of the monitoring sessions and windows
  kOneShot,  // the one-shot status query, which loads an instance of its own
};

// What the driver's setup data says about the library.
struct BqapiSettings {
  std::u16string fileName;      // "BQAPI32"; empty when not given
  int generation = 0;           // "BQAPI_VERSION"; 0 or less when not given
  std::u16string driverFolder;  // the driver's install folder ending in "\"; empty when unknown
};

// The platform class of a running system: 6 for the NT platform from major
// version 5 on, 5 for NT 4.0, 4 for older NT; 0 for any other platform.
int PlatformClass(bool nt, unsigned major);

// Whether the file is looked for in the driver's folder (BqapiFiles below);
// the folder needs to be known only then.
bool BqapiInDriverFolder(BqapiUse use, const BqapiSettings& settings, int platformClass);

// The files to try, in order. A full path lies in the driver's folder; a bare
// name is loaded from the system folder only, never from the host program's
// search path.
// - kShared: the file the driver names, in its folder (a bare name when the
//   folder is unknown); then BQAPI.DLL.
// - kOneShot: the file the driver names, or BQAPI.DLL; in the driver's folder
//   when the platform class is 6 and the generation is 4 or more, or not given
//   with the file BQAPI4.DLL (any letter case); nothing at all when the folder
//   is then unknown. Otherwise the bare name.
std::vector<std::u16string> BqapiFiles(BqapiUse use, const BqapiSettings& settings, int platformClass);

inline constexpr char16_t kDefaultBqapi[] = u"BQAPI.DLL";

}  // namespace moni::comm
