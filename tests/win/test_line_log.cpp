#include <gtest/gtest.h>
#include <windows.h>

#include <regex>
#include <string>
#include <thread>
#include <vector>

#include "foundation/line_log.h"
#include "platform/handles.h"
#include "platform/text.h"
#include "test_support.h"

namespace {

using moni::linelog::ResolvePath;

// The messages of a line log file; every line must end in "\r\n" and carry
// this process's prefix.
std::vector<std::string> ReadMessages(const std::wstring& path) {
  const std::string bytes = moni::test::ReadFileBytes(path);
  char pid[16];
  snprintf(pid, sizeof pid, "%04lX", GetCurrentProcessId());
  const std::regex line(std::string(pid) + ";[ 0-9]{4}[0-9]:[0-5][0-9]\\.[0-9]{3}; (.*)");
  std::vector<std::string> messages;
  size_t start = 0;
  for (size_t end; (end = bytes.find('\n', start)) != std::string::npos; start = end + 1) {
    if (end == start || bytes[end - 1] != '\r') {
      ADD_FAILURE() << "line end without carriage return at " << end;
      continue;
    }
    const std::string text = bytes.substr(start, end - 1 - start);
    std::smatch m;
    if (std::regex_match(text, m, line)) {
      messages.push_back(m[1].str());
    } else {
      messages.push_back("<no prefix>" + text);
    }
  }
  EXPECT_EQ(start, bytes.size()) << "text after the last line end";
  return messages;
}

std::string Ansi(const std::wstring& text) {
  std::string out;
  EXPECT_TRUE(moni::WideToAnsi(text, out));
  return out;
}

TEST(LineLog, EntriesAreAnsiLinesWithCarriageReturns) {
  moni::test::TempFile file(L"moni_line_");
  moni::linelog::SetSettingsForTest(true, file.path());
  EXPECT_EQ(LogWrite(L"***** LOG START ******"), 1);
  EXPECT_EQ(LogWriteStr(L"PrinterName", L"Caf\u00e9 Printer"), 1);
  EXPECT_EQ(LogWriteInt(L"Result", -5), 1);
  EXPECT_EQ(LogWriteInt(L"Max", 2147483647), 1);
  EXPECT_EQ(LogWrite(L"100% %s %n done"), 1);  // text is never a format
  EXPECT_EQ(LogWrite(L"two\nlines"), 1);
  EXPECT_EQ(LogWrite(L"***** LOG END ******"), 1);

  const std::vector<std::string> messages = ReadMessages(file.path());
  ASSERT_EQ(messages.size(), 8u);
  EXPECT_EQ(messages[0], "***** LOG START ******");
  EXPECT_EQ(messages[1], Ansi(L"PrinterName : Caf\u00e9 Printer"));
  EXPECT_EQ(messages[2], "Result : -5");
  EXPECT_EQ(messages[3], "Max : 2147483647");
  EXPECT_EQ(messages[4], "100% %s %n done");
  EXPECT_EQ(messages[5], "two");
  EXPECT_EQ(messages[6], "<no prefix>lines");
  EXPECT_EQ(messages[7], "***** LOG END ******");
  if (GetACP() == 1252) {
    EXPECT_EQ(messages[1], "PrinterName : Caf\xE9 Printer");
  }
}

TEST(LineLog, AppendsWhileOthersHoldTheFile) {
  moni::test::TempFile file(L"moni_line_");
  {
    moni::KernelHandle f(CreateFileW(file.path().c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, 0, nullptr));
    ASSERT_TRUE(f.valid());
    DWORD written = 0;
    ASSERT_TRUE(WriteFile(f.get(), "0000;    0:00.000; old\r\n", 24, &written, nullptr));
  }
  moni::linelog::SetSettingsForTest(true, file.path());
  // A viewer that has the file open for reading and writing does not stop the log.
  moni::KernelHandle viewer(CreateFileW(file.path().c_str(), GENERIC_READ | GENERIC_WRITE,
                                        FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                                        0, nullptr));
  ASSERT_TRUE(viewer.valid());
  EXPECT_EQ(LogWrite(L"new"), 1);
  viewer.reset();
  const std::string bytes = moni::test::ReadFileBytes(file.path());
  EXPECT_EQ(bytes.substr(0, 24), "0000;    0:00.000; old\r\n");
  EXPECT_EQ(bytes.substr(bytes.size() - 7), "; new\r\n");
}

TEST(LineLog, WritersAtTheSameTimeNeverSplitEachOthersEntries) {
  moni::test::TempFile file(L"moni_line_");
  moni::linelog::SetSettingsForTest(true, file.path());
  constexpr int kThreads = 4, kEntries = 150;
  std::vector<std::thread> writers;
  for (int t = 0; t < kThreads; ++t) {
    writers.emplace_back([t] {
      for (int i = 0; i < kEntries; ++i) LogWriteInt((L"writer " + std::to_wstring(t)).c_str(), i);
    });
  }
  for (std::thread& w : writers) w.join();
  const std::vector<std::string> messages = ReadMessages(file.path());
  EXPECT_EQ(messages.size(), static_cast<size_t>(kThreads * kEntries));
  for (const std::string& m : messages) EXPECT_EQ(m.rfind("writer ", 0), 0u) << m;
}

TEST(LineLog, OffOrNullArgumentsWriteNothing) {
  moni::test::TempFile file(L"moni_line_");
  moni::linelog::SetSettingsForTest(false, file.path());
  EXPECT_EQ(LogWrite(L"x"), 0);
  EXPECT_EQ(LogWriteStr(L"a", L"b"), 0);
  EXPECT_EQ(LogWriteInt(L"a", 1), 0);
  EXPECT_FALSE(file.exists());

  moni::linelog::SetSettingsForTest(true, file.path());
  EXPECT_EQ(LogWrite(nullptr), 0);
  EXPECT_EQ(LogWriteStr(nullptr, L"b"), 0);
  EXPECT_EQ(LogWriteStr(L"a", nullptr), 0);
  EXPECT_EQ(LogWriteInt(nullptr, 1), 0);
  EXPECT_FALSE(file.exists());

  // A path that could not be resolved leaves the log off.
  moni::linelog::SetSettingsForTest(true, L"");
  EXPECT_EQ(LogWrite(L"x"), 0);
}

TEST(LineLogPath, TemporaryFolderOrTheDriveRoot) {
  EXPECT_EQ(ResolvePath(L"C:\\users\\me\\Temp\\", L"V_G40IC.LOG"), L"C:\\users\\me\\Temp\\V_G40IC.LOG");
  EXPECT_EQ(ResolvePath(L"C:\\Temp", L"V_G40IC.LOG"), L"C:\\Temp\\V_G40IC.LOG");
  // No temporary folder: the drive root.
  EXPECT_EQ(ResolvePath(L"", L"V_G40IC.LOG"), L"C:\\V_G40IC.LOG");

  // The joined path must fit 260 characters with its terminator.
  const std::wstring name = L"V_G40IC.LOG";
  const std::wstring fits = L"C:\\" + std::wstring(259 - 3 - name.size() - 1, L'a') + L"\\";
  ASSERT_EQ(fits.size() + name.size(), 259u);
  EXPECT_EQ(ResolvePath(fits, name), fits + name);
  const std::wstring tooLong = L"C:\\" + std::wstring(260 - 3 - name.size() - 1, L'a') + L"\\";
  EXPECT_EQ(ResolvePath(tooLong, name), L"C:\\V_G40IC.LOG");

  // A name that does not fit even there: no path, the log stays off.
  EXPECT_EQ(ResolvePath(L"", std::wstring(300, L'n')), L"");
  EXPECT_EQ(ResolvePath(L"C:\\Temp\\", L""), L"");
}

TEST(LineLogSwitch, ReadFromTheValueIntoFourBytes) {
  const std::wstring subkey = L"Software\\MoniTests\\line_" + moni::test::UniqueTestName();
  struct Cleanup {
    const std::wstring& subkey;
    ~Cleanup() {
      RegDeleteTreeW(HKEY_CURRENT_USER, subkey.c_str());
      RegDeleteKeyW(HKEY_CURRENT_USER, L"Software\\MoniTests");
    }
  } cleanup{subkey};
  auto set = [&](DWORD type, const void* data, DWORD size) {
    moni::RegKey key;
    ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, subkey.c_str(), 0, nullptr, 0, KEY_SET_VALUE, nullptr, key.put(),
                              nullptr),
              ERROR_SUCCESS);
    ASSERT_EQ(RegSetValueExW(key.get(), L"V_GIC", 0, type, static_cast<const BYTE*>(data), size), ERROR_SUCCESS);
  };
  auto read = [&] { return moni::linelog::ReadSwitch(HKEY_CURRENT_USER, subkey.c_str()); };

  EXPECT_FALSE(read());  // no key
  const DWORD zero = 0, one = 1;
  set(REG_DWORD, &zero, sizeof zero);
  EXPECT_FALSE(read());
  set(REG_DWORD, &one, sizeof one);
  EXPECT_TRUE(read());
  const BYTE high[2] = {0, 1};
  set(REG_BINARY, high, sizeof high);
  EXPECT_TRUE(read());
  const BYTE eight[8] = {1, 1, 1, 1, 1, 1, 1, 1};
  set(REG_BINARY, eight, sizeof eight);  // longer than 4 bytes
  EXPECT_FALSE(read());
  const unsigned long long wide = 1;
  set(REG_QWORD, &wide, sizeof wide);
  EXPECT_FALSE(read());
}

}  // namespace
