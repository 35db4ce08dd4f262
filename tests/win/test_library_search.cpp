// Libraries that the driver's data names are loaded into other people's
// programs: their files are never taken from the host program's folder or the
// current folder. A bare name comes from the system folder (where the kit
// installs BQAPI.DLL, BQAPINX.DLL and BQSACTL.DLL), a full path from there,
// and a relative path not at all.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "comm_test_support.h"
#include "platform/process.h"
#include "platform/system.h"

namespace {

std::wstring PathOf(HMODULE module) {
  wchar_t path[MAX_PATH] = {};
  return module && GetModuleFileNameW(module, path, MAX_PATH) ? path : L"";
}

bool SamePath(const std::wstring& a, const std::wstring& b) {
  return CompareStringOrdinal(a.c_str(), -1, b.c_str(), -1, TRUE) == CSTR_EQUAL;
}

TEST(NamedLibrary, BareNameFromTheSystemFolderFullPathAsGivenRelativeRefused) {
  const std::wstring mine = moni::kit::ProgramFolder() + L"BQAPINX.DLL";  // beside this program
  const std::wstring system = moni::SystemFolder() + L"\\BQAPINX.DLL";
  // The program's own copy is loaded already: a bare name does not take it.
  moni::Module planted(LoadLibraryW(mine.c_str()));
  ASSERT_TRUE(planted);
  {
    moni::Module bare = moni::LoadNamedLibrary(L"BQAPINX.DLL");
    ASSERT_TRUE(bare);
    EXPECT_NE(bare.get(), planted.get());
    EXPECT_TRUE(SamePath(PathOf(bare.get()), system)) << PathOf(bare.get());
  }
  {
    moni::Module full = moni::LoadNamedLibrary(mine);
    EXPECT_EQ(full.get(), planted.get());
  }
  for (const wchar_t* relative : {L".\\BQAPINX.DLL", L"\\BQAPINX.DLL", L"bin\\BQAPINX.DLL", L"C:BQAPINX.DLL", L""}) {
    SetLastError(0);
    EXPECT_FALSE(moni::LoadNamedLibrary(relative)) << relative;
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_BAD_PATHNAME)) << relative;
  }
  SetLastError(0);
  EXPECT_FALSE(moni::LoadNamedLibrary(L"NOSUCHLIBRARY.DLL"));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_MOD_NOT_FOUND));
}

// A host program in a folder of its own, with a BQAPI.DLL planted beside it
// (a copy of BQAPINX.DLL, which lacks BQGetStatus) and run in that folder:
// the one-shot query and a monitoring session both read the printer through
// the system folder's library.
class LibrarySearch : public moni::test::CommTest {};

TEST_F(LibrarySearch, LibraryPlantedBesideTheHostIsNotLoaded) {
  AddSpoolerPrinter();
  WriteScenario(Scenario("0x10000005:0x0007"));
  const std::wstring bin = moni::kit::ProgramFolder();
  const std::wstring host = folder + L"\\host";
  ASSERT_TRUE(CreateDirectoryW(host.c_str(), nullptr));
  ASSERT_TRUE(CopyFileW((bin + L"BQAPINX.DLL").c_str(), (host + L"\\BQAPI.DLL").c_str(), FALSE));
  ASSERT_TRUE(CopyFileW((bin + L"library_host.exe").c_str(), (host + L"\\library_host.exe").c_str(), FALSE));
  const std::wstring output = host + L"\\result.txt";

  const std::wstring command = L"\"" + host + L"\\library_host.exe\" \"" + bin + L"monicore.dll\" \"" + printer + L"\" \"" +
                               moni::kit::kDriver + L"\" LPT1: " + moni::kit::kModelID + L" \"" + output + L"\"";
  moni::StartedProcess run;
  ASSERT_TRUE(moni::StartProcess(command, run, CREATE_NO_WINDOW, host));
  ASSERT_EQ(WaitForSingleObject(run.process.get(), 20000), WAIT_OBJECT_0);
  DWORD code = 1;
  GetExitCodeProcess(run.process.get(), &code);
  EXPECT_EQ(code, 0u);
  run = moni::StartedProcess();

  const std::string bytes = moni::test::ReadFileBytes(output);
  const std::wstring result(reinterpret_cast<const wchar_t*>(bytes.data()), bytes.size() / sizeof(wchar_t));
  const size_t replyBytes = sizeof moni::test::kReadyReplyHex / 2;
  EXPECT_NE(result.find(L"query " + std::to_wstring(replyBytes) + L"\r\n"), std::wstring::npos) << result;
  const std::wstring session = L"session " + moni::SystemFolder() + L"\\BQAPI.DLL 0\r\n";
  EXPECT_TRUE(result.size() > session.size() && SamePath(result.substr(result.size() - session.size()), session)) << result;

  for (const wchar_t* file : {L"\\BQAPI.DLL", L"\\library_host.exe", L"\\result.txt"}) DeleteFileW((host + file).c_str());
  RemoveDirectoryW(host.c_str());
}

}  // namespace
