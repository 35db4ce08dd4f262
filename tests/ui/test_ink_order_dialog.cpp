// The ink-order dialog driven by messages as a user drives it: the pop-up for
// each order type with its buttons, their effect in the printer's key and the
// address the stand-in web browser was given; the pop-up lock; option texts
// that are short, odd or missing; the companion program's pop-ups across
// processes; pictures in both languages.
//
// Each test has a printer of the driver "TALMER VGL3 Sample Ink Order" (which
// only these tests use), that driver's ink-ordering key (written by the test)
// and a scenario folder of its own.
#include <gtest/gtest.h>
#include <windows.h>

#include <memory>
#include <string>
#include <vector>

#include "api/ink_order_popup.h"
#include "foundation/registry_key.h"
#include "foundation/target_keys.h"
#include "kit.h"
#include "platform/process.h"
#include "platform/text.h"
#include "platform/text_core.h"
#include "status/printer_status.h"
#include "ui/inkorder/ink_order.h"
#include "ui/inkorder/ink_order_dialog.h"
#include "ui/status/sub_view.h"
#include "window_support.h"

namespace moni::test {
namespace {

using namespace moni::inkorder;
using Dlg = CInkOrderDialog;

// Ink levels of a printer: cyan 80, magenta 90, yellow 85, black `black` (a
// binary status reply of the sample model).
std::string Scenario(int black, const char* model = "SMP-100") {
  char level[3];
  std::snprintf(level, sizeof level, "%02X", black);
  return std::string("[Printer]\r\nDeviceID=MFG:TALMER;CMD:ESCPL2,BDC;MDL:") + model +
         ";CLS:PRINTER;\r\nChannels=0x10000005:0x0007\r\nAdvance=call\r\nAtEnd=stay\r\n"
         "Reply1=40424443205354320D0A12000101040F0D0303015004025A0503550100" + level + "\r\n";
}

std::wstring LibraryText(const wchar_t* library, UINT id) {
  const Module module(LoadLibraryExW((kit::ProgramFolder() + library).c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE));
  return view::LoadResourceText(module.get(), id);
}
std::wstring English(UINT id) { return LibraryText(L"V_SMPRES.DLL", id); }

// The other window of the dialog's thread (a message box it opened).
HWND BoxBeside(DWORD threadId, HWND dialog) {
  HWND found = nullptr;
  WaitFor(
      [&] {
        for (HWND w : ThreadWindows(threadId)) {
          if (w != dialog) found = w;
        }
        return found != nullptr;
      },
      10000);
  return found;
}

// The ink-order dialogs of other processes that show `printer` on their printer line.
std::vector<HWND> DialogsOf(const std::wstring& printer) {
  struct Search {
    std::wstring line;
    std::vector<HWND> found;
  } search{L"Printer: " + printer, {}};
  EnumWindows(
      [](HWND window, LPARAM param) -> BOOL {
        auto* s = reinterpret_cast<Search*>(param);
        if (IsWindowVisible(window) && GetDlgItem(window, Dlg::kWhereToBuy) &&
            ControlText(window, Dlg::kPrinterLine) == s->line)
          s->found.push_back(window);
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&search));
  return search.found;
}

class InkOrderDialog : public ::testing::Test {
 protected:
  void SetUp() override {
    folder = kit::MakeScenarioFolder(TempFolder() + L"inkdlg_" + UniqueTestName());
    printer = L"Ink Dialog " + UniqueTestName();
    ASSERT_TRUE(kit::AddPrinter(printer, kit::kDriverInkOrder, L"USB001"));
    ASSERT_TRUE(kit::WriteScenario(kit::kOpenByPrinter, printer, Scenario(15)));
    orderKey = kit::InkOrderKeyOf(kit::kDriverInkOrder);
    RegDeleteTreeW(HKEY_LOCAL_MACHINE, orderKey.c_str());
    ASSERT_TRUE(kit::WriteInkOrderKey(orderKey, kit::SampleInkOrderValues()));
    driverFolder = kit::InstalledDriverFolder(kit::kDriverInkOrder);
    ASSERT_FALSE(driverFolder.empty());
    companion = driverFolder + L"V_G20DP1.EXE";
  }
  void TearDown() override {
    for (HWND w : DialogsOf(printer)) PostMessageW(w, WM_CLOSE, 0, 0);
    RemoveTargetKeysOf(printer);
    RegDeleteTreeW(HKEY_LOCAL_MACHINE, orderKey.c_str());
    kit::DeletePrinter(printer);
    kit::RemoveScenarioFolder(folder);
  }

  PrinterIdentity Who() const {
    return {ToU16(printer), ToU16(kit::kDriverInkOrder), u"USB001", ToU16(kit::kModelID)};
  }
  // The pop-up for the test's printer as the companion program shows it.
  std::unique_ptr<DialogThread> Popup(OptionBlock options, std::wstring program = L"") {
    if (program.empty()) program = companion;
    return std::make_unique<DialogThread>([this, options, program] {
      return static_cast<int>(ShowInkOrderPopup(Who(), options, program, OneShotStatusReader()));
    });
  }

  std::wstring Key() const {
    std::wstring key;
    GetTargetPrnKey(printer, false, key);
    return key;
  }
  StoredValue Value(const std::wstring& name) const {
    CRegistryKey key;
    key.Open(HKEY_CURRENT_USER, Key(), false, KEY_QUERY_VALUE);
    return ReadStoredDword(key, name);
  }
  void ClearValues() const {
    CRegistryKey key;
    if (!key.Open(HKEY_CURRENT_USER, Key(), false, KEY_SET_VALUE)) return;
    for (const std::wstring& name : {std::wstring(kIoEnablePopup), std::wstring(kInkOrderDisable), LevelValueName(0),
                                     LevelValueName(1), LevelValueName(2), LevelValueName(3)})
      RegDeleteValueW(key.Get(), name.c_str());
  }
  std::vector<std::string> Urls() const { return Lines(ReadFileBytes(folder + L"\\" + kit::kUrlLog)); }
  std::vector<std::string> Programs() const { return Lines(ReadFileBytes(folder + L"\\programs.log")); }
  void SetOrderValue(const wchar_t* name, const wchar_t* text) const {
    kit::WriteInkOrderKey(orderKey, {{name, text, 0}});
  }

  std::wstring folder, printer, orderKey, driverFolder, companion;
};

// The ordering page as the where-to-buy button opens it for the sample inks.
std::string ExpectedAddress(int black) {
  return "https://shop.example.com/smp100/ink?model=SMP100&nation=" + std::to_string(CPrinterStatus::GetNationNumber()) +
         "&count=4&i1=80&i2=90&i3=85&i4=" + std::to_string(black);
}

TEST_F(InkOrderDialog, OrderTypesEnableTheirButtonsAndStoreWhatEachButtonMeans) {
  enum class Then { Cancel, Later, ForcedLater };
  const wchar_t* const kAllInks = L"SMP-C1\r\nSMP-M1\r\nSMP-Y1\r\nSMP-K1";
  const wchar_t* const kBlack = L"SMP-K1 / SMP-K1XL";
  const struct {
    const char16_t* mode;
    const char16_t* inkLeft;
    int black;
    UINT title;  // 0: the template's caption
    const wchar_t* list;
    OrderButtons buttons;
    Then then;
    StoredValue level;  // "InkOrderLevel_1" to "_4" afterwards
    DWORD autoReminders;
    StoredValue disabled;
  } cases[] = {
      // The menu reads the printer (black at 15 %) and ignores the ink-left text.
      // The menu reads the printer (black at 15 %), lists every ink that is
      // not full and ignores the ink-left text and notify codes passed.
      {u"MENU", u"01010101", 15, 0, kAllInks, {true, false, true}, Then::Cancel, std::nullopt, 0, 1u},
      // Black is low; its notify code asks for the high-capacity cartridge too.
      {u"AUTO20", u"505A550F", 15, 3555, kBlack, {true, true, true}, Then::Later, 10u, 1, std::nullopt},
      {u"AUTO10", u"505A5508", 8, 3555, kBlack, {true, true, true}, Then::Later, 5u, 1, std::nullopt},
      {u"AUTO05", u"505A5503", 3, 3555, kBlack, {true, true, true}, Then::Later, 0u, 1, std::nullopt},
      // Remind me later on the last threshold stores no level (the button is
      // greyed; the command is sent anyway).
      {u"AUTO00", u"505A5500", 0, 3524, kBlack, {true, false, true}, Then::ForcedLater, std::nullopt, 1, std::nullopt},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(NarrowUtf8(c.mode));
    ClearValues();
    auto run = Popup({c.mode, c.inkLeft, u"00000001", u"03040501"});
    HWND dialog = WaitForDialog(run->id(), Dlg::kWhereToBuy);
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(WindowText(dialog), c.title ? English(c.title) : L"Order Ink");
    EXPECT_EQ(ControlText(dialog, Dlg::kPrinterLine), L"Printer: " + printer);
    EXPECT_EQ(ControlText(dialog, Dlg::kLevelLine), L"Lowest ink level: " + std::to_wstring(c.black) + L" %");
    const std::wstring message = ControlText(dialog, Dlg::kMessage);
    EXPECT_NE(message.find(c.list), std::wstring::npos) << NarrowUtf8(ToU16(message));
    if (c.list == kBlack) {
      EXPECT_EQ(message.find(L"SMP-C1"), std::wstring::npos) << NarrowUtf8(ToU16(message));
    }
    EXPECT_EQ(IsEnabledAndShown(dialog, Dlg::kWhereToBuy), c.buttons.whereToBuy);
    EXPECT_EQ(IsEnabledAndShown(dialog, Dlg::kRemindLater), c.buttons.remindLater);
    EXPECT_EQ(IsEnabledAndShown(dialog, Dlg::kCancel), c.buttons.cancel);
    EXPECT_TRUE(IsChecked(dialog, Dlg::kAutoReminders));  // the driver's "EnablePopup" is 1

    // Where to buy asks first, opens the page and leaves the dialog open.
    const size_t before = Urls().size();
    Click(dialog, Dlg::kWhereToBuy);
    HWND box = BoxBeside(run->id(), dialog);
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(WindowText(box), English(31090));
    Click(box, IDOK);
    ASSERT_TRUE(WaitFor([&] { return Urls().size() == before + 1; }, 10000));
    EXPECT_EQ(Urls().back(), ExpectedAddress(c.black));
    EXPECT_TRUE(IsWindowVisible(dialog));

    if (c.then == Then::Cancel) {
      Click(dialog, Dlg::kAutoReminders);
      Click(dialog, Dlg::kCancel);
    } else if (c.then == Then::Later) {
      Click(dialog, Dlg::kRemindLater);
    } else {
      PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(Dlg::kRemindLater, BN_CLICKED),
                   reinterpret_cast<LPARAM>(GetDlgItem(dialog, Dlg::kRemindLater)));
    }
    ASSERT_TRUE(run->Finish());
    EXPECT_EQ(run->result(), static_cast<int>(PopupOutcome::Shown));
    for (size_t i = 0; i < 4; ++i) EXPECT_EQ(Value(LevelValueName(i)), c.level) << i;
    EXPECT_EQ(Value(kIoEnablePopup), c.autoReminders);
    EXPECT_EQ(Value(kInkOrderDisable), c.disabled);
  }
}

TEST_F(InkOrderDialog, ASecondReminderForAPrinterOnScreenDoesNothing) {
  const CInkOrder statusWindowSide(SetupForPrinter(printer, kit::kDriverInkOrder, L"USB001", kit::kModelID));
  auto first = Popup({u"AUTO20", u"505A550F", u"00000000", u"03040501"});
  HWND dialog = WaitForDialog(first->id(), Dlg::kWhereToBuy);
  ASSERT_NE(dialog, nullptr);
  // The status window sees the companion program's pop-up as on screen.
  EXPECT_EQ(statusWindowSide.CheckPopupState(Key()), 1);
  // The same printer and program again, from another thread: nothing shown.
  const DWORD started = GetTickCount();
  EXPECT_EQ(ShowInkOrderPopup(Who(), {u"AUTO10", u"505A5508", u"00000000", u"03040501"}, companion, {}),
            PopupOutcome::OnScreen);
  EXPECT_LT(GetTickCount() - started, 5000u);
  EXPECT_EQ(DialogsOf(printer).size(), 1u);
  Click(dialog, Dlg::kCancel);
  ASSERT_TRUE(first->Finish());
  EXPECT_EQ(statusWindowSide.CheckPopupState(Key()), 0);
  // Closed, the next one shows again.
  auto next = Popup({u"AUTO10", u"505A5508", u"00000000", u"03040501"});
  dialog = WaitForDialog(next->id(), Dlg::kWhereToBuy);
  ASSERT_NE(dialog, nullptr);
  PostMessageW(dialog, WM_CLOSE, 0, 0);  // closing is cancel
  ASSERT_TRUE(next->Finish());
  EXPECT_EQ(Value(kInkOrderDisable), 1u);
}

TEST_F(InkOrderDialog, OptionTextsThatAreShortOddOrMissing) {
  const struct {
    const char16_t* mode;
    const char16_t* inkLeft;
    const char16_t* notify;
    const char16_t* codes;
    const wchar_t* levelLine;  // null: no dialog
    const wchar_t* listed;     // a cartridge text the message names, or null for none
  } cases[] = {
      // One ink of "0A" and a lone "6" that is no ink; its code "3" is no
      // whole pair, so the ink code is 0 and the key's text for ink 1 names it.
      {u"AUTO20", u"0A6", u"01", u"3", L"Lowest ink level: 10 %", L"SMP-C1 / SMP-C1XL"},
      // "NA" and "RE" are no levels and not low.
      {u"AUTO20", u"NARE", u"0000", u"0304", L"Ink level not available", nullptr},
      // No inks, or no notify code: the printer is asked (black at 15 %).
      {u"AUTO10", nullptr, u"01", nullptr, L"Lowest ink level: 15 %", nullptr},
      {u"AUTO05", u"0", nullptr, nullptr, L"Lowest ink level: 15 %", nullptr},
      {u"AUTO20", u"0F", nullptr, u"01", L"Lowest ink level: 15 %", L"SMP-K1"},
      {nullptr, u"0F", u"01", u"01", nullptr, nullptr},
      {u"menu", u"0F", u"01", u"01", nullptr, nullptr},
      {u"AUTO20 ", u"0F", u"01", u"01", nullptr, nullptr},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.mode ? NarrowUtf8(c.mode) : "null");
    auto run = Popup({c.mode, c.inkLeft, c.notify, c.codes});
    if (!c.levelLine) {
      ASSERT_TRUE(run->Finish());
      EXPECT_EQ(run->result(), static_cast<int>(PopupOutcome::NoMode));
      continue;
    }
    HWND dialog = WaitForDialog(run->id(), Dlg::kWhereToBuy);
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(ControlText(dialog, Dlg::kLevelLine), c.levelLine);
    const std::wstring message = ControlText(dialog, Dlg::kMessage);
    if (c.listed) {
      EXPECT_NE(message.find(c.listed), std::wstring::npos) << NarrowUtf8(ToU16(message));
    } else {
      EXPECT_EQ(message.find(L"SMP-"), std::wstring::npos) << NarrowUtf8(ToU16(message));
    }
    Click(dialog, Dlg::kCancel);
    ASSERT_TRUE(run->Finish());
  }
  // A printer that names another model is not asked for its inks.
  ASSERT_TRUE(kit::WriteScenario(kit::kOpenByPrinter, printer, Scenario(15, "XP-999")));
  auto menu = Popup({u"MENU", nullptr, nullptr, nullptr});
  HWND dialog = WaitForDialog(menu->id(), Dlg::kWhereToBuy);
  ASSERT_NE(dialog, nullptr);
  EXPECT_EQ(ControlText(dialog, Dlg::kLevelLine), English(31088));
  Click(dialog, Dlg::kCancel);
  ASSERT_TRUE(menu->Finish());
}

TEST_F(InkOrderDialog, WhereToBuyOpensOnlyWebAddressesAndOnlyWhenConfirmed) {
  SetOrderValue(L"Custom_BtnWhereToBuy", L"Shop %s%n");
  SetOrderValue(L"Custom_Msg20", L"%s|%s|%s|%s|%n|%d");  // hostile: more than the three arguments
  auto run = Popup({u"AUTO20", u"505A550F", u"00000000", u"03040501"});
  HWND dialog = WaitForDialog(run->id(), Dlg::kWhereToBuy);
  ASSERT_NE(dialog, nullptr);
  EXPECT_EQ(ControlText(dialog, Dlg::kWhereToBuy), L"Shop %s%n");
  EXPECT_EQ(ControlText(dialog, Dlg::kMessage), L"Shop %s%n|SMP-K1|Remind Me Later||%n|");
  // Cancelled in the confirmation: nothing opens.
  Click(dialog, Dlg::kWhereToBuy);
  HWND box = BoxBeside(run->id(), dialog);
  ASSERT_NE(box, nullptr);
  EXPECT_NE(ChildTexts(box).find(English(31080)), std::wstring::npos);
  Click(box, IDCANCEL);
  ASSERT_TRUE(WaitFor([&] { return !IsWindow(box); }, 5000));
  // An ordering address that is a program is never handed to the shell: the
  // user is told that the page cannot be opened.
  SetOrderValue(L"INK_OrderURL", L"C:\\windows\\system32\\winver.exe");
  Click(dialog, Dlg::kWhereToBuy);
  box = BoxBeside(run->id(), dialog);
  ASSERT_NE(box, nullptr);
  Click(box, IDOK);
  HWND warning = nullptr;
  ASSERT_TRUE(WaitFor(
      [&] {
        for (HWND w : ThreadWindows(run->id())) {
          if (w != dialog && ChildTexts(w).find(English(31083)) != std::wstring::npos) warning = w;
        }
        return warning != nullptr;
      },
      10000));
  Click(warning, IDOK);
  Click(dialog, Dlg::kCancel);
  ASSERT_TRUE(run->Finish());
  EXPECT_TRUE(Urls().empty());
}

// The status window's reminder through the companion program (V_G20DP1.EXE,
// the sample driver's "DepExe"): it reads its parameter file, calls
// PrKioskaPopUp, and the dialog runs in its process under the pop-up lock
// that the status window looks for.
TEST_F(InkOrderDialog, CompanionProgramShowsTheStatusWindowsReminder) {
  const CInkOrder statusWindowSide(SetupForPrinter(printer, kit::kDriverInkOrder, L"USB001", kit::kModelID));
  status::StatusBuff record{};
  status::InitStatusBuff(record);
  record.byInkCount = 4;
  const std::uint8_t levels[] = {80, 90, 85, 12};
  const std::uint16_t codes[] = {3, 4, 5, 1}, colours[] = {0, 0, 0, 1};
  for (int i = 0; i < 4; ++i) {
    record.abyInkRemain[i] = levels[i];
    record.awInkCode[i] = codes[i];
    record.awInkColor[i] = colours[i];
  }
  ASSERT_EQ(statusWindowSide.CallInkOrder(record, 20), 1);
  std::vector<HWND> shown;
  ASSERT_TRUE(WaitFor([&] { return (shown = DialogsOf(printer)).size() == 1; }, 20000));
  EXPECT_EQ(statusWindowSide.CheckPopupState(Key()), 1);
  EXPECT_EQ(ControlText(shown[0], Dlg::kLevelLine), L"Lowest ink level: 12 %");
  // The colour numbers arrive as notify codes: black's 01 adds its
  // high-capacity cartridge.
  EXPECT_NE(ControlText(shown[0], Dlg::kMessage).find(L"SMP-K1 / SMP-K1XL"), std::wstring::npos);
  Click(shown[0], Dlg::kRemindLater);
  ASSERT_TRUE(WaitFor([&] { return Programs().size() == 1; }, 20000));
  EXPECT_NE(Programs()[0].find("\tA=1\tT=AUTO20\tL=505A550C\tN=00000001\tIC=03040501\t"), std::string::npos)
      << Programs()[0];
  EXPECT_NE(Programs()[0].find("\tkioska=1"), std::string::npos) << Programs()[0];
  EXPECT_EQ(Value(LevelValueName(0)), 10u);
  EXPECT_EQ(statusWindowSide.CheckPopupState(Key()), 0);
}

// The tray program's ink-order item without a printer reaches PrKiosSameDrvs:
// the companion program starts itself again for each printer of the driver,
// and each shows its menu dialog.
TEST_F(InkOrderDialog, SameDriversOpenTheMenuDialogForEveryPrinterOfTheDriver) {
  const std::wstring second = L"Ink Dialog Second " + UniqueTestName();
  ASSERT_TRUE(kit::AddPrinter(second, kit::kDriverInkOrder, L"USB002"));
  ASSERT_TRUE(kit::WriteScenario(kit::kOpenByPrinter, second, Scenario(40)));
  // Other modes than "MENU" (exactly) start nothing; neither does another driver name.
  const std::wstring recorder = driverFolder + L"V_G20RN1.EXE";
  EXPECT_EQ(ExecuteInkOrderWithSameDrivers(kit::kDriverInkOrder, kit::kModelID, L"menu", recorder), 0);
  EXPECT_EQ(ExecuteInkOrderWithSameDrivers(kit::kDriverInkOrder, kit::kModelID, L"AUTO20", recorder), 0);
  EXPECT_EQ(ExecuteInkOrderWithSameDrivers(L"talmer vgl3 sample ink order", kit::kModelID, L"MENU", recorder), 1);

  const std::wstring commandLine = L"\"" + companion + L"\" /MENU /D \"" + kit::kDriverInkOrder + L"\" /M \"" +
                                   kit::kModelID + L"\"";
  StartedProcess started;
  ASSERT_TRUE(StartProgram(companion, commandLine, started));
  std::vector<HWND> first, other;
  ASSERT_TRUE(WaitFor([&] { return (first = DialogsOf(printer)).size() == 1 && (other = DialogsOf(second)).size() == 1; },
                      30000));
  EXPECT_EQ(ControlText(first[0], Dlg::kLevelLine), L"Lowest ink level: 15 %");
  EXPECT_EQ(ControlText(other[0], Dlg::kLevelLine), L"Lowest ink level: 40 %");
  EXPECT_FALSE(IsEnabledAndShown(first[0], Dlg::kRemindLater));
  Click(first[0], Dlg::kCancel);
  Click(other[0], Dlg::kCancel);
  ASSERT_TRUE(WaitFor([&] { return Programs().size() == 3; }, 20000));
  const std::vector<std::string> lines = Programs();
  size_t menus = 0;
  for (const std::string& line : lines) {
    if (line.find("\tA=1\tT=MENU\t") != std::string::npos && line.find("\tkioska=1") != std::string::npos) ++menus;
  }
  EXPECT_EQ(menus, 2u);  // one per printer, none for the lower-case driver name
  EXPECT_EQ(WaitForSingleObject(started.process.get(), 10000), WAIT_OBJECT_0);
  RemoveTargetKeysOf(second);
  kit::DeletePrinter(second);
}

TEST_F(InkOrderDialog, PicturesOfEveryOrderTypeInBothLanguages) {
  // A printer with a name as users give them.
  const std::wstring office = L"Office SMP-100 (" + std::to_wstring(GetCurrentProcessId()) + L")";
  ASSERT_TRUE(kit::AddPrinter(office, kit::kDriverInkOrder, L"USB003"));
  ASSERT_TRUE(kit::WriteScenario(kit::kOpenByPrinter, office, Scenario(15)));
  for (const auto& [library, language] : {std::pair{L"V_SMPRES.DLL", L"en"}, std::pair{L"V_SMPRDE.DLL", L"de"}}) {
    for (const char16_t* mode : {u"MENU", u"AUTO20", u"AUTO10", u"AUTO05", u"AUTO00"}) {
      const std::wstring name = std::wstring(language) + L"-" + ToWide(mode) + L".png";
      SCOPED_TRACE(NarrowUtf8(ToU16(name)));
      CInkOrderInfo info;
      // Black at the level each mode is shown for.
      const std::u16string_view m(mode);
      const char16_t* left = m == u"AUTO00" ? u"505A5500" : m == u"AUTO05" ? u"505A5503" : m == u"AUTO10" ? u"505A5508" : u"505A550F";
      const OptionBlock options{mode, left, u"00000001", u"03040501"};
      ASSERT_TRUE(info.SetOptions(&options));
      info.printer = ToU16(office);
      info.driver = ToU16(kit::kDriverInkOrder);
      info.port = u"USB003";
      info.model = ToU16(kit::kModelID);
      DialogThread run([&] {
        return static_cast<int>(CInkOrderDlgCall(OneShotStatusReader()).DoModal(driverFolder + library, info));
      });
      HWND dialog = WaitForDialog(run.id(), Dlg::kWhereToBuy);
      ASSERT_NE(dialog, nullptr);
      for (int id : {Dlg::kMessage, Dlg::kLevelLine, Dlg::kPrinterLine, Dlg::kWhereToBuy, Dlg::kRemindLater, Dlg::kCancel,
                     Dlg::kAutoReminders}) {
        EXPECT_FALSE(ControlText(dialog, id).empty()) << id;
        EXPECT_TRUE(TextFits(dialog, id)) << id;
      }
      Sleep(100);
      EXPECT_EQ(SaveWindowPicture(dialog, L"inkorder\\" + name), picture::SaveResult::kSaved);
      if (std::u16string_view(mode) == u"AUTO20") {
        Click(dialog, Dlg::kWhereToBuy);
        HWND box = BoxBeside(run.id(), dialog);
        ASSERT_NE(box, nullptr);
        Sleep(100);
        EXPECT_EQ(SaveWindowPicture(box, L"inkorder\\" + std::wstring(language) + L"-confirm.png"),
                  picture::SaveResult::kSaved);
        Click(box, IDCANCEL);
        WaitFor([&] { return !IsWindow(box); }, 5000);
      }
      Click(dialog, Dlg::kCancel);
      ASSERT_TRUE(run.Finish());
    }
  }
  // A model without the shut-off function names the printer in its messages.
  const TempFile profile(L"inkprofile_", L".dat");
  ASSERT_TRUE(WriteTextFile(profile.path(), "[SMP-100]\r\nShutOffDefON=0\r\nIOURLMDL=SMP100\r\n"));
  std::wstring key;
  ASSERT_EQ(GetTargetPrnKey(office, false, key), 0);
  const Module bitmaps(LoadLibraryExW((driverFolder + L"V_SMPBMP.DLL").c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE));
  for (const auto& [library, language] : {std::pair{L"V_SMPRES.DLL", L"en"}, std::pair{L"V_SMPRDE.DLL", L"de"}}) {
    for (const char16_t* mode : {u"MENU", u"AUTO10"}) {
      const std::wstring name = std::wstring(language) + L"-" + ToWide(mode) + L"-noshutoff.png";
      SCOPED_TRACE(NarrowUtf8(ToU16(name)));
      const Module resources(LoadLibraryExW((driverFolder + library).c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE));
      CInkOrderInfo info;
      const OptionBlock options{mode, u"505A5508", u"00000001", u"03040501"};
      ASSERT_TRUE(info.SetOptions(&options));
      info.printer = ToU16(office);
      info.driver = ToU16(kit::kDriverInkOrder);
      info.model = ToU16(kit::kModelID);
      RebuildOrderInfo(info, resources.get());
      CInkOrderDialog dialog(info, {resources.get(), bitmaps.get(), key, {driverFolder + library, profile.path(), kit::kModelID},
                                    OneShotStatusReader()});
      DialogThread run([&] { return static_cast<int>(dialog.DoModal()); });
      HWND window = WaitForDialog(run.id(), Dlg::kWhereToBuy);
      ASSERT_NE(window, nullptr);
      EXPECT_NE(ControlText(window, Dlg::kMessage).find(office), std::wstring::npos);
      for (int id : {Dlg::kMessage, Dlg::kLevelLine}) EXPECT_TRUE(TextFits(window, id)) << id;
      Sleep(100);
      EXPECT_EQ(SaveWindowPicture(window, L"inkorder\\" + name), picture::SaveResult::kSaved);
      Click(window, Dlg::kCancel);
      ASSERT_TRUE(run.Finish());
    }
  }
  RemoveTargetKeysOf(office);
  kit::DeletePrinter(office);
}

}  // namespace
}  // namespace moni::test
