#include "scenario.h"

#include <algorithm>
#include <climits>

namespace bqsim {
namespace {

// The exports that act on a printer and so can be given an injected result.
constexpr std::string_view kPrinterExports[] = {
    "bqgetavailablechannel", "bqopenchannel", "bqclosechannel", "bqgetstatus",     "bqgetdeviceid",
    "bqsend",                "bqreceive",     "bqreceivecancel", "bqsetoption",    "bqgetoption",
};

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

std::string_view Trim(std::string_view s) {
  while (!s.empty() && IsBlank(s.front())) s.remove_prefix(1);
  while (!s.empty() && IsBlank(s.back())) s.remove_suffix(1);
  return s;
}

std::string Lower(std::string_view s) {
  std::string out(s);
  for (char& c : out) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return out;
}

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// An unsigned number, decimal or with "0x" hexadecimal (`hex`: hexadecimal
// also without the prefix), at most `max`.
std::optional<std::uint64_t> ParseUnsigned(std::string_view s, bool hex, std::uint64_t max) {
  s = Trim(s);
  if (s.size() > 2 && s[0] == '0' && (s[1] == 'x' || s[1] == 'X')) {
    hex = true;
    s.remove_prefix(2);
  }
  if (s.empty()) return std::nullopt;
  std::uint64_t value = 0;
  for (char c : s) {
    const int d = hex ? HexDigit(c) : (c >= '0' && c <= '9' ? c - '0' : -1);
    if (d < 0) return std::nullopt;
    value = value * (hex ? 16 : 10) + static_cast<std::uint64_t>(d);
    if (value > max) return std::nullopt;
  }
  return value;
}

const std::string* Find(const IniFile& ini, const char* section, const char* key) {
  const auto s = ini.find(section);
  if (s == ini.end()) return nullptr;
  const auto k = s->second.find(key);
  return k == s->second.end() ? nullptr : &k->second;
}

bool ParseChannels(std::string_view list, std::vector<ChannelOffer>& out) {
  while (!Trim(list).empty()) {
    const size_t comma = list.find(',');
    const std::string_view item = list.substr(0, comma);
    list = comma == std::string_view::npos ? std::string_view() : list.substr(comma + 1);
    const size_t colon = item.find(':');
    if (colon == std::string_view::npos) return false;
    const auto channel = ParseUnsigned(item.substr(0, colon), true, 0xFFFFFFFFu);
    const auto mode = ParseUnsigned(item.substr(colon + 1), true, 0xFFFFu);
    if (!channel || !mode) return false;
    out.push_back({static_cast<std::uint32_t>(*channel), static_cast<std::uint16_t>(*mode)});
  }
  return true;
}

bool ParseInjections(const IniSection& section, std::map<std::string, Injected>& out, std::string& error) {
  for (const auto& [key, value] : section) {
    const size_t at = key.find('@');
    const std::string name(Trim(std::string_view(key).substr(0, at)));
    if (std::find(std::begin(kPrinterExports), std::end(kPrinterExports), name) == std::end(kPrinterExports)) {
      error = "[Inject] " + key + ": not an export that acts on a printer";
      return false;
    }
    std::string normalized = name;
    if (at != std::string::npos) {
      const auto n = ParseUnsigned(std::string_view(key).substr(at + 1), false, UINT_MAX);
      if (!n || *n == 0) {
        error = "[Inject] " + key + ": the call number must be 1 or more";
        return false;
      }
      normalized += "@" + std::to_string(*n);
    }
    const auto injected = ParseInjected(value);
    if (!injected) {
      error = "[Inject] " + key + ": neither a number nor seh";
      return false;
    }
    out[normalized] = *injected;
  }
  return true;
}

}  // namespace

IniFile ParseIni(std::string_view text) {
  if (text.substr(0, 3) == "\xEF\xBB\xBF") text.remove_prefix(3);
  IniFile ini;
  std::string section;
  while (!text.empty()) {
    const size_t end = text.find('\n');
    const std::string_view line = Trim(text.substr(0, end));
    text = end == std::string_view::npos ? std::string_view() : text.substr(end + 1);
    if (line.empty() || line.front() == ';' || line.front() == '#') continue;
    if (line.front() == '[') {
      const size_t close = line.find(']');
      section = Lower(Trim(line.substr(1, close == std::string_view::npos ? std::string_view::npos : close - 1)));
      continue;
    }
    const size_t eq = line.find('=');
    if (eq == std::string_view::npos) continue;
    ini[section].emplace(Lower(Trim(line.substr(0, eq))), std::string(Trim(line.substr(eq + 1))));
  }
  return ini;
}

std::optional<Injected> ParseInjected(std::string_view text) {
  text = Trim(text);
  if (Lower(text) == "seh") return Injected{0, true};
  bool negative = false;
  if (!text.empty() && (text.front() == '-' || text.front() == '+')) {
    negative = text.front() == '-';
    text.remove_prefix(1);
  }
  const auto magnitude = ParseUnsigned(text, false, negative ? 0x80000000u : 0x7FFFFFFFu);
  if (!magnitude) return std::nullopt;
  const std::int64_t value = negative ? -static_cast<std::int64_t>(*magnitude) : static_cast<std::int64_t>(*magnitude);
  return Injected{static_cast<int>(value), false};
}

std::optional<std::string> ParseHexBytes(std::string_view text) {
  std::string bytes;
  int high = -1;
  for (char c : text) {
    if (IsBlank(c)) continue;
    const int d = HexDigit(c);
    if (d < 0) return std::nullopt;
    if (high < 0) {
      high = d;
    } else {
      bytes.push_back(static_cast<char>(high << 4 | d));
      high = -1;
    }
  }
  if (high >= 0) return std::nullopt;  // an odd number of digits
  return bytes;
}

const ChannelOffer* Scenario::Offer(std::uint32_t channel) const {
  for (const ChannelOffer& offer : channels) {
    if (offer.channel == channel) return &offer;
  }
  return nullptr;
}

std::optional<Injected> Scenario::InjectionFor(std::string_view exportName, unsigned n) const {
  const std::string name = Lower(exportName);
  auto it = inject.find(name + "@" + std::to_string(n));
  if (it == inject.end()) it = inject.find(name);
  if (it == inject.end()) return std::nullopt;
  return it->second;
}

const std::string* Scenario::CommandReply(std::string_view data) const {
  const std::pair<std::string, std::string>* best = nullptr;
  for (const auto& command : commands) {
    if (data.substr(0, command.first.size()) == command.first && (!best || command.first.size() > best->first.size())) {
      best = &command;
    }
  }
  return best ? &best->second : nullptr;
}

std::optional<Scenario> ParseScenario(std::string_view text, std::string& error) {
  const IniFile ini = ParseIni(text);
  Scenario s;
  if (const std::string* v = Find(ini, "printer", "deviceid")) s.deviceId = *v;
  if (const std::string* v = Find(ini, "printer", "channels"); v && !ParseChannels(*v, s.channels)) {
    error = "[Printer] Channels: expected channel:mode pairs in hexadecimal";
    return std::nullopt;
  }
  if (const std::string* v = Find(ini, "printer", "advance")) {
    const std::string advance = Lower(*v);
    if (advance.rfind("ms:", 0) == 0) {
      const auto ms = ParseUnsigned(std::string_view(advance).substr(3), false, UINT_MAX);
      if (!ms || *ms == 0) {
        error = "[Printer] Advance: ms:N needs N of 1 or more";
        return std::nullopt;
      }
      s.advanceMs = static_cast<unsigned>(*ms);
    } else if (advance != "call") {
      error = "[Printer] Advance: expected call or ms:N";
      return std::nullopt;
    }
  }
  if (const std::string* v = Find(ini, "printer", "atend")) {
    const std::string atEnd = Lower(*v);
    if (atEnd != "stay" && atEnd != "wrap") {
      error = "[Printer] AtEnd: expected stay or wrap";
      return std::nullopt;
    }
    s.wrap = atEnd == "wrap";
  }
  for (unsigned n = 1;; ++n) {
    const std::string key = "reply" + std::to_string(n);
    const std::string* v = Find(ini, "printer", key.c_str());
    if (!v) break;
    if (*v == "-") {
      s.replies.emplace_back(std::nullopt);
      continue;
    }
    auto bytes = ParseHexBytes(*v);
    if (!bytes) {
      error = "[Printer] Reply" + std::to_string(n) + ": neither hexadecimal nor -";
      return std::nullopt;
    }
    s.replies.emplace_back(std::move(*bytes));
  }
  if (const auto it = ini.find("inject"); it != ini.end() && !ParseInjections(it->second, s.inject, error)) return std::nullopt;
  if (const auto it = ini.find("commands"); it != ini.end()) {
    for (const auto& [key, value] : it->second) {
      auto command = ParseHexBytes(key);
      auto reply = ParseHexBytes(value);
      if (!command || command->empty() || !reply) {
        error = "[Commands] " + key + ": command and reply must be hexadecimal";
        return std::nullopt;
      }
      s.commands.emplace_back(std::move(*command), std::move(*reply));
    }
  }
  if (const std::string* v = Find(ini, "network", "agent")) {
    const size_t colon = v->rfind(':');
    const auto port = colon == std::string::npos ? std::nullopt : ParseUnsigned(std::string_view(*v).substr(colon + 1), false, 65535);
    if (!port || *port == 0 || colon == 0) {
      error = "[Network] Agent: expected address:port";
      return std::nullopt;
    }
    s.agentHost = v->substr(0, colon);
    s.agentPort = std::to_string(*port);
  }
  return s;
}

std::string ScenarioFileName(int openType, std::string_view name) {
  static const char kHex[] = "0123456789ABCDEF";
  std::string file = openType == 0 ? "port-" : "printer-";
  for (char c : name) {
    const auto b = static_cast<unsigned char>(c);
    if ((b >= 'A' && b <= 'Z') || (b >= 'a' && b <= 'z') || (b >= '0' && b <= '9') || b == '-' || b == '_' || b == '.' || b == ' ') {
      file.push_back(c);
    } else {
      file += {'%', kHex[b >> 4], kHex[b & 15]};
    }
  }
  return file + ".ini";
}

}  // namespace bqsim
