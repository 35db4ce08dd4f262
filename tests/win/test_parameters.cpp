// The parameter file and the tray program's parser on a real temporary
// folder and spooler, and the monitor map's named section.
#include <gtest/gtest.h>
#include <windows.h>

#include "foundation/command_line.h"
#include "foundation/monitor_map.h"
#include "foundation/monitor_map_core.h"
#include "kit.h"
#include "platform/files.h"
#include "platform/text.h"
#include "test_support.h"

namespace {

using moni::test::UniqueTestName;

bool Exists(const std::wstring& path) { return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

std::wstring FileName(const std::wstring& path) { return path.substr(path.rfind(L'\\') + 1); }

struct TestPrinter {
  std::wstring name;
  explicit TestPrinter(std::wstring n) : name(std::move(n)) {
    EXPECT_TRUE(moni::kit::AddPrinter(name, moni::kit::kDriver, L"USB001"));
  }
  ~TestPrinter() { moni::kit::DeletePrinter(name); }
};

}  // namespace

TEST(ParameterFile, WrittenInTempFolderReadOnceAndIdentityCompleted) {
  TestPrinter printer(L"Param " + UniqueTestName());
  CParamFile writer;
  writer.SetIdentity(printer.name, L"", L"");
  writer.Switches().SetFlag(u"S");
  writer.Switches().SetText(u"J", u"Job 1");
  const std::wstring path = writer.Write();
  ASSERT_FALSE(path.empty());
  EXPECT_EQ(FileName(path).substr(0, 3), L"V_G");
  EXPECT_EQ(path.substr(0, moni::files::TempFolder().size()), moni::files::TempFolder());
  // UTF-16LE without byte-order mark, "\n" line ends.
  const std::string bytes = moni::test::ReadFileBytes(path);
  ASSERT_GE(bytes.size(), 4u);
  EXPECT_EQ(bytes.substr(0, 4), std::string("/\0P\0", 4));

  // Only the file name on the command line: looked up in the temporary folder,
  // its switches win over the command line's, and it is deleted.
  CTrayCommandLineInfo info;
  info.Parse(L"/P \"someone else\" /FU \"" + FileName(path) + L"\"");
  EXPECT_EQ(info.m_szPrinterName, printer.name);
  EXPECT_EQ(info.m_szDriverName, moni::kit::kDriver);
  EXPECT_EQ(info.m_szPortName, L"USB001");
  EXPECT_EQ(info.m_szModelID, moni::kit::kModelID);
  EXPECT_TRUE(info.fields.s);
  EXPECT_EQ(info.fields.j, u"Job 1");
  EXPECT_FALSE(Exists(path));
  EXPECT_TRUE(CParamFile::Delete(path) == false);
}

TEST(ParameterFile, RunKeyEntryKeepsItsFileAndUnreadableFileStopsTheParse) {
  TestPrinter printer(L"Param " + UniqueTestName());
  CParamFile writer;
  writer.SetIdentity(printer.name, L"", L"");
  const std::wstring path = writer.Write();
  ASSERT_FALSE(path.empty());

  CTrayCommandLineInfo info;
  info.Parse(L"/EF \"HKCU\" /FU \"" + path + L"\"");
  EXPECT_EQ(info.m_IconFrom, 1);
  EXPECT_EQ(info.m_szPrinterName, printer.name);
  EXPECT_TRUE(Exists(path));  // kept for the next log-on
  EXPECT_TRUE(CParamFile::Delete(FileName(path)));
  EXPECT_FALSE(Exists(path));

  // Gone: the command line's identity stays as it is, not completed.
  CTrayCommandLineInfo missing;
  missing.Parse(L"/P \"" + printer.name + L"\" /FU \"" + FileName(path) + L"\"");
  EXPECT_EQ(missing.m_szPrinterName, printer.name);
  EXPECT_TRUE(missing.m_szDriverName.empty());
  EXPECT_TRUE(missing.m_szModelID.empty());
  EXPECT_FALSE(missing.m_fParamFileRead);
}

TEST(MonitorMapSection, RolesAcrossHandlesAndTheTrayWindow) {
  // A key of this test alone in the sample driver's section (every printer of
  // the sample driver shares it).
  TestPrinter printer(L"Map " + UniqueTestName());
  std::wstring name;
  ASSERT_GT(GetMapFileName(printer.name, name), 0);
  EXPECT_EQ(name, L"TLSMP100MapFile");
  GetMapFileName(L"no such printer", name);
  EXPECT_EQ(name, L"DuvV5MapFile_Ink");

  HWND live = CreateWindowExW(0, L"STATIC", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
  ASSERT_NE(live, nullptr);
  moni::KernelHandle first, second;
  HWND other = nullptr;
  ASSERT_EQ(MultiExecuteCheck(printer.name, L"", 1, live, &other, first), 0);
  EXPECT_TRUE(first.valid());
  // The status window role is taken by a live window; role 2 shares its field.
  EXPECT_EQ(MultiExecuteCheck(printer.name, L"", 2, nullptr, &other, second), 1);
  EXPECT_EQ(other, live);
  EXPECT_TRUE(second.valid());
  EXPECT_EQ(MultiExecuteCheck(printer.name, L"", 7, nullptr, &other, second), 1);
  EXPECT_EQ(other, nullptr);

  EXPECT_EQ(SethWindow(printer.name, L"", live), 0);
  {
    moni::MappedView view = moni::monitormap::MapTable(first.get(), FILE_MAP_READ);
    const std::span<const std::uint8_t> bytes(static_cast<const std::uint8_t*>(view.get()),
                                              moni::monitormap::kSectionSize);
    const auto record = moni::monitormap::FindRecord(bytes, moni::ToU16(printer.name));
    ASSERT_TRUE(record.has_value());
    EXPECT_EQ(moni::monitormap::ReadHandle(bytes, *record, moni::monitormap::kTrayHandleOffset),
              reinterpret_cast<UINT_PTR>(live));
  }
  // Released roles free the record.
  ReleaseMapPrinter(first.get(), printer.name, L"", 1);
  ReleaseMapPrinter(first.get(), printer.name, L"", 3);
  {
    moni::MappedView view = moni::monitormap::MapTable(first.get(), FILE_MAP_READ);
    const std::span<const std::uint8_t> bytes(static_cast<const std::uint8_t*>(view.get()),
                                              moni::monitormap::kSectionSize);
    EXPECT_FALSE(moni::monitormap::FindRecord(bytes, moni::ToU16(printer.name)).has_value());
  }
  EXPECT_EQ(SethWindow(printer.name, L"", live), 1);  // no longer in the table
  first.reset();
  second.reset();
  DestroyWindow(live);
}
