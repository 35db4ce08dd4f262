#include "ui/status/actions_core.h"

namespace moni::actions {

std::vector<std::uint8_t> RemoteCommand(char first, char second) {
  return {static_cast<std::uint8_t>(first), static_cast<std::uint8_t>(second), 1, 0, 1};
}

std::vector<std::uint8_t> ExCommand() { return {'e', 'x', 6, 0, 0x00, 0x00, 0x00, 0x00, 0x19, 0x00}; }

namespace {

int HexValue(const std::uint8_t* text) {
  int value = 0;
  for (int i = 0; i < 4; ++i) {
    const std::uint8_t c = text[i];
    int digit;
    if (c >= '0' && c <= '9') digit = c - '0';
    else if (c >= 'a' && c <= 'f') digit = c - 'a' + 10;
    else if (c >= 'A' && c <= 'F') digit = c - 'A' + 10;
    else return -1;
    value = value * 16 + digit;
  }
  return value;
}

char Lower(std::uint8_t c) { return static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c); }

}  // namespace

bool ReplyStartsWith(const std::uint8_t* reply, std::size_t size, std::string_view prefix) {
  if (!reply || size < prefix.size()) return false;
  for (std::size_t i = 0; i < prefix.size(); ++i) {
    if (Lower(reply[i]) != Lower(static_cast<std::uint8_t>(prefix[i]))) return false;
  }
  return true;
}

TagchipRemain DecodeTagchipRemain(const std::uint8_t* reply, std::size_t size) {
  constexpr std::string_view kHead = "@BDC PS\r\nIR:";
  constexpr std::size_t kLength = 21;
  TagchipRemain out;
  if (!reply || size < kLength || !ReplyStartsWith(reply, size, kHead) || reply[kLength - 1] != ';') return out;
  const std::uint8_t* black = reply + kHead.size();
  const std::uint8_t* colour = black + 4;
  if (ReplyStartsWith(black, 4, "NAVL") || ReplyStartsWith(black, 4, "BUSY") || ReplyStartsWith(colour, 4, "NAVL") ||
      ReplyStartsWith(colour, 4, "BUSY"))
    return out;
  const int b = HexValue(black), c = HexValue(colour);
  if (b < 0 || c < 0) return out;
  out.black = b;
  out.colour = c;
  return out;
}

ResetStep NextResetStep(bool dSeries, int result, const std::uint8_t* reply, std::size_t size, int retries) {
  if (!dSeries || result <= 0) return ResetStep::End;
  if (ReplyStartsWith(reply, size, "rj:OK;")) return ResetStep::End;
  if (ReplyStartsWith(reply, size, "rj:NA;") || ReplyStartsWith(reply, size, "rj:BUSY;"))
    return retries < kResetRetryLimit ? ResetStep::Retry : ResetStep::End;
  return ResetStep::Leave;
}

long long ParseHelpContext(std::u16string_view text) {
  constexpr long long kMax = 0xFFFFFFFFLL;
  std::size_t i = 0;
  while (i < text.size() && (text[i] == u' ' || text[i] == u'\t')) ++i;
  text.remove_prefix(i);
  if (text.size() >= 2 && text[0] == u'0' && (text[1] == u'x' || text[1] == u'X')) {
    long long value = 0;
    for (std::size_t k = 2; k < text.size(); ++k) {
      const char16_t c = text[k];
      int digit;
      if (c >= u'0' && c <= u'9') digit = c - u'0';
      else if (c >= u'a' && c <= u'f') digit = c - u'a' + 10;
      else if (c >= u'A' && c <= u'F') digit = c - u'A' + 10;
      else return 0;
      value = value * 16 + digit;
      if (value > kMax) return -1;
    }
    return value;
  }
  bool negative = false;
  if (!text.empty() && (text[0] == u'-' || text[0] == u'+')) {
    negative = text[0] == u'-';
    text.remove_prefix(1);
  }
  long long value = 0;
  for (char16_t c : text) {
    if (c < u'0' || c > u'9') break;
    value = value * 10 + (c - u'0');
    if (value > kMax) return -1;
  }
  return negative && value != 0 ? -1 : value;
}

StoredInk UpdateStoredInk(StoredInk stored, std::u16string_view color, int level) {
  if (stored.color != color) {
    stored.popup = 0;
    stored.inkRemain = 100;
    stored.isPopup = 0;
    stored.color = std::u16string(color);
  }
  if (level >= 0 && level < 253) {
    if (static_cast<std::uint32_t>(level) > stored.inkRemain) stored.popup = 0;
    stored.inkRemain = static_cast<std::uint32_t>(level);
  }
  return stored;
}

std::vector<InkMonitorStart> InkMonitorStarts(std::uint8_t modeByte, const std::uint8_t* levels, int levelCount,
                                              const std::uint8_t* lowCodes, int lowCount, int inkCount) {
  std::vector<InkMonitorStart> out;
  if (modeByte == 5 && levels) {
    for (int i = 0; i < inkCount && i < levelCount; ++i) {
      if (levels[i] == 0) out.push_back({'E', i});
    }
  }
  if (lowCodes) {
    for (int k = 0; k < lowCount; ++k) {
      const int code = lowCodes[k];
      if (code >= 16 && code - 16 < inkCount) out.push_back({'L', code - 16});
    }
  }
  return out;
}

}  // namespace moni::actions
