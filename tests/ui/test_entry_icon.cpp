// The tray icon question (PrEntryIconDlg) answered like a user, its pictures
// in both kit languages, and the tray icons of four printers side by side.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstdlib>

#include "api/monicore.h"
#include "foundation/startup_list.h"
#include "foundation/target_keys.h"
#include "kit.h"
#include "platform/text.h"
#include "platform/text_core.h"
#include "tray_process.h"
#include "ui/prefs/entry_icon_dlg.h"
#include "ui/prefs/startup_entry.h"
#include "window_support.h"

namespace moni::test {
namespace {

using startup::kRunKey;

bool RunValueExists(const std::wstring& name) {
  return RegGetValueW(HKEY_CURRENT_USER, kRunKey, name.c_str(), RRF_RT_ANY, nullptr, nullptr, nullptr) == ERROR_SUCCESS;
}

std::wstring ResourceText(const std::wstring& library, UINT id) {
  const Module module(LoadLibraryExW((kit::ProgramFolder() + library).c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE));
  wchar_t text[1024] = {};
  LoadStringW(module.get(), id, text, 1024);
  return text;
}

void RemoveStartupEntry(const std::wstring& name) {
  startup::DelOldIconRegFile(HKEY_CURRENT_USER, kRunKey, name);
  RegDeleteKeyValueW(HKEY_CURRENT_USER, kRunKey, name.c_str());
}

void EndTray(const std::wstring& printer) {
  if (HWND window = RunningTrayWindow(printer)) {
    PostMessageW(window, WM_CLOSE, 0, 0);
    WaitFor([&] { return !IsWindow(window); }, 10000);
  }
}

void RemoveTargetKey(const std::wstring& printer) {
  for (std::wstring key; GetTargetPrnKey(printer, false, key) == 0; key.clear()) RegDeleteTreeW(HKEY_CURRENT_USER, key.c_str());
}

class EntryQuestion : public ::testing::Test {
 protected:
  void SetUp() override {
    printer = L"Question " + UniqueTestName();
    ASSERT_TRUE(kit::AddPrinter(printer, kit::kDriver, L"USB001"));
    library.reset(LoadLibraryW(L"monicore.dll"));
    ask = ProcOf<decltype(&PrEntryIconDlg)>(library, "PrEntryIconDlg");
    ASSERT_NE(ask, nullptr);
  }
  void TearDown() override {
    EndTray(printer);
    RemoveStartupEntry(printer);
    RemoveTargetKey(printer);
    kit::DeletePrinter(printer);
  }
  int Ask() { return ask(printer.c_str(), kit::kDriver, L"USB001", kit::kModelID); }

  // Shows the question and checks what every answer starts from.
  HWND Open(DialogThread& thread) {
    HWND dialog = WaitForDialog(thread.id(), CEntryIconDlg::kPromptControl);
    if (!dialog) return nullptr;
    EXPECT_EQ(ControlText(dialog, CEntryIconDlg::kPromptControl), ResourceText(L"V_SMPRES.DLL", CEntryIconDlg::kPromptString));
    EXPECT_EQ(ControlText(dialog, CEntryIconDlg::kPrinterControl), printer);
    EXPECT_EQ(GetForegroundWindow(), dialog);
    EXPECT_FALSE(GetWindowLongPtrW(dialog, GWL_EXSTYLE) & WS_EX_TOPMOST);
    MONITORINFO monitor = {};
    monitor.cbSize = sizeof monitor;
    GetMonitorInfoW(MonitorFromWindow(dialog, MONITOR_DEFAULTTOPRIMARY), &monitor);
    RECT frame = {};
    GetWindowRect(dialog, &frame);
    EXPECT_LE(std::abs((frame.left + frame.right) - (monitor.rcWork.left + monitor.rcWork.right)), 1);
    EXPECT_LE(std::abs((frame.top + frame.bottom) - (monitor.rcWork.top + monitor.rcWork.bottom)), 1);
    return dialog;
  }

  std::wstring printer;
  Module library;
  decltype(&PrEntryIconDlg) ask = nullptr;
};

TEST_F(EntryQuestion, OkPutsTheTrayProgramIntoTheStartupListAndStartsIt) {
  DialogThread thread([&] { return Ask(); });
  HWND dialog = Open(thread);
  ASSERT_NE(dialog, nullptr);
  EXPECT_EQ(Ask(), -1);  // one question per printer at a time
  EXPECT_EQ(SaveWindowPicture(dialog, L"icons\\question.png"), picture::SaveResult::kSaved);
  Click(dialog, IDOK);
  ASSERT_TRUE(thread.Finish());
  EXPECT_EQ(thread.result(), 0);
  const auto old = startup::ReadOldIconFile(HKEY_CURRENT_USER, kRunKey, printer);
  EXPECT_EQ(startup::ParseStartupValue(ToU16(old.value)).from, u"HKCU");
  EXPECT_TRUE(startup::IsOwnParamFile(old.file));
  EXPECT_TRUE(WaitFor([&] { return RunningTrayWindow(printer) != nullptr; }, 15000));
  EXPECT_EQ(CEntryIconDlg::MultiEntryIconDlgCheck(printer), 0);
}

TEST_F(EntryQuestion, CancelSwitchesTheIconOffAndStartsNothing) {
  DialogThread thread([&] { return Ask(); });
  HWND dialog = Open(thread);
  ASSERT_NE(dialog, nullptr);
  EXPECT_EQ(CEntryIconDlg::MultiEntryIconDlgCheck(printer), 1);
  Click(dialog, IDCANCEL);
  ASSERT_TRUE(thread.Finish());
  EXPECT_EQ(thread.result(), 0);
  std::wstring key;
  ASSERT_EQ(GetTargetPrnKey(printer, false, key), 0);
  DWORD value = 9, size = sizeof value;
  EXPECT_EQ(RegGetValueW(HKEY_CURRENT_USER, key.c_str(), L"TrayIconEnable", RRF_RT_REG_DWORD, nullptr, &value, &size),
            ERROR_SUCCESS);
  EXPECT_EQ(value, 0u);
  EXPECT_FALSE(RunValueExists(printer));
  Sleep(500);
  EXPECT_EQ(RunningTrayWindow(printer), nullptr);
  // A printer the spooler does not know cannot be asked about.
  EXPECT_EQ(ask(L"No such printer", kit::kDriver, L"USB001", kit::kModelID), -1);
}

TEST(EntryQuestionPictures, BothLanguagesShowEveryTextWhole) {
  for (const auto& [library, language] : {std::pair{L"V_SMPRES.DLL", L"en"}, std::pair{L"V_SMPRDE.DLL", L"de"}}) {
    SCOPED_TRACE(NarrowUtf8(ToU16(language)));
    const Module resources(LoadLibraryExW((kit::ProgramFolder() + library).c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE));
    ASSERT_TRUE(resources.valid());
    CEntryIconDlg question(resources.get(), kit::kPrinter);
    DialogThread thread([&] { return static_cast<int>(question.DoModal()); });
    HWND dialog = WaitForDialog(thread.id(), CEntryIconDlg::kPromptControl);
    ASSERT_NE(dialog, nullptr);
    for (int id : {CEntryIconDlg::kPromptControl, CEntryIconDlg::kPrinterControl, IDOK, IDCANCEL}) {
      EXPECT_FALSE(ControlText(dialog, id).empty()) << id;
      EXPECT_TRUE(TextFits(dialog, id)) << id;
    }
    EXPECT_EQ(SaveWindowPicture(dialog, L"icons\\question-" + std::wstring(language) + L".png"),
              picture::SaveResult::kSaved);
    Click(dialog, IDCANCEL);
    ASSERT_TRUE(thread.Finish());
    EXPECT_EQ(thread.result(), IDCANCEL);
  }
}

// Four printers' tray programs started and ended again through the start
// worker; the last one is told to end without a temporary folder, on its
// command line.
TEST(TrayIcons, FourPrintersSideBySide) {
  std::vector<prefs::TrayIdentity> printers;
  for (int i = 0; i < 4; ++i) {
    prefs::TrayIdentity identity = {L"Icons " + std::to_wstring(i) + L" " + UniqueTestName(), kit::kDriver, L"USB001",
                                    kit::kModelID};
    ASSERT_TRUE(kit::AddPrinter(identity.printer, identity.driver, identity.port));
    bool byPort = false;
    std::wstring key;
    int created = 0;
    GetOrCreateTargetPrnKey(identity.printer, identity.port, identity.model, byPort, key, &created);
    const DWORD selected = static_cast<DWORD>(i % 3);
    RegSetKeyValueW(HKEY_CURRENT_USER, key.c_str(), L"TrayIconSelected", REG_DWORD, &selected, sizeof selected);
    printers.push_back(identity);
  }
  for (const auto& identity : printers) {
    EXPECT_EQ(prefs::StartTrayIconExe(1, identity), 1);
    EXPECT_TRUE(WaitFor([&] { return RunningTrayWindow(identity.printer) != nullptr; }, 15000));
  }
  HWND area = nullptr;
  ASSERT_TRUE(WaitFor([&] { return (area = FindWindowW(nullptr, L"Wine System Tray")) != nullptr && IsWindowVisible(area); },
                      5000));
  Sleep(300);
  EXPECT_TRUE(WaitFor([&] { return SaveWindowPicture(area, L"icons\\tray-four.png") == picture::SaveResult::kSaved; }, 5000));

  wchar_t temp[MAX_PATH] = {};
  const bool hadTemp = GetEnvironmentVariableW(L"TMP", temp, MAX_PATH) > 0;
  for (size_t i = 0; i < printers.size(); ++i) {
    HWND window = RunningTrayWindow(printers[i].printer);
    if (i + 1 == printers.size()) SetEnvironmentVariableW(L"TMP", L"C:\\no such folder\\");
    EXPECT_EQ(prefs::StartTrayIconExe(0, printers[i]), 1);
    SetEnvironmentVariableW(L"TMP", hadTemp ? temp : nullptr);
    EXPECT_TRUE(WaitFor([&] { return !IsWindow(window); }, 10000)) << i;
  }
  for (const auto& identity : printers) {
    EndTray(identity.printer);
    RemoveTargetKey(identity.printer);
    kit::DeletePrinter(identity.printer);
  }
}

}  // namespace
}  // namespace moni::test
