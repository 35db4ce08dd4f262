#include "ui/inkorder/order_info_core.h"

#include <algorithm>

#include "foundation/log_format.h"
#include "platform/text_core.h"

namespace moni::inkorder {

namespace {

int DigitValue(char16_t c, unsigned base) {
  int v = -1;
  if (c >= u'0' && c <= u'9') v = c - u'0';
  else if (c >= u'A' && c <= u'F') v = c - u'A' + 10;
  else if (c >= u'a' && c <= u'f') v = c - u'a' + 10;
  return v >= 0 && static_cast<unsigned>(v) < base ? v : -1;
}

std::uint8_t Pair(char16_t first, char16_t second, unsigned base) {
  const int hi = DigitValue(first, base);
  if (hi < 0) return 0;
  const int lo = DigitValue(second, base);
  return static_cast<std::uint8_t>(lo < 0 ? hi * base : hi * base + lo);
}

template <typename Decode>
std::vector<std::uint8_t> Pairs(std::u16string_view text, Decode decode) {
  std::vector<std::uint8_t> out;
  for (size_t i = 0; i + 1 < text.size() && out.size() < kOptionInks; i += 2) out.push_back(decode(text.substr(i, 2)));
  return out;
}

// A template from a resource or from the registry, filled through the typed
// formatter: never a printf format.
std::u16string Fill(std::u16string_view templ, std::initializer_list<logfmt::Arg> args) {
  return logfmt::Format(NarrowUtf8(templ), args);
}

}  // namespace

std::u16string_view BoundedText(const char16_t* text, size_t maxChars) {
  if (text == nullptr) return {};
  size_t n = 0;
  while (n < maxChars && text[n] != u'\0') ++n;
  return std::u16string_view(text, n);
}

std::vector<std::uint8_t> InkLeftQuantities(std::u16string_view text) {
  return Pairs(text, [](std::u16string_view pair) -> std::uint8_t {
    if (pair == u"NA") return 255;
    if (pair == u"RE" || pair == u"WE") return 254;
    if (pair == u"CI") return 253;
    return Pair(pair[0], pair[1], 16);
  });
}

std::vector<std::uint8_t> DecimalPairs(std::u16string_view text) {
  return Pairs(text, [](std::u16string_view pair) { return Pair(pair[0], pair[1], 10); });
}

int ResolveShutOff(int state, int shutOffDefOn) {
  if (state == kShutOffUnknown) return shutOffDefOn == 1 ? kShutOffEnabled : kShutOffDisabled;
  return state == kShutOffEnabled ? kShutOffEnabled : kShutOffDisabled;
}

std::u16string CartridgeList(const std::vector<OrderInk>& inks, std::uint32_t threshold) {
  std::u16string list;
  for (size_t i = 0; i < inks.size() && i < kOptionInks; ++i) {
    const OrderInk& ink = inks[i];
    if (!(ink.quantity < threshold || ink.quantity == 0)) continue;
    std::u16string line = ink.cartridge;
    if (ink.notifyCode == 1 && !ink.secondCartridge.empty()) {
      if (!line.empty()) line += kCartridgeSeparator;
      line += ink.secondCartridge;
    }
    if (line.empty()) continue;
    if (!list.empty()) list += u"\r\n";
    list += line;
  }
  return list;
}

int MessageTemplateId(int orderType, int shutOff) {
  if (orderType == kOrderMenu) return shutOff == kShutOffEnabled ? 31250 : 31600;
  if (orderType >= kOrder20 && orderType <= kOrder00) {
    return (shutOff == kShutOffEnabled ? 31251 : 31601) + (orderType - kOrder20);
  }
  return 0;
}

std::u16string_view CustomMessageName(int orderType) {
  switch (orderType) {
    case kOrderMenu: return u"Custom_MsgMenu";
    case kOrder20: return u"Custom_Msg20";
    case kOrder10: return u"Custom_Msg10";
    case kOrder05: return u"Custom_Msg05";
    case kOrder00: return u"Custom_Msg00";
    default: return {};
  }
}

std::u16string MainMessage(const MessageParts& p) {
  const bool on = p.shutOff == kShutOffEnabled;
  const std::u16string_view t = p.templ;
  const std::u16string& list = p.cartridgeList;
  const std::u16string& buy = p.whereToBuy;
  const std::u16string& later = p.remindLater;
  const std::u16string& printer = p.printerName;
  if (p.layout == 1) {
    switch (p.orderType) {
      case kOrderMenu: return on ? Fill(t, {buy, list}) : Fill(t, {buy, printer});
      case kOrder20:
      case kOrder10:
      case kOrder05: return on ? Fill(t, {buy, list, later}) : Fill(t, {list, buy, printer, later});
      case kOrder00: return on ? Fill(t, {buy, list}) : Fill(t, {list, buy, printer});
      default: return {};
    }
  }
  if (p.layout == 3) {
    switch (p.orderType) {
      case kOrderMenu: return on ? Fill(t, {buy, list}) : Fill(t, {buy});
      case kOrder20:
      case kOrder10:
      case kOrder05: return Fill(t, {list, buy, later});
      case kOrder00: return Fill(t, {list, buy});
      default: return {};
    }
  }
  return {};
}

int ParseLayout(std::u16string_view text) {
  while (!text.empty() && (text.front() == u' ' || text.front() == u'\t')) text.remove_prefix(1);
  while (!text.empty() && (text.back() == u' ' || text.back() == u'\t')) text.remove_suffix(1);
  if (text.empty() || text.size() > 4) return 0;
  int value = 0;
  for (char16_t c : text) {
    if (c < u'0' || c > u'9') return 0;
    value = value * 10 + (c - u'0');
  }
  return value;
}

bool CInkOrderInfo::SetOptions(const OptionBlock* block) {
  if (block == nullptr) return false;
  const std::u16string_view mode = BoundedText(block->mode);
  const int type = OrderTypeOfMode(mode);
  if (type == 0) return false;
  orderType = type;
  inks.clear();
  inkLeft.clear();
  const std::u16string_view notify = BoundedText(block->notifyCode);
  notifyCode = notify.empty() ? std::u16string(kNoNotifyCode) : std::u16string(notify);
  inkCode = std::u16string(BoundedText(block->inkCode));
  if (type == kOrderMenu) return true;
  inkLeft = std::u16string(BoundedText(block->inkLeft));
  const std::vector<std::uint8_t> quantities = InkLeftQuantities(inkLeft);
  const std::vector<std::uint8_t> notifies =
      notifyCode == kNoNotifyCode ? std::vector<std::uint8_t>{} : DecimalPairs(notifyCode);
  const std::vector<std::uint8_t> codes = DecimalPairs(inkCode);
  for (size_t i = 0; i < quantities.size(); ++i) {
    OrderInk ink;
    ink.quantity = quantities[i];
    ink.notifyCode = i < notifies.size() ? notifies[i] : 0;
    ink.inkCode = i < codes.size() ? codes[i] : 0;
    inks.push_back(std::move(ink));
  }
  return true;
}

bool CInkOrderInfo::HasInkState() const { return !inks.empty() && notifyCode != kNoNotifyCode; }

const std::u16string& CInkOrderInfo::CustomTemplate() const {
  static const std::u16string kNone;
  if (orderType < kOrderMenu || orderType > kOrder00) return kNone;
  return templates[static_cast<size_t>(orderType - kOrderMenu)];
}

MessageParts MessagePartsOf(const CInkOrderInfo& info, int layout, std::u16string_view resourceTemplate,
                            std::u16string_view resourceWhereToBuy, std::u16string_view resourceRemindLater) {
  MessageParts parts;
  parts.orderType = info.orderType;
  parts.shutOff = info.shutOff == kShutOffEnabled ? kShutOffEnabled : kShutOffDisabled;
  parts.layout = layout;
  const std::u16string& custom = info.CustomTemplate();
  parts.templ = custom.empty() ? std::u16string(resourceTemplate) : custom;
  parts.cartridgeList = CartridgeList(info.inks, ThresholdOfOrderType(info.orderType, info.thresholds));
  parts.whereToBuy = info.whereToBuy.empty() ? std::u16string(resourceWhereToBuy) : info.whereToBuy;
  parts.remindLater = info.remindLater.empty() ? std::u16string(resourceRemindLater) : info.remindLater;
  parts.printerName = info.printer;
  return parts;
}

}  // namespace moni::inkorder
