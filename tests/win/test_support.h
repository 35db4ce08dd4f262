// Helpers shared by the Windows tests: per-test temporary files and reading
// files whole. Tests run in parallel in one prefix, so every name carries the
// test's name and the process id.
#pragma once
#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

#include "foundation/registry_key.h"
#include "foundation/target_keys.h"
#include "platform/handles.h"

namespace moni::test {

// "<test name>_<process id>", unique among the tests running at once.
inline std::wstring UniqueTestName() {
  const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
  std::wstring name;
  for (const char* p = info ? info->name() : "test"; *p; ++p) name.push_back(static_cast<wchar_t>(static_cast<unsigned char>(*p)));
  return name + L"_" + std::to_wstring(GetCurrentProcessId());
}

inline std::wstring TempFolder() {
  wchar_t folder[MAX_PATH + 1] = {};
  GetTempPathW(MAX_PATH + 1, folder);
  return folder;
}

// A file of this test alone in the temporary folder, absent at first and
// deleted afterwards.
class TempFile {
 public:
  explicit TempFile(const std::wstring& prefix, const std::wstring& suffix = L".log")
      : m_path(TempFolder() + prefix + UniqueTestName() + suffix) {
    DeleteFileW(m_path.c_str());
  }
  ~TempFile() { DeleteFileW(m_path.c_str()); }
  TempFile(const TempFile&) = delete;
  TempFile& operator=(const TempFile&) = delete;
  const std::wstring& path() const { return m_path; }
  bool exists() const { return GetFileAttributesW(m_path.c_str()) != INVALID_FILE_ATTRIBUTES; }

 private:
  std::wstring m_path;
};

// The whole file, or empty when it cannot be opened.
inline std::string ReadFileBytes(const std::wstring& path) {
  KernelHandle file(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  std::string bytes;
  char buf[4096];
  DWORD got = 0;
  while (file.valid() && ReadFile(file.get(), buf, sizeof buf, &got, nullptr) && got > 0) bytes.append(buf, got);
  return bytes;
}

// The lines of a text (without their "\n"; a final line end adds no line).
inline std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  for (size_t at = 0; at < text.size();) {
    size_t end = text.find('\n', at);
    if (end == std::string::npos) end = text.size();
    lines.push_back(text.substr(at, end - at));
    at = end + 1;
  }
  return lines;
}

// Writes the bytes as the whole file; false when it cannot be written.
inline bool WriteTextFile(const std::wstring& path, const std::string& bytes) {
  KernelHandle file(CreateFileW(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
  DWORD written = 0;
  return file.valid() && WriteFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) &&
         written == bytes.size();
}

// Starts a program of the tree (`commandLine` after its quoted path) with its
// output and errors going to the file `outputPath`; the process, or an
// invalid handle when it could not be started.
inline KernelHandle StartWithOutput(const std::wstring& program, const std::wstring& commandLine,
                                    const std::wstring& outputPath) {
  SECURITY_ATTRIBUTES inherit = {sizeof inherit, nullptr, TRUE};
  KernelHandle out(CreateFileW(outputPath.c_str(), GENERIC_WRITE, FILE_SHARE_READ, &inherit, CREATE_ALWAYS, 0, nullptr));
  if (!out.valid()) return KernelHandle();
  std::wstring command = L"\"" + program + L"\" " + commandLine;
  STARTUPINFOW startup = {};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdOutput = out.get();
  startup.hStdError = out.get();
  PROCESS_INFORMATION process = {};
  if (!CreateProcessW(nullptr, command.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr, &startup, &process))
    return KernelHandle();
  KernelHandle thread(process.hThread);
  return KernelHandle(process.hProcess);
}

// Removes every target key of the printer (TLLTarget), as a test leaves the
// registry; a key that cannot be removed fails the test.
inline void RemoveTargetKeysOf(const std::wstring& printer) {
  std::wstring path;
  while (GetTargetPrnKey(printer, false, path) == 0) {
    CRegistryKey parent;
    ASSERT_TRUE(parent.Open(HKEY_CURRENT_USER, targetkeys::ParentPath(false), false, KEY_ALL_ACCESS));
    ASSERT_TRUE(parent.DeleteTree(path.substr(path.rfind(L'\\') + 1)));
  }
}

// An export of a loaded library as a function pointer of type Fn, or null.
template <typename Fn>
Fn ProcOf(const Module& lib, const char* name) {
  return ProcAddress<Fn>(lib.get(), name);
}

}  // namespace moni::test
