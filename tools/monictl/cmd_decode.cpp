// monictl decode: what the monitor makes of a raw status reply (the "Status"
// value a customer sends in): the decoded record, the status number and the
// status information row, as the status window would get them. No printer is
// involved: the spooler steps count as "no job" and "not offline".
#include <windows.h>

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstring>
#include <cwchar>
#include <memory>
#include <string>
#include <vector>

#include "commands.h"
#include "status/printer_status.h"
#include "status/status_decode.h"
#include "status/status_info.h"

namespace monictl {

namespace {

using moni::status::CreateDetails;
using moni::status::StatusBuff;

// The largest batch file read.
constexpr size_t kMaxBatchBytes = 64 * 1024 * 1024;

struct DecodeCase {
  bool hasReply = false;
  std::vector<BYTE> reply;
  std::uint32_t channel = 0x10000005;
  bool network = false;
  bool keepButtons = false;
  int statusNo = 0;
};

int HexValue(wchar_t c) {
  if (c >= L'0' && c <= L'9') return c - L'0';
  if (c >= L'a' && c <= L'f') return c - L'a' + 10;
  if (c >= L'A' && c <= L'F') return c - L'A' + 10;
  return -1;
}

// "-" is no reply, "" an empty one; otherwise pairs of hex digits.
bool ParseReply(const std::wstring& text, DecodeCase& out) {
  out.reply.clear();
  out.hasReply = text != L"-";
  if (!out.hasReply) return true;
  if (text.size() % 2 != 0) return false;
  for (size_t i = 0; i < text.size(); i += 2) {
    const int hi = HexValue(text[i]), lo = HexValue(text[i + 1]);
    if (hi < 0 || lo < 0) return false;
    out.reply.push_back(static_cast<BYTE>(hi * 16 + lo));
  }
  return true;
}

// A number in C notation (decimal, 0x hexadecimal), the whole text.
bool ParseNumber(const std::wstring& text, long long& value) {
  if (text.empty()) return false;
  wchar_t* end = nullptr;
  errno = 0;
  value = std::wcstoll(text.c_str(), &end, 0);
  return errno == 0 && end && *end == L'\0';
}
bool ParseChannel(const std::wstring& text, std::uint32_t& channel) {
  long long v = 0;
  if (!ParseNumber(text, v) || v < 0 || v > 0xFFFFFFFFLL) return false;
  channel = static_cast<std::uint32_t>(v);
  return true;
}
bool ParseStatus(const std::wstring& text, int& status) {
  long long v = 0;
  if (!ParseNumber(text, v) || v < INT_MIN || v > INT_MAX) return false;
  status = static_cast<int>(v);
  return true;
}

bool EmptyReply(const DecodeCase& c) { return c.hasReply && c.reply.empty(); }

std::unique_ptr<CPrinterStatus> Decode(const DecodeCase& c, CreateDetails& details) {
  // The monitor takes an empty reply for no answer at all: it makes no status
  // of it (the status poll fails), so neither does this.
  if (EmptyReply(c)) return nullptr;
  const CStatusInfo maker(nullptr, moni::status::SpoolerSteps::None());
  return maker.CreateStatusObject(c.channel, c.hasReply ? c.reply.data() : nullptr, c.hasReply ? c.reply.size() : 0,
                                  c.statusNo, c.network ? 0x8000 : 0, c.keepButtons ? TRUE : FALSE, &details);
}

template <typename T, size_t N>
std::string JsonArray(const T (&values)[N]) {
  std::string out = "[";
  for (size_t i = 0; i < N; ++i) {
    if (i) out += ",";
    out += std::to_string(static_cast<unsigned long long>(values[i]));
  }
  return out + "]";
}

std::string RecordJson(const StatusBuff& r) {
  auto n = [](unsigned long long v) { return std::to_string(v); };
  return "{\"byState\":" + n(r.byState) + ",\"byError\":" + n(r.byError) + ",\"byInkCount\":" + n(r.byInkCount) +
         ",\"abyInkRemain\":" + JsonArray(r.abyInkRemain) + ",\"byInkSlotCount\":" + n(r.byInkSlotCount) +
         ",\"awInkCode\":" + JsonArray(r.awInkCode) + ",\"awInkColor\":" + JsonArray(r.awInkColor) +
         ",\"dwInkStateBits\":" + n(r.dwInkStateBits) + ",\"dwWarningBits\":" + n(r.dwWarningBits) +
         ",\"byWarningCount\":" + n(r.byWarningCount) + ",\"abyWarning\":" + JsonArray(r.abyWarning) +
         ",\"abyRC\":" + JsonArray(r.abyRC) + ",\"bCancel\":" + n(r.bCancel) + ",\"dwJobNo\":" + n(r.dwJobNo) +
         ",\"dwValue24\":" + n(r.dwValue24) + ",\"dwValue0E\":" + n(r.dwValue0E) + ",\"dwLen1F\":" + n(r.dwLen1F) + "}";
}

std::string DecodeJson(const DecodeCase& c) {
  CreateDetails details;
  const auto status = Decode(c, details);
  if (!status) return "{\"ok\":false}";
  const auto& row = status->Row();
  const auto& kind = status->KindRow();
  auto n = [](long long v) { return std::to_string(v); };
  std::string out = "{\"ok\":true,\"kind\":" + n(details.kind) + ",\"statusNo\":" + n(details.statusNo) + ",\"record\":" +
                    (details.recordDecoded ? RecordJson(details.record) : std::string("null"));
  out += ",\"row\":{\"status\":" + n(row.status) + ",\"simple\":" + n(row.simple) + ",\"notify\":" + n(row.notify) +
         ",\"text1\":" + n(row.text1) + ",\"text2\":" + n(row.text2) + ",\"kindKey\":" + n(row.kindKey) +
         ",\"utility\":" + n(static_cast<std::int16_t>(row.utility)) + ",\"troubleshooting\":" + n(row.troubleshooting) +
         ",\"third\":" + n(row.third) + ",\"button1\":" + n(row.button1) + ",\"button2\":" + n(row.button2) + "}";
  out += ",\"kindRow\":[" + n(kind.key);
  for (int v : kind.values) out += "," + n(v);
  return out + "]}";
}

std::string Byte(unsigned v) {
  char text[8];
  snprintf(text, sizeof text, "0x%02X", v & 0xFF);
  return text;
}

std::string InkRemain(std::uint8_t v) {
  switch (v) {
    case 0xFF: return "not available";
    case 0xFE: return "replace";
    case 0xFD: return "not recognised";
    default: return std::to_string(v) + "%";
  }
}

int PrintSummary(const DecodeCase& c, const std::wstring& resource) {
  CreateDetails details;
  const auto status = Decode(c, details);
  printf("channel   0x%08X (reply kind %d)%s\n", static_cast<unsigned>(c.channel),
         moni::status::ReplyKindOfChannel(c.channel), c.network ? ", network" : "");
  if (!status) {
    if (EmptyReply(c))
      printf("result    no status object: the reply is empty, which the monitor counts as no answer\n");
    else
      printf("result    no status object: the reply cannot be decoded for this channel\n");
    return 1;
  }
  if (details.recordDecoded) {
    const StatusBuff& r = details.record;
    printf("state     %s\n", Byte(r.byState).c_str());
    printf("error     %s\n", r.byError == 0xFF ? "none" : Byte(r.byError).c_str());
    printf("inks      %u\n", static_cast<unsigned>(r.byInkCount));
    for (unsigned i = 0; i < r.byInkCount && i < 10; ++i)
      printf("  ink %u   code %s colour %s  %s\n", i, Byte(r.awInkCode[i]).c_str(), Byte(r.awInkColor[i]).c_str(),
             InkRemain(r.abyInkRemain[i]).c_str());
    std::string warnings;
    for (unsigned i = 0; i < r.byWarningCount && i < 32; ++i) warnings += (i ? " " : "") + Byte(r.abyWarning[i]);
    printf("warnings  %s\n", warnings.empty() ? "none" : warnings.c_str());
    printf("ink bits  0x%08X, warning bits 0x%08X\n", static_cast<unsigned>(r.dwInkStateBits),
           static_cast<unsigned>(r.dwWarningBits));
    if (r.bCancel) printf("cancel    requested\n");
    if (r.dwJobNo) printf("job       %u\n", static_cast<unsigned>(r.dwJobNo));
  } else {
    printf("record    none (%s)\n", c.hasReply ? "the reply is not a decoded status reply" : "no reply");
  }
  printf("status    %d (row: real %d, simple %d, notify %d)\n", details.statusNo, status->GetRealStatusNo(),
         status->GetSimpleStatusNo(), status->GetNotifyNo());
  const auto& row = status->Row();
  printf("texts     %d, %d; buttons %d, %d\n", row.text1, row.text2, row.button1, row.button2);
  if (!resource.empty()) {
    std::wstring text;
    if (status->GetStatusMessage(text, {resource, L"", L""}) > 0)
      printf("message   %s\n", Utf8(text).c_str());
    else
      printf("message   (text %d not found in the resource library)\n", row.text2);
  }
  return 0;
}

std::vector<std::wstring> Words(const std::string& line) {
  std::vector<std::wstring> words;
  std::wstring word;
  for (char ch : line) {
    if (ch == ' ' || ch == '\t' || ch == '\r') {
      if (!word.empty()) words.push_back(word);
      word.clear();
    } else {
      word.push_back(static_cast<wchar_t>(static_cast<unsigned char>(ch)));
    }
  }
  if (!word.empty()) words.push_back(word);
  return words;
}

// One case per line, "HEX CHANNEL FLAGS STATUS"; blank lines and lines
// starting with "#" are skipped. Exit code 1 when a line cannot be read.
int RunBatch(const std::wstring& file) {
  int exitCode = 0;
  const bool read = ForEachBatchLine(file, kMaxBatchBytes, [&](size_t lineNo, const std::string& line) {
    const auto words = Words(line);
    DecodeCase c;
    bool ok = words.size() == 4 && ParseReply(words[0], c) && ParseChannel(words[1], c.channel) && ParseStatus(words[3], c.statusNo);
    if (ok && words[2] != L"-") {
      for (wchar_t f : words[2]) {
        if (f == L'n') c.network = true;
        else if (f == L'k') c.keepButtons = true;
        else ok = false;
      }
    }
    if (!ok) {
      printf("{\"ok\":false,\"error\":\"line %zu: expected HEX CHANNEL FLAGS STATUS\"}\n", lineNo);
      exitCode = 1;
      return;
    }
    printf("%s\n", DecodeJson(c).c_str());
  });
  return read ? exitCode : 1;
}

}  // namespace

int CmdDecode(const Args& args) {
  DecodeCase c;
  bool json = false, haveHex = false;
  std::wstring batch, resource;
  for (size_t i = 0; i < args.size(); ++i) {
    const std::wstring& arg = args[i];
    const bool hasValue = i + 1 < args.size();
    if (arg == L"--json") json = true;
    else if (arg == L"--network") c.network = true;
    else if (arg == L"--keep-buttons") c.keepButtons = true;
    else if (arg == L"--channel") {
      if (!hasValue || !ParseChannel(args[++i], c.channel)) return UsageError("decode: --channel takes a channel number");
    } else if (arg == L"--status") {
      if (!hasValue || !ParseStatus(args[++i], c.statusNo)) return UsageError("decode: --status takes a status number");
    } else if (arg == L"--batch") {
      if (!hasValue) return UsageError("decode: --batch takes a file");
      batch = args[++i];
    } else if (arg == L"--resource") {
      if (!hasValue) return UsageError("decode: --resource takes a resource library");
      resource = args[++i];
    } else if (!haveHex && (arg.empty() || arg == L"-" || arg[0] != L'-')) {
      if (!ParseReply(arg, c)) return UsageError("decode: the reply is pairs of hexadecimal digits, \"\" or \"-\"");
      haveHex = true;
    } else {
      return UsageError("decode: unknown option or extra argument");
    }
  }
  if (!batch.empty()) {
    if (haveHex) return UsageError("decode: --batch takes no reply of its own");
    return RunBatch(batch);
  }
  if (!haveHex) return UsageError("decode: which reply? (hexadecimal, \"\" for an empty one, or \"-\" for none)");
  if (json) {
    const std::string out = DecodeJson(c);
    printf("%s\n", out.c_str());
    return out.rfind("{\"ok\":true", 0) == 0 ? 0 : 1;
  }
  return PrintSummary(c, resource);
}

}  // namespace monictl
