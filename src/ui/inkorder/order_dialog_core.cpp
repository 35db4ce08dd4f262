#include "ui/inkorder/order_dialog_core.h"

#include <algorithm>

#include "foundation/log_format.h"
#include "foundation/parameter_text_core.h"
#include "platform/text_core.h"

namespace moni::inkorder {

namespace {

constexpr std::uint32_t kMaxLevel = 100;

bool StartsWithNoCase(std::u16string_view text, std::u16string_view prefix) {
  if (text.size() < prefix.size()) return false;
  for (size_t i = 0; i < prefix.size(); ++i) {
    char16_t c = text[i];
    if (c >= u'A' && c <= u'Z') c = static_cast<char16_t>(c + 32);
    if (c != prefix[i]) return false;
  }
  return true;
}

}  // namespace

int TitleStringId(int orderType) {
  if (orderType >= kOrder20 && orderType <= kOrder05) return 3555;
  return orderType == kOrder00 ? 3524 : 0;
}

int GaugeValueOfLevel(int level) { return 50 + (std::clamp(level, 0, 100) + 1) / 2; }

GaugeView GaugeOf(const std::vector<OrderInk>& inks, int orderType, const Thresholds& t) {
  GaugeView g;
  const std::uint32_t threshold = orderType == kOrderMenu ? t.b[0] : ThresholdOfOrderType(orderType, t);
  g.lowValue = GaugeValueOfLevel(static_cast<int>(std::min(threshold, kMaxLevel)));
  for (size_t i = 0; i < inks.size() && i < kOptionInks; ++i) {
    if (inks[i].quantity > kMaxLevel) continue;
    const int level = static_cast<int>(inks[i].quantity);
    if (!g.known || level < g.level) g.level = level;
    g.known = true;
  }
  if (!g.known) return g;
  g.value = GaugeValueOfLevel(g.level);
  if (g.level == 0) {
    g.state = kGaugeError;
  } else if (static_cast<std::uint32_t>(g.level) <= threshold) {
    g.state = kGaugeWarning;
  } else {
    g.state = kGaugePlain;
  }
  return g;
}

std::u16string GaugeLine(const GaugeView& gauge, std::u16string_view levelTemplate, std::u16string_view unknownText) {
  if (!gauge.known) return std::u16string(unknownText);
  // The template comes from the resource library: filled through the typed
  // formatter, with the level as its only argument.
  return logfmt::Format(NarrowUtf8(levelTemplate), {gauge.level});
}

std::u16string PrinterLine(std::u16string_view templ, std::u16string_view printer) {
  if (templ.empty()) return std::u16string(printer);
  return logfmt::Format(NarrowUtf8(templ), {printer});
}

status::StatusBuff QueryRecordOf(const std::vector<OrderInk>& inks) {
  status::StatusBuff record{};
  status::InitStatusBuff(record);
  const size_t count = std::min(inks.size(), kOptionInks);
  record.byInkCount = static_cast<std::uint8_t>(count);
  for (size_t i = 0; i < count; ++i) record.abyInkRemain[i] = static_cast<std::uint8_t>(std::min(inks[i].quantity, 255u));
  return record;
}

void TakePrinterInks(CInkOrderInfo& info, const status::StatusBuff& record) {
  info.inks.clear();
  const size_t count = std::min<size_t>(record.byInkCount, kOptionInks);
  for (size_t i = 0; i < count; ++i) {
    OrderInk ink;
    ink.quantity = record.abyInkRemain[i];
    ink.inkCode = record.awInkCode[i];
    info.inks.push_back(std::move(ink));
  }
  info.shutOff = kShutOffUnknown;
}

int CartridgeTextId(size_t inkIndex, std::uint32_t inkCode, bool second) {
  if (inkIndex >= kOptionInks || inkCode > 99) return 0;
  return (second ? kSecondCartridgeTextBase : kCartridgeTextBase) + static_cast<int>(inkIndex) * 100 +
         static_cast<int>(inkCode);
}

std::u16string BuyNowAddress(std::u16string_view prefix, std::u16string_view orderUrl, std::u16string_view query) {
  std::u16string address(prefix);
  address += orderUrl;
  address += query;
  return address;
}

bool IsWebAddress(std::u16string_view address) {
  size_t scheme = 0;
  if (StartsWithNoCase(address, u"https://")) {
    scheme = 8;
  } else if (StartsWithNoCase(address, u"http://")) {
    scheme = 7;
  } else {
    return false;
  }
  if (address.size() == scheme) return false;
  return std::none_of(address.begin(), address.end(), [](char16_t c) { return c <= u' ' || c == u'"' || c == 0x7F; });
}

std::u16string SameDriverCommandLine(std::u16string_view program, std::u16string_view mode, const PrinterIdentity& who) {
  using cmdline::SwitchWithValue;
  std::u16string line = u"\"" + std::u16string(program) + u"\" /A";
  line += u" " + SwitchWithValue(u"T", mode);
  line += u" " + SwitchWithValue(u"P", who.printer);
  line += u" " + SwitchWithValue(u"O", who.port);
  line += u" " + SwitchWithValue(u"D", who.driver);
  line += u" " + SwitchWithValue(u"M", who.model);
  return line;
}

}  // namespace moni::inkorder
