#include <gtest/gtest.h>
#include <windows.h>
#include <shlobj.h>

#include <atomic>
#include <regex>
#include <string>
#include <thread>
#include <vector>

#include "foundation/debug_log.h"
#include "platform/handles.h"
#include "platform/text.h"
#include "platform/text_core.h"
#include "test_support.h"

namespace {

struct Entry {
  DWORD pid = 0;
  DWORD tid = 0;
  size_t indent = 0;
  std::wstring message;  // without its "\n"
};

// Splits a log file (after its byte-order mark) into entries; every line must
// have the prefix shape, otherwise the test fails.
std::vector<Entry> ReadEntries(const std::wstring& path) {
  const std::string bytes = moni::test::ReadFileBytes(path);
  EXPECT_GE(bytes.size(), 2u);
  if (bytes.size() < 2) return {};
  EXPECT_EQ(bytes.substr(0, 2), "\xFF\xFE");
  EXPECT_EQ(bytes.size() % 2, 0u);
  std::wstring text((bytes.size() - 2) / 2, L'\0');
  memcpy(text.data(), bytes.data() + 2, text.size() * 2);
  EXPECT_EQ(text.find(L'\xFEFF'), std::wstring::npos) << "a second byte-order mark";
  EXPECT_EQ(text.find(L'\r'), std::wstring::npos);
  EXPECT_TRUE(text.empty() || text.back() == L'\n');

  // The prefix is matched alone: std::regex recurses per character, and a
  // long message would exhaust the stack.
  static const std::wregex kPrefix(L"([0-9A-F]{4,});([0-9A-F]{4,});[ 0-9]{4}[0-9]:[0-5][0-9]\\.[0-9]{3}; ");
  std::vector<Entry> entries;
  size_t start = 0;
  for (size_t end; (end = text.find(L'\n', start)) != std::wstring::npos; start = end + 1) {
    const std::wstring line = text.substr(start, end - start);
    size_t prefixEnd = 0;
    for (int semicolons = 0; prefixEnd < line.size() && semicolons < 3; ++prefixEnd)
      if (line[prefixEnd] == L';') ++semicolons;
    std::wsmatch m;
    const std::wstring prefix = line.substr(0, prefixEnd + 1);
    if (!std::regex_match(prefix, m, kPrefix)) {
      ADD_FAILURE() << "malformed entry: " << moni::NarrowUtf8(moni::ToU16(line.substr(0, 80)));
      continue;
    }
    const size_t body = line.find_first_not_of(L' ', prefix.size());
    const size_t indent = (body == std::wstring::npos ? line.size() : body) - prefix.size();
    entries.push_back({static_cast<DWORD>(std::stoul(m[1].str(), nullptr, 16)),
                       static_cast<DWORD>(std::stoul(m[2].str(), nullptr, 16)), indent,
                       line.substr(prefix.size() + indent)});
  }
  return entries;
}

const Entry* Find(const std::vector<Entry>& entries, const std::wstring& message) {
  for (const Entry& e : entries)
    if (e.message == message) return &e;
  return nullptr;
}

// A registry key of this test alone under HKCU; deleted afterwards.
class TestKey {
 public:
  TestKey() {
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    m_subkey = L"Software\\MoniTests\\dbg_" + moni::ToWide(moni::WidenUtf8(info->name())) + L"_" +
               std::to_wstring(GetCurrentProcessId());
    RegDeleteTreeW(HKEY_CURRENT_USER, m_subkey.c_str());
  }
  ~TestKey() {
    RegDeleteTreeW(HKEY_CURRENT_USER, m_subkey.c_str());
    RegDeleteKeyW(HKEY_CURRENT_USER, L"Software\\MoniTests");  // only when no other test uses it
  }
  const wchar_t* subkey() const { return m_subkey.c_str(); }
  void Set(const wchar_t* name, DWORD type, const void* data, DWORD size) const {
    moni::RegKey key;
    ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, m_subkey.c_str(), 0, nullptr, 0, KEY_SET_VALUE, nullptr, key.put(),
                              nullptr),
              ERROR_SUCCESS);
    ASSERT_EQ(RegSetValueExW(key.get(), name, 0, type, static_cast<const BYTE*>(data), size), ERROR_SUCCESS);
  }
  void SetDword(const wchar_t* name, DWORD value) const { Set(name, REG_DWORD, &value, sizeof value); }

 private:
  std::wstring m_subkey;
};

TEST(ScopedLog, ByteOrderMarkOnlyAtTheStartAndAgainAfterDeletion) {
  moni::test::TempFile file(L"moni_dbg_");
  CDebugLog::SetSettingsForTest(true, file.path());
  {
    CDebugLog log("CTest::Run");
    log.Write("CTest::Run : %s = %d, %s, %X\n", "value", 5, std::wstring(L"caf\u00e9"), static_cast<DWORD>(0xBEEF));
    log.Write("second\n");
  }
  std::vector<Entry> entries = ReadEntries(file.path());
  ASSERT_EQ(entries.size(), 5u);
  EXPECT_EQ(entries[0].message, L"");
  EXPECT_EQ(entries[1].message, L"---");
  EXPECT_EQ(entries[2].message, L"CTest::Run");
  EXPECT_EQ(entries[3].message, L"CTest::Run : value = 5, caf\u00e9, BEEF");
  EXPECT_EQ(entries[4].message, L"second");
  for (const Entry& e : entries) {
    EXPECT_EQ(e.pid, GetCurrentProcessId());
    EXPECT_EQ(e.tid, GetCurrentThreadId());
  }

  // The file may be deleted while the program runs; the next entry makes it anew.
  ASSERT_TRUE(DeleteFileW(file.path().c_str()));
  {
    CDebugLog log;  // no name: only the blank and "---" entries
    log.Write("after deletion\n");
  }
  entries = ReadEntries(file.path());
  ASSERT_EQ(entries.size(), 3u);
  EXPECT_EQ(entries[1].message, L"---");
  EXPECT_EQ(entries[2].message, L"after deletion");
}

TEST(ScopedLog, NestedRecordsIndentTwoBlanksPerLevel) {
  moni::test::TempFile file(L"moni_dbg_");
  CDebugLog::SetSettingsForTest(true, file.path());
  const std::uint32_t before = CDebugLog::Depth();
  {
    CDebugLog outer("COuter::Run");
    {
      CDebugLog middle("CMiddle::Run");
      {
        CDebugLog inner("CInner::Run");
        inner.Write("CInner::Run : Enter\n");
        EXPECT_EQ(CDebugLog::Depth(), before + 3);
      }
      middle.Write("CMiddle::Run : back\n");
    }
  }
  EXPECT_EQ(CDebugLog::Depth(), before);

  const std::vector<Entry> entries = ReadEntries(file.path());
  ASSERT_EQ(entries.size(), 11u);
  EXPECT_EQ(entries[2].message, L"COuter::Run");
  EXPECT_EQ(entries[2].indent, 0u);
  EXPECT_EQ(entries[5].message, L"CMiddle::Run");
  EXPECT_EQ(entries[5].indent, 2u);
  // Built two levels deep: its blank, "---" and name entries with four blanks...
  for (size_t k = 6; k <= 8; ++k) EXPECT_EQ(entries[k].indent, 4u) << k;
  EXPECT_EQ(entries[7].message, L"---");
  EXPECT_EQ(entries[8].message, L"CInner::Run");
  // ...and its own lines with six.
  EXPECT_EQ(entries[9].message, L"CInner::Run : Enter");
  EXPECT_EQ(entries[9].indent, 6u);
  EXPECT_EQ(entries[10].message, L"CMiddle::Run : back");
  EXPECT_EQ(entries[10].indent, 4u);
}

TEST(ScopedLog, HexEntriesAndLongMessages) {
  moni::test::TempFile file(L"moni_dbg_");
  CDebugLog::SetSettingsForTest(true, file.path());
  {
    CDebugLog log;
    const unsigned char bytes[] = {0x1B, 0x40, 0x0A};
    log.WriteHex(bytes, 3, "Binary_Data:");
    log.WriteHex(bytes, 0, "Binary_Data:");
    log.WriteHex(nullptr, 3, "Binary_Data:");
    log.WriteHex(bytes, 3, "");
    log.WriteHex(bytes, 3, nullptr);
    log.WriteHex(bytes, 1, "%s%n:");  // the label is not a format
    log.Write("%s\n", std::string(CDebugLog::kMaxMessage + 100, 'x'));
  }
  const std::vector<Entry> entries = ReadEntries(file.path());
  ASSERT_EQ(entries.size(), 5u);
  EXPECT_EQ(entries[2].message, L"Binary_Data:1B 40 0A");
  EXPECT_EQ(entries[2].indent, 2u);
  EXPECT_EQ(entries[3].message, L"%s%n:1B");
  // A message over the limit is cut, keeping its line end.
  EXPECT_EQ(entries[4].message.size() + 1, CDebugLog::kMaxMessage);
}

TEST(ScopedLog, SwitchedOffWritesNothingAndCreatesNoFile) {
  moni::test::TempFile file(L"moni_dbg_");
  CDebugLog::SetSettingsForTest(false, file.path());
  EXPECT_FALSE(CDebugLog::IsEnabled());
  const std::uint32_t before = CDebugLog::Depth();
  {
    CDebugLog log("CTest::Off");
    EXPECT_EQ(CDebugLog::Depth(), before);
    log.Write("%s\n", "never");
    const unsigned char byte = 1;
    log.WriteHex(&byte, 1, "x:");
    // Switching on later does not wake a record built while off.
    CDebugLog::SetSettingsForTest(true, file.path());
    log.Write("still nothing\n");
  }
  EXPECT_EQ(CDebugLog::Depth(), before);
  EXPECT_FALSE(file.exists());
}

TEST(ScopedLog, EntriesOfTwoThreadsCarryTheirThreadIds) {
  moni::test::TempFile file(L"moni_dbg_");
  CDebugLog::SetSettingsForTest(true, file.path());
  constexpr int kLines = 25;
  std::atomic<DWORD> ids[2] = {0, 0};
  auto work = [&](int n) {
    ids[n] = GetCurrentThreadId();
    CDebugLog log(n == 0 ? "CWorker0::Run" : "CWorker1::Run");
    for (int k = 0; k < kLines; ++k) log.Write("CWorker%d::Run : line %d\n", n, k);
  };
  std::thread a(work, 0), b(work, 1);
  a.join();
  b.join();

  const std::vector<Entry> entries = ReadEntries(file.path());
  int count[2] = {0, 0};
  for (const Entry& e : entries) {
    EXPECT_EQ(e.pid, GetCurrentProcessId());
    const int n = e.tid == ids[0] ? 0 : e.tid == ids[1] ? 1 : -1;
    ASSERT_NE(n, -1) << "unknown thread id " << e.tid;
    ++count[n];
    // A worker's own lines name that worker: entries of two threads never mix.
    if (e.message.find(L"CWorker") != std::wstring::npos) {
      EXPECT_NE(e.message.find(n == 0 ? L"CWorker0" : L"CWorker1"), std::wstring::npos);
    }
  }
  // Threads of one process do not lose entries to each other.
  EXPECT_EQ(count[0], 3 + kLines);
  EXPECT_EQ(count[1], 3 + kLines);
  EXPECT_NE(ids[0], ids[1]);
}

TEST(ScopedLogSwitch, ReadFromTheLogValue) {
  TestKey key;
  EXPECT_FALSE(CDebugLog::ReadSwitch(HKEY_CURRENT_USER, key.subkey()));  // no key
  key.SetDword(L"other", 1);
  EXPECT_FALSE(CDebugLog::ReadSwitch(HKEY_CURRENT_USER, key.subkey()));  // no value
  key.SetDword(L"log", 0);
  EXPECT_FALSE(CDebugLog::ReadSwitch(HKEY_CURRENT_USER, key.subkey()));
  key.SetDword(L"log", 1);
  EXPECT_TRUE(CDebugLog::ReadSwitch(HKEY_CURRENT_USER, key.subkey()));
  key.SetDword(L"log", 0x100);
  EXPECT_TRUE(CDebugLog::ReadSwitch(HKEY_CURRENT_USER, key.subkey()));
  key.Set(L"log", REG_SZ, L"1", 4);  // not a REG_DWORD
  EXPECT_FALSE(CDebugLog::ReadSwitch(HKEY_CURRENT_USER, key.subkey()));
}

// Saves HKCU\Software\TALMER\VGL3 "log" and puts it back afterwards.
class SharedSwitch {
 public:
  static constexpr wchar_t kKey[] = L"Software\\TALMER\\VGL3";
  SharedSwitch() {
    moni::RegKey key;
    m_keyExisted = RegOpenKeyExW(HKEY_CURRENT_USER, kKey, 0, KEY_QUERY_VALUE, key.put()) == ERROR_SUCCESS;
    if (!m_keyExisted) return;
    DWORD size = 0;
    if (RegQueryValueExW(key.get(), L"log", nullptr, &m_type, nullptr, &size) == ERROR_SUCCESS) {
      m_data.resize(size);
      m_valueExisted = RegQueryValueExW(key.get(), L"log", nullptr, &m_type,
                                        reinterpret_cast<BYTE*>(m_data.data()), &size) == ERROR_SUCCESS;
    }
  }
  ~SharedSwitch() {
    moni::RegKey key;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, kKey, 0, KEY_SET_VALUE, key.put()) != ERROR_SUCCESS) return;
    if (m_valueExisted)
      RegSetValueExW(key.get(), L"log", 0, m_type, reinterpret_cast<const BYTE*>(m_data.data()),
                     static_cast<DWORD>(m_data.size()));
    else
      RegDeleteValueW(key.get(), L"log");
    key.reset();
    if (!m_keyExisted) {
      RegDeleteKeyW(HKEY_CURRENT_USER, kKey);  // only when empty
      RegDeleteKeyW(HKEY_CURRENT_USER, L"Software\\TALMER");
    }
  }
  void Set(DWORD value) {
    moni::RegKey key;
    ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, kKey, 0, nullptr, 0, KEY_SET_VALUE, nullptr, key.put(), nullptr),
              ERROR_SUCCESS);
    ASSERT_EQ(RegSetValueExW(key.get(), L"log", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value), sizeof value),
              ERROR_SUCCESS);
  }

 private:
  bool m_keyExisted = false;
  bool m_valueExisted = false;
  DWORD m_type = 0;
  std::string m_data;
};

void CallReleaseRegistryInLibrary() {
  using ReleaseRegistry = int(WINAPI*)(const wchar_t*, const wchar_t*, const wchar_t*, const wchar_t*);
  moni::Module lib(LoadLibraryW(L"monicore.dll"));
  ASSERT_TRUE(lib.valid());
  auto fn = moni::ProcAddress<ReleaseRegistry>(lib.get(), "PrReleaseRegistry");
  ASSERT_NE(fn, nullptr);
  fn(L"", L"", L"", L"");
}

// The library reads the switch from the shared key when it is loaded and writes
// to the shared log file in the common application-data folder.
TEST(ScopedLogFromRegistry, SwitchReadWhenLibraryLoads) {
  SharedSwitch restore;
  wchar_t appData[MAX_PATH + 1] = {};
  ASSERT_TRUE(SUCCEEDED(SHGetFolderPathW(nullptr, CSIDL_COMMON_APPDATA, nullptr, SHGFP_TYPE_CURRENT, appData)));
  const std::wstring talmer = std::wstring(appData) + L"\\TALMER";
  const std::wstring folder = talmer + L"\\VGL3";
  const bool madeTalmer = CreateDirectoryW(talmer.c_str(), nullptr) != FALSE;
  const bool madeFolder = CreateDirectoryW(folder.c_str(), nullptr) != FALSE;
  const std::wstring path = folder + L"\\VGL4.LOG";
  DeleteFileW(path.c_str());

  restore.Set(0);
  CallReleaseRegistryInLibrary();
  EXPECT_EQ(GetFileAttributesW(path.c_str()), INVALID_FILE_ATTRIBUTES) << "switched off, yet a log file exists";

  restore.Set(1);
  CallReleaseRegistryInLibrary();
  const std::string bytes = moni::test::ReadFileBytes(path);
  ASSERT_GE(bytes.size(), 2u);
  EXPECT_EQ(bytes.substr(0, 2), "\xFF\xFE");
  const std::vector<Entry> entries = ReadEntries(path);
  const Entry* scope = Find(entries, L"PrReleaseRegistry");
  ASSERT_NE(scope, nullptr);
  EXPECT_EQ(scope->pid, GetCurrentProcessId());
  EXPECT_EQ(scope->tid, GetCurrentThreadId());

  DeleteFileW(path.c_str());
  if (madeFolder) RemoveDirectoryW(folder.c_str());
  if (madeTalmer) RemoveDirectoryW(talmer.c_str());
}

}  // namespace
