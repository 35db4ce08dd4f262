#include "foundation/debug_log.h"

#include <shlobj.h>

#include <atomic>
#include <mutex>
#include <utility>

#include "platform/handles.h"
#include "platform/text_core.h"

namespace {

constexpr wchar_t kSettingsKey[] = L"Software\\TALMER\\VGL3";
constexpr wchar_t kLogFile[] = L"\\TALMER\\VGL3\\VGL4.LOG";
constexpr wchar_t kFallbackPath[] = L"C:\\VGL4.LOG";

// -1 until the switch has been read; then 0 or 1. Constant-initialised, so a
// record built during another module's static initialisation still finds it.
std::atomic<int> g_nSwitch{-1};

// One counter for the whole process: the indentation reflects all threads.
std::atomic<std::uint32_t> g_nDepth{0};

bool SwitchOn() {
  int on = g_nSwitch.load(std::memory_order_acquire);
  if (on < 0) {
    int expected = -1;
    g_nSwitch.compare_exchange_strong(expected, CDebugLog::ReadSwitch(HKEY_CURRENT_USER, kSettingsKey) ? 1 : 0);
    on = g_nSwitch.load(std::memory_order_acquire);
  }
  return on != 0;
}

// The switch is read while the module's globals are initialised, before any
// export runs, and never again.
[[maybe_unused]] const bool g_bSwitchReadAtLoad = SwitchOn();

// The log file path, resolved when the first record is built with the switch
// on (the shell is not asked while the module is being loaded), and the lock
// that keeps the threads of this process from opening the file at the same
// moment: the file is shared for reading only, so the second open would fail
// and its entry would be lost.
struct PathState {
  std::mutex lock;
  bool resolved = false;
  std::wstring path;
  std::mutex writeLock;
};

// Never destroyed, so that a record built by another module's static
// destructor still finds it.
PathState& Paths() {
  static PathState& state = *new PathState;
  return state;
}

std::wstring LogPath() {
  PathState& state = Paths();
  std::lock_guard<std::mutex> guard(state.lock);
  if (!state.resolved) {
    state.path = CDebugLog::ResolvePath();
    state.resolved = true;
  }
  return state.path;
}

}  // namespace

CDebugLog::CDebugLog(const char* scope) {
  if (!SwitchOn()) return;
  m_bActive = true;
  m_strPath = LogPath();
  m_dwProcessId = GetCurrentProcessId();
  m_dwThreadId = GetCurrentThreadId();
  WriteEntry(u"\n");
  WriteEntry(u"---\n");
  if (scope && *scope) WriteEntry(moni::logfmt::Format("%s\n", {scope}));
  g_nDepth.fetch_add(1, std::memory_order_relaxed);
}

CDebugLog::~CDebugLog() {
  if (m_bActive) g_nDepth.fetch_sub(1, std::memory_order_relaxed);
}

void CDebugLog::WriteHex(const void* data, long count, const char* label) {
  if (!m_bActive || label == nullptr) return;
  const std::u16string message =
      moni::logfmt::HexMessage(moni::WidenUtf8(label), static_cast<const std::uint8_t*>(data), count);
  if (!message.empty()) WriteEntry(message);
}

bool CDebugLog::IsEnabled() { return SwitchOn(); }

bool CDebugLog::ReadSwitch(HKEY root, const wchar_t* subkey) {
  moni::RegKey key;
  if (RegOpenKeyExW(root, subkey, 0, KEY_QUERY_VALUE, key.put()) != ERROR_SUCCESS) return false;
  DWORD type = 0;
  DWORD value = 0;
  DWORD size = sizeof value;
  if (RegQueryValueExW(key.get(), L"log", nullptr, &type, reinterpret_cast<BYTE*>(&value), &size) != ERROR_SUCCESS)
    return false;
  return type == REG_DWORD && size == sizeof value && value != 0;
}

std::wstring CDebugLog::ResolvePath() {
  wchar_t folder[MAX_PATH + 1] = {};
  if (SUCCEEDED(SHGetFolderPathW(nullptr, CSIDL_COMMON_APPDATA, nullptr, SHGFP_TYPE_CURRENT, folder)) && folder[0])
    return std::wstring(folder) + kLogFile;
  return kFallbackPath;
}

std::uint32_t CDebugLog::Depth() { return g_nDepth.load(std::memory_order_relaxed); }

void CDebugLog::SetSettingsForTest(bool on, std::wstring path) {
  {
    PathState& state = Paths();
    std::lock_guard<std::mutex> guard(state.lock);
    state.path = std::move(path);
    state.resolved = true;
  }
  g_nSwitch.store(on ? 1 : 0, std::memory_order_release);
}

// One entry: open (sharing reading only), a byte-order mark if the file is
// empty, the prefix, the indentation and the message in one write, close.
void CDebugLog::WriteEntry(std::u16string_view message) const {
  if (message.size() > kMaxMessage) {
    std::u16string cut(message.substr(0, kMaxMessage - 1));
    if (cut.size() && cut.back() >= 0xD800 && cut.back() <= 0xDBFF) cut.pop_back();
    cut.push_back(u'\n');
    WriteEntry(cut);
    return;
  }
  std::lock_guard<std::mutex> guard(Paths().writeLock);
  moni::KernelHandle file(CreateFileW(m_strPath.c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                                      OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file.valid()) return;

  LARGE_INTEGER size{};
  if (!GetFileSizeEx(file.get(), &size)) return;
  if (size.QuadPart == 0) {
    static const BYTE kBom[2] = {0xFF, 0xFE};
    DWORD written = 0;
    if (!WriteFile(file.get(), kBom, sizeof kBom, &written, nullptr)) return;
  }
  LARGE_INTEGER zero{};
  if (!SetFilePointerEx(file.get(), zero, nullptr, FILE_END)) return;

  std::u16string entry = moni::logfmt::ScopedPrefix(m_dwProcessId, m_dwThreadId, GetTickCount(), Depth());
  entry.append(message);
  DWORD written = 0;
  WriteFile(file.get(), entry.data(), static_cast<DWORD>(entry.size() * sizeof(char16_t)), &written, nullptr);
}
