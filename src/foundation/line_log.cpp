#include "foundation/line_log.h"

#include <atomic>
#include <cstdint>
#include <mutex>
#include <utility>

#include "foundation/log_format.h"
#include "platform/files.h"
#include "platform/handles.h"
#include "platform/text.h"

namespace {

constexpr wchar_t kSettingsKey[] = L"SOFTWARE\\TALMER\\VGL3";
constexpr wchar_t kFallbackFolder[] = L"C:\\";

std::atomic<bool> g_bLineLogOn{false};

struct LineLogState {
  std::mutex lock;
  std::wstring path;
};

LineLogState& State() {
  static LineLogState& state = *new LineLogState;
  return state;
}

// One entry: the prefix and the message as ANSI text with "\r\n" line ends,
// appended in one write.
int WriteEntry(const std::u16string& message) {
  if (!g_bLineLogOn.load(std::memory_order_acquire)) return 0;
  std::wstring path;
  {
    LineLogState& state = State();
    std::lock_guard<std::mutex> guard(state.lock);
    path = state.path;
  }
  if (path.empty()) return 0;

  const std::u16string text = moni::logfmt::LinePrefix(GetCurrentProcessId(), GetTickCount()) + message;
  std::wstring crlf;
  crlf.reserve(text.size() + 8);
  for (char16_t c : text) {
    if (c == u'\n') crlf.push_back(L'\r');
    crlf.push_back(static_cast<wchar_t>(c));
  }
  std::string ansi;
  if (!moni::WideToAnsi(crlf, ansi)) return 0;

  return moni::files::AppendEntry(path, ansi) ? 1 : 0;
}

}  // namespace

void LogOpen(const wchar_t* fileName) {
  std::wstring path =
      moni::linelog::ResolvePath(moni::files::TempFolder(), fileName ? fileName : moni::linelog::kDefaultFileName);
  const bool on = !path.empty() && moni::linelog::ReadSwitch(HKEY_CURRENT_USER, kSettingsKey);
  moni::linelog::SetSettingsForTest(on, std::move(path));
}

int LogWrite(const wchar_t* text) {
  if (!text) return 0;
  return WriteEntry(moni::logfmt::Format("%s\n", {text}));
}

int LogWriteStr(const wchar_t* label, const wchar_t* text) {
  if (!label || !text) return 0;
  return WriteEntry(moni::logfmt::Format("%s : %s\n", {label, text}));
}

int LogWriteInt(const wchar_t* label, int value) {
  if (!label) return 0;
  return WriteEntry(moni::logfmt::Format("%s : %d\n", {label, value}));
}

namespace moni::linelog {

std::wstring ResolvePath(std::wstring_view tempFolder, std::wstring_view fileName) {
  auto join = [&](std::wstring_view folder) {
    std::wstring path(folder);
    if (!path.empty() && path.back() != L'\\' && path.back() != L'/') path.push_back(L'\\');
    path.append(fileName);
    return path;
  };
  if (fileName.empty()) return {};
  if (!tempFolder.empty()) {
    std::wstring path = join(tempFolder);
    if (path.size() < kPathCapacity) return path;
  }
  std::wstring path = join(kFallbackFolder);
  return path.size() < kPathCapacity ? path : std::wstring();
}

bool ReadSwitch(HKEY root, const wchar_t* subkey) {
  moni::RegKey key;
  if (RegOpenKeyExW(root, subkey, 0, KEY_READ, key.put()) != ERROR_SUCCESS) return false;
  BYTE value[4] = {};
  DWORD size = sizeof value;
  if (RegQueryValueExW(key.get(), L"V_GIC", nullptr, nullptr, value, &size) != ERROR_SUCCESS) return false;
  return (value[0] | value[1] | value[2] | value[3]) != 0;
}

void SetSettingsForTest(bool on, std::wstring path) {
  {
    LineLogState& state = State();
    std::lock_guard<std::mutex> guard(state.lock);
    state.path = std::move(path);
  }
  g_bLineLogOn.store(on, std::memory_order_release);
}

}  // namespace moni::linelog
