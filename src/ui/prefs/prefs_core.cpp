#include "ui/prefs/prefs_core.h"

#include <algorithm>

namespace moni::prefs {

namespace {

bool IsBlank(char16_t c) { return c == u' ' || c == u'\t' || c == u'\r' || c == u'\n'; }

char16_t LowerAscii(char16_t c) { return c >= u'A' && c <= u'Z' ? static_cast<char16_t>(c - u'A' + u'a') : c; }

bool EndsWithNoCase(std::u16string_view text, std::u16string_view suffix) {
  if (text.size() < suffix.size()) return false;
  const std::u16string_view tail = text.substr(text.size() - suffix.size());
  for (size_t i = 0; i < suffix.size(); ++i) {
    if (LowerAscii(tail[i]) != LowerAscii(suffix[i])) return false;
  }
  return true;
}

}  // namespace

int NotifyItemCode(size_t index) {
  return index < std::size(kItemCodes) ? kItemCodes[index] : 0;
}

ItemCount ParseItemCount(std::u16string_view text) {
  while (!text.empty() && IsBlank(text.front())) text.remove_prefix(1);
  while (!text.empty() && IsBlank(text.back())) text.remove_suffix(1);
  ItemCount result;
  if (text.empty()) return result;
  size_t value = 0;
  for (char16_t c : text) {
    if (c < u'0' || c > u'9') return result;
    if (value <= kMaxNotifyItems) value = value * 10 + static_cast<size_t>(c - u'0');
  }
  result.valid = true;
  result.capped = value > kMaxNotifyItems;
  result.count = result.capped ? kMaxNotifyItems : value;
  return result;
}

int PreviewBitmap(bool trayIconOn, int design) {
  if (!trayIconOn || design < 0 || design >= kDesignCount) return kNoIconPreview;
  return kNoIconPreview + 1 + design;
}

int SpreadIconSpacing(int count, int width) {
  if (count <= 0 || count > kDesignCount || width <= 0) return 0;
  return width / count;
}

const std::vector<HelpEntry>& HelpMap() {
  static const std::vector<HelpEntry> map = {
      {100, kDialogHelpContext}, {220, kNotifyHelpContext}, {200, kNotifyHelpContext}, {201, kNotifyHelpContext},
      {202, kNotifyHelpContext}, {203, kNotifyHelpContext}, {221, kTrayHelpContext},   {204, kTrayHelpContext},
      {206, kTrayHelpContext},   {205, kTrayHelpContext},   {207, kTrayHelpContext},   {222, kTrayHelpContext},
      {223, kTrayHelpContext},   {208, kSharedHelpContext}, {0, 0},
  };
  return map;
}

std::uint32_t HelpContextOf(int control) {
  if (control <= 0) return 0;
  for (const HelpEntry& entry : HelpMap()) {
    if (entry.control == static_cast<std::uint32_t>(control)) return entry.context;
  }
  return 0;
}

bool IsHtmlHelpFile(std::u16string_view path) { return EndsWithNoCase(path, u".chm"); }

std::u16string HtmlHelpTopic(std::u16string_view helpFile, std::uint32_t context) {
  static constexpr char16_t kHex[] = u"0123456789ABCDEF";
  std::u16string digits;
  for (std::uint32_t v = context; v != 0 || digits.empty(); v >>= 4) digits.insert(digits.begin(), kHex[v & 0xF]);
  while (digits.size() < 4) digits.insert(digits.begin(), u'0');
  return std::u16string(helpFile) + u"::HTML\\0X" + digits + u".htm>" + kHelpWindowType;
}

Rect HelpWindowRect(int cursorX, int cursorY, const Rect& screen) {
  const int width = (screen.right - screen.left) / 4;
  const int height = (screen.bottom - screen.top) / 4;
  Rect r;
  r.left = std::max(screen.left, std::min(cursorX, screen.right - width));
  r.top = std::max(screen.top, std::min(cursorY, screen.bottom - height));
  r.right = r.left + width;
  r.bottom = r.top + height;
  return r;
}

bool SharedBoxShown(const Platform& platform) {
  if (!platform.nt) return true;
  return platform.major < 5 || (platform.major == 5 && platform.minor == 0);
}

bool SharedMonitoringPossible(int agentType, bool share4Key, bool agentSays) {
  if (agentType == 3) return false;
  if (agentType == 4) return share4Key;
  return agentSays;
}

bool SharedCheckAllowed(std::u16string_view modelType, std::uint32_t driverAgentType) {
  const bool smart = modelType.size() == 5 && EndsWithNoCase(modelType, u"SMART");
  return !(smart && driverAgentType == 0);
}

bool NwlinkConflict(int agentType, bool nwlinkKey) { return agentType < 2 && nwlinkKey; }

SharedStartup DecideSharedStartup(const SharedStartupInput& in) {
  SharedStartup out;
  if (!in.platform.nt) {
    out.nwlinkMessage = in.shareOn && in.nwlinkConflict;
    return out;
  }
  out.disableBox = !in.administrator;
  // A manager that cannot be opened tells nothing: the service is left alone.
  const bool installed = in.serviceState >= kServiceStateUnknown;
  if (in.serviceState == kServiceNotInstalled && in.shareOn) out.service = ServiceAction::Install;
  else if (installed) out.service = in.shareOn ? ServiceAction::Refresh : ServiceAction::Remove;
  return out;
}

ServiceAction DecideServiceAfterOk(bool turnedOn, bool setupOk, bool agentNowOn, int serviceState) {
  if (serviceState != kServiceNotInstalled) {
    return !agentNowOn || (!turnedOn && setupOk) ? ServiceAction::Remove : ServiceAction::None;
  }
  return (turnedOn && setupOk) || agentNowOn ? ServiceAction::Install : ServiceAction::None;
}

bool ServiceProgramOutdated(bool targetExists, std::uint64_t targetWriteTime, std::uint64_t sourceWriteTime) {
  return !targetExists || targetWriteTime < sourceWriteTime;
}

std::u16string ServiceName(std::u16string_view internalName) {
  return internalName.empty() ? std::u16string(kDefaultServiceName) : std::u16string(internalName);
}

std::u16string ServiceTargetFolder(std::u16string_view internalName, std::u16string_view commonAppData,
                                   std::u16string_view systemFolder) {
  if (internalName.empty()) return std::u16string(systemFolder);
  std::u16string folder(commonAppData);
  if (!folder.empty() && folder.back() == u'\\') folder.pop_back();
  return folder + u"\\TALMER\\TLW!3 SSRP";
}

std::u16string ServiceCommandLine(std::u16string_view program, bool install) {
  return u"\"" + std::u16string(program) + u"\"" + (install ? u" /IS" : u" /R");
}

std::u16string_view FileNameOf(std::u16string_view path) {
  const size_t slash = path.find_last_of(u"\\/");
  return slash == std::u16string_view::npos ? path : path.substr(slash + 1);
}

}  // namespace moni::prefs
