// The tray program: real monitray processes for one test printer each, and
// the frame driven in this process to look at the menu it builds.
#include <gtest/gtest.h>
#include <windows.h>

#include <fstream>
#include <string>

#include "foundation/monitor_map.h"
#include "foundation/monitor_map_core.h"
#include "foundation/target_keys.h"
#include "kit.h"
#include "platform/text.h"
#include "platform/text_core.h"
#include "test_support.h"
#include "tray/main_frame.h"
#include "tray_process.h"

namespace {

using namespace moni::test;
namespace kit = moni::kit;
namespace mm = moni::monitormap;

constexpr wchar_t kLogKey[] = L"SOFTWARE\\TALMER\\VGL3";
constexpr wchar_t kRunKey[] = L"software\\Microsoft\\Windows\\CurrentVersion\\Run";

std::wstring TargetKeyOf(const std::wstring& printer) {
  std::wstring key;
  GetTargetPrnKey(printer, false, key);
  return key;
}

DWORD ReadDword(const std::wstring& key, const wchar_t* name, DWORD fallback) {
  DWORD value = 0, size = sizeof value;
  return RegGetValueW(HKEY_CURRENT_USER, key.c_str(), name, RRF_RT_REG_DWORD, nullptr, &value, &size) == ERROR_SUCCESS
             ? value
             : fallback;
}

void WriteDword(const std::wstring& key, const wchar_t* name, DWORD value) {
  RegSetKeyValueW(HKEY_CURRENT_USER, key.c_str(), name, REG_DWORD, &value, sizeof value);
}

bool RunValueExists(const std::wstring& name) {
  return RegGetValueW(HKEY_CURRENT_USER, kRunKey, name.c_str(), RRF_RT_ANY, nullptr, nullptr, nullptr) == ERROR_SUCCESS;
}

void WriteRunValue(const std::wstring& name, const std::wstring& data) {
  RegSetKeyValueW(HKEY_CURRENT_USER, kRunKey, name.c_str(), REG_SZ, data.c_str(),
                  static_cast<DWORD>((data.size() + 1) * sizeof(wchar_t)));
}

std::string Utf8(const std::wstring& text) { return moni::NarrowUtf8(moni::ToU16(text)); }

// Lines of a journal in the test's scenario folder.
std::vector<std::string> JournalLines(const std::wstring& folder, const wchar_t* file) {
  std::vector<std::string> lines;
  std::string text = ReadFileBytes(folder + L"\\" + file);
  size_t at = 0;
  while (at < text.size()) {
    size_t end = text.find('\n', at);
    if (end == std::string::npos) end = text.size();
    lines.push_back(text.substr(at, end - at));
    at = end + 1;
  }
  return lines;
}

// Every tray test: its own printer of the sample driver, its own scenario
// folder (the stand-ins write their journals there) and the line log on.
class TrayProgram : public ::testing::Test {
 protected:
  void SetUp() override {
    m_logWasOn = ReadLogSwitch();
    SetLogSwitch(1);
    // The status program stand-in writes its line and ends, as these tests
    // follow only what the tray program starts (the status window stays open).
    SetEnvironmentVariableW(L"SIBLING_NO_WINDOWS", L"1");
    m_folder = kit::MakeScenarioFolder(TempFolder() + L"tray_" + UniqueTestName());
    printer = L"Tray " + UniqueTestName();
    ASSERT_TRUE(kit::AddPrinter(printer, kit::kDriver, L"USB001"));
  }
  void TearDown() override {
    for (auto& tray : trays) tray.reset();
    const std::wstring key = TargetKeyOf(printer);
    kit::DeletePrinter(printer);
    if (!key.empty()) RegDeleteTreeW(HKEY_CURRENT_USER, key.c_str());
    RegDeleteKeyValueW(HKEY_CURRENT_USER, kRunKey, printer.c_str());
    SetEnvironmentVariableW(L"SMPUTL_DELAY_MS", nullptr);
    SetEnvironmentVariableW(L"SIBLING_NO_WINDOWS", nullptr);
    SetLogSwitch(m_logWasOn);
    kit::RemoveScenarioFolder(m_folder);
  }

  TrayProcess& Start(const std::wstring& arguments) {
    trays.push_back(std::make_unique<TrayProcess>());
    EXPECT_TRUE(trays.back()->Start(arguments));
    return *trays.back();
  }
  TrayProcess& StartFor(const std::wstring& name, const std::wstring& extra = L"") {
    return Start(L"/P" + std::to_wstring(name.size()) + L" \"" + name + L"\" " + extra);
  }
  std::vector<std::string> Journal(const wchar_t* file) const { return JournalLines(m_folder, file); }

  static DWORD ReadLogSwitch() {
    DWORD value = 0, size = sizeof value;
    return RegGetValueW(HKEY_CURRENT_USER, kLogKey, L"V_GIC", RRF_RT_REG_DWORD, nullptr, &value, &size) == ERROR_SUCCESS
               ? value
               : 0;
  }
  static void SetLogSwitch(DWORD on) {
    if (on) {
      RegSetKeyValueW(HKEY_CURRENT_USER, kLogKey, L"V_GIC", REG_DWORD, &on, sizeof on);
    } else {
      RegDeleteKeyValueW(HKEY_CURRENT_USER, kLogKey, L"V_GIC");
    }
  }

  std::wstring printer;
  std::vector<std::unique_ptr<TrayProcess>> trays;
  std::wstring m_folder;
  DWORD m_logWasOn = 0;
};

TEST_F(TrayProgram, SecondInstanceInOtherCaseHandsOverAndEnds) {
  TrayProcess& first = StartFor(printer);
  HWND window = first.WaitForWindow();
  ASSERT_NE(window, nullptr);
  EXPECT_EQ(TrayHandleInMap(printer), reinterpret_cast<UINT_PTR>(window));
  const std::wstring key = TargetKeyOf(printer);
  ASSERT_FALSE(key.empty());
  WriteDword(key, L"TrayIconSelected", 2);

  std::wstring lower = printer;
  for (wchar_t& c : lower) c = static_cast<wchar_t>(towlower(c));
  TrayProcess& second = Start(L"/P \"" + lower + L"\" /D \"" + kit::kDriver + L"\" /O \"USB001\" /M \"SMP-100\"");
  EXPECT_EQ(second.WaitForExit(10000), 0u);
  EXPECT_TRUE(second.HasLogged(L"CheckMapPrinter : 1"));
  EXPECT_TRUE(WaitFor([&] { return first.HasLogged(L"icon reloaded : 2"); }, 3000));
  EXPECT_FALSE(first.Ended());

  // The remove switch ends the running one, and the new one with it.
  TrayProcess& remover = StartFor(printer, L"/R");
  EXPECT_EQ(remover.WaitForExit(10000), 0u);
  EXPECT_EQ(first.WaitForExit(10000), 0u);
  EXPECT_TRUE(first.HasLogged(L"WM_DESTROY"));
  bool registered = true;
  TrayHandleInMap(printer, &registered);
  EXPECT_FALSE(registered);
}

TEST_F(TrayProgram, WithoutPrinterAndPortItEndsAtOnce) {
  TrayProcess& tray = Start(L"/M \"SMP-100\"");
  EXPECT_EQ(tray.WaitForExit(10000), 0u);
  EXPECT_TRUE(tray.HasLogged(L"CmdLine"));
  EXPECT_FALSE(tray.HasLogged(L"CMainFrame::StartUp"));
}

TEST_F(TrayProgram, HandleOfACrashedInstanceIsTakenOver) {
  // Another process keeps the section alive, as other trays would.
  moni::KernelHandle section = mm::CreateOrOpenSection(kMapName);
  TrayProcess& crashed = StartFor(printer);
  HWND dead = crashed.WaitForWindow();
  ASSERT_NE(dead, nullptr);
  TerminateProcess(crashed.handle(), 3);
  crashed.WaitForExit(5000);
  EXPECT_EQ(TrayHandleInMap(printer), reinterpret_cast<UINT_PTR>(dead));

  TrayProcess& next = StartFor(printer);
  HWND window = next.WaitForWindow();
  ASSERT_NE(window, nullptr);
  EXPECT_TRUE(next.HasLogged(L"CheckMapPrinter : 0"));
  EXPECT_EQ(TrayHandleInMap(printer), reinterpret_cast<UINT_PTR>(window));
}

TEST_F(TrayProgram, FullTableSaysInsufficientMemory) {
  // Fill every free record of the shared section with keys of this test,
  // held by a live window of this process.
  moni::KernelHandle section = mm::CreateOrOpenSection(kMapName);
  ASSERT_TRUE(section.valid());
  HWND holder = CreateWindowExW(0, L"STATIC", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
  std::vector<std::wstring> keys;
  for (int i = 0; i < 500; ++i) {
    const std::wstring key = L"Full " + std::to_wstring(i) + L" " + UniqueTestName();
    HWND other = nullptr;
    if (CheckMapPrinter(section.get(), key, 3, holder, &other) != mm::kHolds) break;
    keys.push_back(key);
  }
  EXPECT_GT(keys.size(), 0u);
  EXPECT_LE(keys.size(), 499u);

  TrayProcess& tray = StartFor(printer);
  HWND box = nullptr;
  EXPECT_TRUE(WaitFor(
      [&] {
        for (HWND w : WindowsOf(tray.pid(), L"#32770")) {
          wchar_t caption[64] = {};
          GetWindowTextW(w, caption, 64);
          if (IsWindowVisible(w) && caption[0]) box = w;
        }
        return box != nullptr || tray.Ended();
      },
      10000));
  ASSERT_NE(box, nullptr);
  wchar_t caption[64] = {};
  GetWindowTextW(box, caption, 64);
  EXPECT_STREQ(caption, L"TALMER Vigilo 3");
  EXPECT_NE(ChildTexts(box).find(L"Insufficient memory."), std::wstring::npos);
  PostMessageW(box, WM_COMMAND, IDOK, 0);
  EXPECT_EQ(tray.WaitForExit(10000), 0u);
  EXPECT_EQ(tray.MainWindow(), nullptr);

  for (const std::wstring& key : keys) ReleaseMapPrinter(section.get(), key, L"", 3);
  DestroyWindow(holder);
}

TEST_F(TrayProgram, DisabledIconEndsStartUpAndRemovesTheStartupEntry) {
  // A first run makes the printer's key with its defaults.
  TrayProcess& first = StartFor(printer);
  ASSERT_NE(first.WaitForWindow(), nullptr);
  PostMessageW(first.MainWindow(), WM_CLOSE, 0, 0);
  ASSERT_EQ(first.WaitForExit(10000), 0u);
  const std::wstring key = TargetKeyOf(printer);
  ASSERT_FALSE(key.empty());
  EXPECT_EQ(ReadDword(key, L"TrayIconEnable", 7), 1u);

  WriteDword(key, L"TrayIconEnable", 0);
  WriteRunValue(printer, L"monitray.exe /EF \"HKCU\"");
  TrayProcess& second = StartFor(printer);
  EXPECT_EQ(second.WaitForExit(10000), 0u);
  EXPECT_TRUE(second.HasLogged(L"MainFrame.StartUp() : Result : -1"));
  EXPECT_FALSE(second.HasLogged(L"AddIcon"));
  EXPECT_FALSE(RunValueExists(printer));
  EXPECT_EQ(ReadDword(key, L"TrayIconEnable", 7), 0u);
}

TEST_F(TrayProgram, DeletedPrinterEndsTheProgramAndRemovesItsTraces) {
  TrayProcess& tray = StartFor(printer);
  ASSERT_NE(tray.WaitForWindow(), nullptr);
  const std::wstring key = TargetKeyOf(printer);
  ASSERT_FALSE(key.empty());
  TempFile paramFile(L"V_Gtray", L".tmp");
  ASSERT_TRUE(WriteTextFile(paramFile.path(), "x"));
  WriteRunValue(printer, L"monitray.exe /EF \"HKCU\" /FU \"" + paramFile.path() + L"\"");

  ASSERT_TRUE(kit::DeletePrinter(printer));
  // The mask check (every 3 s) finds the printer gone.
  EXPECT_EQ(tray.WaitForExit(10000), 0u);
  EXPECT_FALSE(RunValueExists(printer));
  EXPECT_TRUE(TargetKeyOf(printer).empty());
  EXPECT_FALSE(paramFile.exists());
}

TEST_F(TrayProgram, UtilityChosenTwiceQuicklyRunsOnce) {
  SetEnvironmentVariableW(L"SMPUTL_DELAY_MS", L"1000");
  TrayProcess& tray = StartFor(printer);
  HWND window = tray.WaitForWindow();
  ASSERT_NE(window, nullptr);
  PostMessageW(window, WM_COMMAND, 920, 0);
  PostMessageW(window, WM_COMMAND, 920, 0);
  ASSERT_TRUE(WaitFor([&] { return !Journal(L"utility.log").empty(); }, 5000));
  // Asked again and again while the first runs: the head cleaning runs once,
  // after the nozzle check has ended.
  ASSERT_TRUE(WaitFor(
      [&] {
        PostMessageW(window, WM_COMMAND, 921, 0);
        return Journal(L"utility.log").size() >= 2;
      },
      5000));
  PostMessageW(window, WM_CLOSE, 0, 0);  // waits for the running utility
  EXPECT_EQ(tray.WaitForExit(10000), 0u);
  const std::string name = Utf8(printer);
  EXPECT_EQ(Journal(L"utility.log"),
            (std::vector<std::string>{"UtPrintNozzleTestPatternW\t" + name + "\t3", "UtCleanHeadW\t" + name + "\t3"}));
}

TEST_F(TrayProgram, QuotedPrinterNameReachesTheStartedProgramsIntact) {
  const std::wstring quoted = L"Tray \"Quoted\" /P \"x\" " + UniqueTestName();
  ASSERT_TRUE(kit::AddPrinter(quoted, kit::kDriver, L"USB002"));
  TrayProcess& tray = StartFor(quoted);
  HWND window = tray.WaitForWindow();
  ASSERT_NE(window, nullptr);
  PostMessageW(window, WM_COMMAND, 900, 0);
  ASSERT_TRUE(WaitFor([&] { return Journal(L"programs.log").size() >= 1; }, 10000));
  PostMessageW(window, WM_COMMAND, 901, 0);
  ASSERT_TRUE(WaitFor([&] { return Journal(L"programs.log").size() >= 2; }, 10000));
  PostMessageW(window, WM_COMMAND, 926, 0);  // an ordinary command with arguments
  ASSERT_TRUE(WaitFor([&] { return Journal(L"programs.log").size() >= 3; }, 10000));

  const std::vector<std::string> lines = Journal(L"programs.log");
  const std::string name = Utf8(quoted);
  const std::string identity = "\tP=" + name + "\tO=USB002\tM=SMP-100\tD=" + Utf8(kit::kDriver);
  EXPECT_EQ(lines[0].rfind("V_G20RN1.EXE" + identity + "\tE=0\t", 0), 0u) << lines[0];
  EXPECT_EQ(lines[1].rfind("V_G20RN1.EXE" + identity + "\tE=1\t", 0), 0u) << lines[1];
  EXPECT_EQ(lines[2].rfind("V_G20RN1.EXE" + identity + "\tE=0\t", 0), 0u) << lines[2];
  for (const std::string& line : lines) {
    EXPECT_NE(line.find("\tread=1\tgone=1\t"), std::string::npos) << line;  // read, then deleted
  }
  PostMessageW(window, WM_CLOSE, 0, 0);
  EXPECT_EQ(tray.WaitForExit(10000), 0u);
  kit::DeletePrinter(quoted);
  const std::wstring key = TargetKeyOf(quoted);
  if (!key.empty()) RegDeleteTreeW(HKEY_CURRENT_USER, key.c_str());
}

// Pictures of the icon (Wine's notification area window) and of the open
// menu, kept under the build tree. A picture that shows nothing fails.
TEST_F(TrayProgram, IconAndMenuScreenshots) {
  if (ArtifactFolder().empty()) GTEST_SKIP() << "no artifact folder";
  TrayProcess& tray = StartFor(printer);
  HWND window = tray.WaitForWindow();
  ASSERT_NE(window, nullptr);
  // Wine's explorer shows the icons of the notification area in a window of its own.
  HWND area = nullptr;
  ASSERT_TRUE(WaitFor([&] { return (area = FindWindowW(nullptr, L"Wine System Tray")) != nullptr && IsWindowVisible(area); }, 5000));
  EXPECT_TRUE(WaitFor([&] { return SaveWindowPicture(area, L"tray-icon.png") == moni::picture::SaveResult::kSaved; }, 5000));
  PostMessageW(window, moni::tray::kIconCallbackMessage, 0, WM_RBUTTONDOWN);
  HWND menu = nullptr;
  ASSERT_TRUE(WaitFor(
      [&] {
        for (HWND w : WindowsOf(tray.pid(), L"#32768")) {
          if (IsWindowVisible(w)) menu = w;
        }
        return menu != nullptr;
      },
      5000));
  Sleep(300);  // let the owner-drawn items paint
  EXPECT_TRUE(WaitFor([&] { return SaveWindowPicture(menu, L"tray-menu.png") == moni::picture::SaveResult::kSaved; }, 5000));
  PostMessageW(menu, WM_KEYDOWN, VK_ESCAPE, 0);
  PostMessageW(window, WM_CLOSE, 0, 0);
  EXPECT_EQ(tray.WaitForExit(10000), 0u);
}

// The frame in this process: the menu it builds from the resource library
// and the setup data.
class TrayFrame : public TrayProgram {
 protected:
  struct Item {
    UINT id;
    bool separator;
    bool ownerDrawn;
  };
  static std::vector<Item> Items(HMENU menu) {
    std::vector<Item> items;
    for (int i = 0; i < GetMenuItemCount(menu); ++i) {
      MENUITEMINFOW info = {};
      info.cbSize = sizeof info;
      info.fMask = MIIM_FTYPE | MIIM_ID;
      GetMenuItemInfoW(menu, static_cast<UINT>(i), TRUE, &info);
      items.push_back({info.wID, (info.fType & MFT_SEPARATOR) != 0, (info.fType & MFT_OWNERDRAW) != 0});
    }
    return items;
  }
  static std::vector<int> Layout(HMENU menu) {  // ids, 0 for a separator
    std::vector<int> out;
    for (const Item& item : Items(menu)) out.push_back(item.separator ? 0 : static_cast<int>(item.id));
    return out;
  }
  // Whether the item drawn into a picture of the measured size leaves its
  // last columns in the menu colour (nothing runs into the edge).
  static bool DrawnWithin(CMainFrame& frame, UINT id, int width, int height) {
    HDC screen = GetDC(nullptr);
    HDC dc = CreateCompatibleDC(screen);
    moni::GdiHandle bitmap(CreateCompatibleBitmap(screen, width, height));
    ReleaseDC(nullptr, screen);
    NONCLIENTMETRICSW metrics = {};
    metrics.cbSize = sizeof metrics;
    SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0);
    moni::GdiHandle font(CreateFontIndirectW(&metrics.lfMenuFont));
    HGDIOBJ oldBitmap = SelectObject(dc, bitmap.get());
    HGDIOBJ oldFont = SelectObject(dc, font.get());
    DRAWITEMSTRUCT draw = {};
    draw.CtlType = ODT_MENU;
    draw.itemID = id;
    draw.hDC = dc;
    draw.rcItem = {0, 0, width, height};
    frame.OnDrawItem(draw);
    const COLORREF menu = GetPixel(dc, width - 1, 0);
    bool clear = menu == (GetSysColor(COLOR_MENU) & 0xFFFFFF);
    for (int x = width - 4; x < width; ++x) {
      for (int y = 0; y < height; ++y) clear = clear && GetPixel(dc, x, y) == menu;
    }
    SelectObject(dc, oldFont);
    SelectObject(dc, oldBitmap);
    DeleteDC(dc);
    return clear;
  }
  std::unique_ptr<CMainFrame> MakeFrame(HWND window) {
    auto frame = std::make_unique<CMainFrame>();
    frame->m_hWnd = window;
    frame->m_szPrinterName = printer;
    frame->m_szDriverName = kit::kDriver;
    frame->m_szPortName = L"USB001";
    frame->m_szModelID = kit::kModelID;
    return frame;
  }
};

TEST_F(TrayFrame, MenuHasTheBoldPrinterItemExtraItemsAndSeparators) {
  HWND window = CreateWindowExW(0, L"STATIC", L"", 0, 0, 0, 0, 0, nullptr, nullptr, nullptr, nullptr);
  const std::wstring inkOrderKey = std::wstring(L"Software\\TALMER\\") + kit::kDriver + L" IO_URL";
  RegDeleteTreeW(HKEY_LOCAL_MACHINE, inkOrderKey.c_str());
  {
    auto frame = MakeFrame(window);
    ASSERT_EQ(frame->StartUp(), 1);
    HMENU menu = frame->PopupMenu();
    // "Separators" = "2,4": before the second and the fourth added item. The
    // ink-order item (924) is left out without the driver's IO_URL key.
    EXPECT_EQ(Layout(menu), (std::vector<int>{900, 901, 0, 920, 0, 921, 922, 0, 923, 925, 926}));
    EXPECT_EQ(GetMenuDefaultItem(menu, FALSE, 0), 900u);
    wchar_t text[300] = {};
    GetMenuStringW(menu, 900, text, 300, MF_BYCOMMAND);
    EXPECT_EQ(std::wstring(text), printer);
    for (const Item& item : Items(menu)) {
      if (item.id >= 920) {
        EXPECT_TRUE(item.ownerDrawn) << item.id;
      }
    }
    // Each item as measured holds its drawing: bitmap, text and room after it
    // (the check-mark width alone left the text of long items cut off).
    for (const Item& item : Items(menu)) {
      if (item.id < 920) continue;
      SCOPED_TRACE(item.id);
      MEASUREITEMSTRUCT measure = {};
      measure.CtlType = ODT_MENU;
      measure.itemID = item.id;
      frame->OnMeasureItem(measure);
      EXPECT_EQ(measure.itemHeight, static_cast<UINT>(GetSystemMetrics(SM_CYMENU)));
      EXPECT_TRUE(DrawnWithin(*frame, item.id, static_cast<int>(measure.itemWidth), static_cast<int>(measure.itemHeight)));
    }
    frame->DestroyWindow();
  }
  HKEY key = nullptr;
  ASSERT_EQ(RegCreateKeyExW(HKEY_LOCAL_MACHINE, inkOrderKey.c_str(), 0, nullptr, 0, KEY_WRITE, nullptr, &key, nullptr),
            ERROR_SUCCESS);
  RegCloseKey(key);
  {
    auto frame = MakeFrame(window);
    ASSERT_EQ(frame->StartUp(), 1);
    EXPECT_EQ(Layout(frame->PopupMenu()), (std::vector<int>{900, 901, 0, 920, 0, 921, 922, 0, 923, 924, 925, 926}));
    frame->DestroyWindow();
  }
  // The key as the kit installed it, for the tests after this one.
  RegDeleteTreeW(HKEY_LOCAL_MACHINE, inkOrderKey.c_str());
  EXPECT_TRUE(kit::WriteInkOrderKey(inkOrderKey, kit::SampleInkOrderValues()));
  DestroyWindow(window);
}

}  // namespace
