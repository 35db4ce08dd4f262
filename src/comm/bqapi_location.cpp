#include "comm/bqapi_location.h"

#include "comm/channel_list.h"

namespace moni::comm {

int PlatformClass(bool nt, unsigned major) {
  if (!nt) return 0;
  if (major >= 5) return 6;
  return major == 4 ? 5 : 4;
}

namespace {
std::u16string OneShotFile(const BqapiSettings& settings) {
  return settings.fileName.empty() ? std::u16string(kDefaultBqapi) : settings.fileName;
}
}  // namespace

bool BqapiInDriverFolder(BqapiUse use, const BqapiSettings& settings, int platformClass) {
  if (use == BqapiUse::kShared) return !settings.fileName.empty();
  const bool fourthGeneration = settings.generation >= 4 ||
                                (settings.generation <= 0 && EqualIgnoringAsciiCase(OneShotFile(settings), u"BQAPI4.DLL"));
  return platformClass == 6 && fourthGeneration;
}

std::vector<std::u16string> BqapiFiles(BqapiUse use, const BqapiSettings& settings, int platformClass) {
  const bool inFolder = BqapiInDriverFolder(use, settings, platformClass);
  if (use == BqapiUse::kShared) {
    std::vector<std::u16string> files;
    if (inFolder) files.push_back(settings.driverFolder + settings.fileName);
    files.push_back(kDefaultBqapi);
    return files;
  }
  if (!inFolder) return {OneShotFile(settings)};
  if (settings.driverFolder.empty()) return {};
  return {settings.driverFolder + OneShotFile(settings)};
}

}  // namespace moni::comm
