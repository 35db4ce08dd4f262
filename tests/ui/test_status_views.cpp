// The status window's views on the sample resource libraries: the dialog
// types and the stacking of the sub-views, the button captions, the minimized
// progress caption, the ink tanks (unmeasurable inks, more inks than tanks,
// levels out of range), the cartridge message, the job area, the tips on their
// timer, creation without templates, the ink gauge, the gallery's pictures and
// the language of the sample kit.
#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>

#include <cstring>
#include <memory>
#include <string>

#include "foundation/debug_log.h"
#include "foundation/profile_reader.h"
#include "kit.h"
#include "platform/text.h"
#include "platform/text_core.h"
#include "status/status_decode.h"
#include "ui/status/ink_tank_control.h"
#include "ui/common/sector_graph.h"
#include "view_gallery.h"
#include "window_support.h"

namespace moni::test {
namespace {

using moni::gallery::Pump;
using moni::gallery::StatusFromFields;
using moni::status::StatusBuff;
using moni::view::TankState;

// The sample's libraries, loaded for their resources.
class Libraries {
 public:
  Libraries()
      : english(Load(L"V_SMPRES.DLL")), german(Load(L"V_SMPRDE.DLL")), bitmaps(Load(L"V_SMPBMP.DLL")), textsOnly(Load(L"status_texts.dll")) {}
  static std::wstring Path(const wchar_t* name) { return kit::ProgramFolder() + name; }
  Module english, german, bitmaps, textsOnly;

 private:
  static Module Load(const wchar_t* name) { return Module(LoadLibraryExW(Path(name).c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE)); }
};

class StatusViews : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(libs.english && libs.bitmaps && libs.german);
    context = gallery::SampleContext(libs.english.get(), libs.bitmaps.get(), Libraries::Path(L"V_SMPRES.DLL"));
    context.timing.animationMs = 50;
  }
  bool Make() { return host.Create(context); }
  CDialogView& view() { return host.view(); }
  std::wstring Text(int id) { return WindowText(view().Item(id)); }
  bool Shown(int id) {
    HWND item = view().Item(id);
    return item && IsWindowVisible(item) && IsWindowEnabled(item);
  }
  RECT ClientRectOf(HWND child) {
    RECT r;
    GetWindowRect(child, &r);
    MapWindowPoints(nullptr, host.window(), reinterpret_cast<POINT*>(&r), 2);
    return r;
  }

  Libraries libs;
  moni::view::ViewContext context;
  gallery::ViewHost host;
};

// A status object of the status row `statusNo` (kind 1) holding `record`.
std::unique_ptr<CPrinterStatus> ObjectFor(int statusNo, const StatusBuff* record, BOOL keepButtons = FALSE) {
  moni::status::StatusClassInfo info;
  info.pStatusBuff = record;
  info.row = moni::status::StatusInfoAt(moni::status::SearchStatusInfo(1, statusNo));
  info.kindRow = moni::status::StatusKindOf(info.row.kindKey);
  info.bKeepButtons = keepButtons;
  return std::make_unique<CPrinterStatus>(info);
}

CProgressInfo Progress(std::uint32_t current, std::uint32_t total, std::uint32_t jobId = 7) {
  CProgressInfo progress;
  std::memset(&progress.m_Record, 0, sizeof progress.m_Record);
  progress.m_bValid = true;
  progress.m_Record.dwJobId = jobId;
  progress.m_Record.dwParam = 1;
  progress.m_Record.dwProgress[0] = current;
  progress.m_Record.dwProgress[1] = total;
  return progress;
}

TEST_F(StatusViews, EachTypeStacksItsAreasUnderTheTitleBar) {
  ASSERT_TRUE(Make());
  const auto ready = StatusFromFields("010104" "0F0D03" "030150" "04025A" "050355" "01003C");
  ASSERT_TRUE(ready);
  const CProgressInfo job = Progress(2, 3);
  view().SetViewStatus(ready.get(), &job);
  struct Case {
    int type;
    bool shown[CDialogView::kSubViews];  // status, job, ink, tips, further, buttons
    bool minimizeBox, closeEnabled;
  };
  const Case cases[] = {
      {1, {true, false, true, false, false, true}, false, true},  // ready: the close caption
      {3, {false, true, true, true, true, false}, true, false},
      {2, {true, false, true, false, false, true}, false, true},
      {9, {true, false, true, false, false, true}, false, true},  // another value is the detail type: unchanged
  };
  int previous = 0;
  for (const Case& c : cases) {
    EXPECT_EQ(view().ChangeDialogType(c.type), previous) << c.type;
    previous = view().DialogType();
    Pump();
    int y = 0;
    for (int i = 0; i < CDialogView::kSubViews; ++i) {
      moni::view::CSubView& sub = view().SubView(static_cast<CDialogView::SubViewIndex>(i));
      EXPECT_EQ(sub.IsVisible(), c.shown[i]) << "type " << c.type << " sub-view " << i;
      if (!sub.IsVisible()) continue;
      const RECT r = ClientRectOf(sub.Window());
      EXPECT_EQ(r.top, y) << "type " << c.type << " sub-view " << i;  // right under the one before, no gap, no overlap
      y = r.bottom;
    }
    RECT client;
    GetClientRect(host.window(), &client);
    EXPECT_EQ(client.bottom, y) << c.type;  // the window ends with the last sub-view
    const LONG style = GetWindowLongW(host.window(), GWL_STYLE);
    EXPECT_EQ((style & WS_MINIMIZEBOX) != 0, c.minimizeBox) << c.type;
    const UINT close = GetMenuState(GetSystemMenu(host.window(), FALSE), SC_CLOSE, MF_BYCOMMAND);
    EXPECT_EQ((close & MF_GRAYED) == 0, c.closeEnabled) << c.type;
    EXPECT_TRUE(IsWindowVisible(host.window()));
  }
  EXPECT_EQ(WindowText(host.window()), L"TALMER Vigilo 3 : TALMER Sample Printer");
  view().ChangeDialogType(3);
  EXPECT_EQ(WindowText(host.window()), L"TALMER Sample Printer - USB001");
  EXPECT_EQ(view().ChangeDialogType(4), 3);
  EXPECT_FALSE(IsWindowVisible(host.window()));  // the hidden progress type
  EXPECT_TRUE(view().SubView(CDialogView::kJobArea).IsVisible());
  EXPECT_FALSE(IsWindowEnabled(view().SubView(CDialogView::kJobArea).Window()));
}

TEST_F(StatusViews, ButtonCaptionsFollowTheStatusAndTheType) {
  ASSERT_TRUE(Make());
  // Paper out: the stop caption in the pop-up, the close caption in the detail type.
  const auto paperOut = StatusFromFields("010100" "020101");
  ASSERT_TRUE(paperOut);
  ASSERT_EQ(paperOut->Row().button1, 1601);
  view().ChangeDialogType(1);
  view().SetViewStatus(paperOut.get(), nullptr);
  EXPECT_EQ(Text(1), L"Cancel Printing");
  EXPECT_FALSE(Shown(325));
  EXPECT_EQ(GetMenuState(GetSystemMenu(host.window(), FALSE), SC_CLOSE, MF_BYCOMMAND) & MF_GRAYED, static_cast<UINT>(MF_GRAYED));
  view().ChangeDialogType(2);
  EXPECT_EQ(Text(1), L"Close");
  EXPECT_EQ(view().MainButtonId(), 1600);
  // Ink cancel with its sub button: kept while the status allows no job reset.
  const auto service = ObjectFor(5, nullptr, FALSE);
  view().SetViewStatus(service.get(), nullptr);
  EXPECT_EQ(Text(1), L"Cancel");
  EXPECT_TRUE(Shown(325));
  EXPECT_EQ(Text(325), L"Move Cartridge Holder");
  const auto resettable = ObjectFor(5, nullptr, TRUE);
  view().SetViewStatus(resettable.get(), nullptr);
  EXPECT_EQ(Text(1), L"Close");
  // Stop and reset closes in the detail type.
  const auto reset = ObjectFor(25, nullptr);
  view().SetViewStatus(reset.get(), nullptr);
  EXPECT_EQ(Text(1), L"Close");
  view().ChangeDialogType(1);
  EXPECT_EQ(Text(1), L"Cancel and Reset");
}

TEST_F(StatusViews, ButtonWithoutItsStringIsHiddenAndDisabled) {
  // A caption whose string is missing: the button goes away rather than show nothing.
  ASSERT_TRUE(Make());
  view().ChangeDialogType(2);
  moni::status::StatusClassInfo info;
  info.row = moni::status::StatusInfoAt(moni::status::SearchStatusInfo(1, 1));
  info.row.button1 = 1699;  // no such string
  info.row.button2 = 1605;
  CPrinterStatus status(info);
  view().SetViewStatus(&status, nullptr);
  HWND main = view().Item(1);
  EXPECT_FALSE(IsWindowVisible(main));
  EXPECT_FALSE(IsWindowEnabled(main));
  EXPECT_TRUE(Shown(325));
  EXPECT_EQ(Text(325), L"Eject Paper");
}

TEST_F(StatusViews, MinimizedProgressCaptionCarriesTheIntegerPercent) {
  ASSERT_TRUE(Make());
  view().ChangeDialogType(3);
  ShowWindow(host.window(), SW_SHOWMINNOACTIVE);
  ASSERT_TRUE(IsIconic(host.window()));
  const auto printing = StatusFromFields("010101");
  CProgressInfo twoOfThree = Progress(2, 3);
  view().SetViewStatus(printing.get(), &twoOfThree);
  EXPECT_EQ(WindowText(host.window()), L"(66%) TALMER Sample Printer - USB001");
  CProgressInfo noTotal = Progress(5, 0);
  view().SetViewStatus(printing.get(), &noTotal);
  EXPECT_EQ(WindowText(host.window()), L"TALMER Sample Printer - USB001");
  // Restored: the type change restores a minimized window.
  view().ChangeDialogType(2);
  EXPECT_FALSE(IsIconic(host.window()));
}

TEST_F(StatusViews, UnmeasurableInksAreFullAbsentTanksNeverEmptyOnes) {
  ASSERT_TRUE(Make());
  view().ChangeDialogType(2);
  // Error 0x05; inks "n", "r", "i" (stored as 255, 254, 253) and an empty black.
  const auto inks = StatusFromFields("010100" "020105" "0F0D03" "03016E" "040272" "050369" "010000");
  ASSERT_TRUE(inks);
  view().SetViewStatus(inks.get(), nullptr);
  moni::view::CInkTankView& ink = view().InkView();
  for (int i = 0; i < 3; ++i) {
    const moni::view::TankView tank = moni::view::QueryTank(ink.Tank(i));
    EXPECT_TRUE(tank.absent) << i;
    EXPECT_EQ(tank.percent, 100) << i;
    EXPECT_NE(tank.state, TankState::Empty) << i;
    EXPECT_TRUE(ink.Absent(i)) << i;
  }
  EXPECT_EQ(moni::view::QueryTank(ink.Tank(3)).state, TankState::Empty);
  EXPECT_EQ(ink.Mark(0), 0);  // the last error row with levels: "i" (0x8)
  EXPECT_EQ(ink.Mark(1), 1);
  EXPECT_EQ(WindowText(view().Item(359)), L"Cyan");
  EXPECT_EQ(WindowText(view().Item(362)), L"Black");
  // A status without ink data: every tank says "no data", none says empty.
  const auto noInk = ObjectFor(21, nullptr);
  view().SetViewStatus(noInk.get(), nullptr);
  for (int i = 0; i < 4; ++i) EXPECT_EQ(moni::view::QueryTank(ink.Tank(i)).state, TankState::NoData) << i;
  EXPECT_FALSE(IsWindowVisible(view().Item(30601)));
  EXPECT_TRUE(Shown(30600));
  // No status at all (16): the cartridge information cannot be asked for.
  const auto noStatus = ObjectFor(16, nullptr);
  view().SetViewStatus(noStatus.get(), nullptr);
  EXPECT_FALSE(IsWindowEnabled(view().Item(30600)));
}

TEST_F(StatusViews, MoreInksThanTanksAndLevelsOutOfRangeStayInside) {
  TempFile log(L"moni_views_");
  CDebugLog::SetSettingsForTest(true, log.path());
  ASSERT_TRUE(Make());
  view().ChangeDialogType(3);
  StatusBuff record;
  moni::status::InitStatusBuff(record);
  record.byState = 4;
  record.byInkCount = 10;
  const std::uint8_t levels[10] = {200, 101, 252, 0, 50, 50, 50, 50, 50, 50};
  for (int i = 0; i < 10; ++i) {
    record.abyInkRemain[i] = levels[i];
    record.awInkCode[i] = 0x01;
    record.awInkColor[i] = 0x00;
  }
  const auto many = ObjectFor(1, &record);
  view().SetViewStatus(many.get(), nullptr);
  CDebugLog::SetSettingsForTest(false, L"");
  moni::view::CInkTankView& ink = view().InkView();
  EXPECT_EQ(ink.InkCount(), 4);
  const int expected[4] = {100, 100, 100, 0};
  for (int i = 0; i < 4; ++i) {
    EXPECT_EQ(moni::view::QueryTank(ink.Tank(i)).percent, expected[i]) << i;
    EXPECT_FALSE(moni::view::QueryTank(ink.Tank(i)).absent) << i;
    EXPECT_TRUE(IsWindowVisible(ink.Tank(i))) << i;
    RECT tank = ClientRectOf(ink.Tank(i)), area = ClientRectOf(ink.Window());
    EXPECT_GE(tank.left, area.left) << i;
    EXPECT_LE(tank.right, area.right) << i;
  }
  const std::string bytes = ReadFileBytes(log.path());
  std::wstring text(bytes.size() / 2, L'\0');
  std::memcpy(text.data(), bytes.data(), text.size() * 2);
  EXPECT_NE(text.find(L"10 inks, 4 tanks"), std::wstring::npos);

  // One ink: one tank and its label, the others hidden.
  record.byInkCount = 1;
  const auto one = ObjectFor(1, &record);
  view().SetViewStatus(one.get(), nullptr);
  EXPECT_TRUE(IsWindowVisible(ink.Tank(0)));
  for (int i = 1; i < 4; ++i) {
    EXPECT_FALSE(IsWindowVisible(ink.Tank(i))) << i;
    EXPECT_FALSE(IsWindowVisible(view().Item(359 + i))) << i;
  }
}

TEST_F(StatusViews, CartridgeMessageNamesTheEmptierCartridge) {
  ASSERT_TRUE(Make());
  view().ChangeDialogType(2);
  const auto low = StatusFromFields("010104" "0F0D03" "030150" "04025A" "050332" "01003C");  // yellow at 50
  view().SetViewStatus(low.get(), nullptr);
  moni::view::CInkTankView& ink = view().InkView();
  ink.ChangeTankTagchipRemain(20, 35);
  EXPECT_EQ(WindowText(view().Item(30601)), L"Black: enough ink for about 20 more pages.");
  ink.ChangeTankTagchipRemain(40, 0);
  EXPECT_EQ(WindowText(view().Item(30601)), L"Color: replace the cartridge now.");
  ink.ChangeTankTagchipRemain(-1, 35);
  EXPECT_EQ(WindowText(view().Item(30601)), L"");
  const auto full = StatusFromFields("010104" "0F0D03" "030150" "04025A" "050333" "01003C");  // every level 51 or more
  view().SetViewStatus(full.get(), nullptr);
  ink.ChangeTankTagchipRemain(20, 35);
  EXPECT_EQ(WindowText(view().Item(30601)), L"");
}

TEST_F(StatusViews, JobAreaFollowsTheJobRecord) {
  ASSERT_TRUE(Make());
  view().ChangeDialogType(3);
  const auto printing = StatusFromFields("010101");
  CProgressInfo job = Progress(2, 3, 7);
  const wchar_t* name = L"A document with a name far too long for the job area of the status window.docx";
  for (size_t i = 0; name[i] && i < 63; ++i) job.m_Record.szDocument[i] = static_cast<char16_t>(name[i]);
  job.m_Record.dwSheets[0] = 2;
  job.m_Record.dwSheets[1] = 5;
  job.m_Record.bInfo104 = 1;
  job.m_Record.dwInfo104 = 59;
  job.m_Record.dwJobStatus = moni::progress::kJobStatusPaused;
  view().SetViewStatus(printing.get(), &job);
  const std::wstring document = Text(300);
  EXPECT_EQ(document.back(), L'\u2026');
  EXPECT_EQ(document.substr(0, 10), L"A document");
  EXPECT_EQ(Text(301), L"Sheet 2 of 5");
  EXPECT_EQ(Text(302), L"About 59 s left");
  EXPECT_EQ(Text(309), L"Resume");
  EXPECT_EQ(SendMessageW(view().Item(305), PBM_GETPOS, 0, 0), 2);
  EXPECT_EQ(SendMessageW(view().Item(305), PBM_GETRANGE, FALSE, 0), 3);

  view().DisableStopAndPause();
  EXPECT_TRUE(IsWindowVisible(view().Item(308)));
  EXPECT_FALSE(IsWindowEnabled(view().Item(308)));
  EXPECT_FALSE(IsWindowEnabled(view().Item(309)));
  view().SetViewStatus(printing.get(), &job);  // the same job: they stay disabled
  EXPECT_FALSE(IsWindowEnabled(view().Item(308)));
  CProgressInfo next = Progress(0, 0, 8);  // another job: usable again, the bar back at 0 of 100
  view().SetViewStatus(printing.get(), &next);
  EXPECT_TRUE(IsWindowEnabled(view().Item(308)));
  EXPECT_TRUE(IsWindowEnabled(view().Item(309)));
  EXPECT_EQ(Text(309), L"Pause");
  EXPECT_EQ(Text(302), L"");
  EXPECT_EQ(SendMessageW(view().Item(305), PBM_GETRANGE, FALSE, 0), 100);
  EXPECT_EQ(SendMessageW(view().Item(305), PBM_GETPOS, 0, 0), 0);
}

TEST_F(StatusViews, TipsTurnOnTheirTimerAndFollowTheInkWarnings) {
  context.timing.tipTickMs = 20;
  ASSERT_TRUE(Make());
  view().ChangeDialogType(3);
  moni::view::CTipView& tips = view().TipView();
  ASSERT_EQ(tips.Rotation().Entries().size(), 5u);
  ASSERT_EQ(tips.CurrentTipId(), 2200);
  EXPECT_EQ(tips.CurrentHelpId(), 2300);
  EXPECT_TRUE(WaitFor([&] { Pump(); return tips.CurrentTipId() == 2201; }, 2000));  // five ticks later
  // A job near its end holds the tip.
  const auto ready = StatusFromFields("010104" "0F0D03" "030150" "04025A" "050355" "01003C");
  CProgressInfo ending = Progress(9, 10, 7);
  ending.m_Record.bInfo104 = 1;
  ending.m_Record.dwInfo104 = 14;
  view().SetViewStatus(ready.get(), &ending);  // no warnings: the ink tip leaves, a new job shows the next tip
  const int held = tips.CurrentTipId();
  EXPECT_NE(held, 2201);
  EXPECT_EQ(tips.Rotation().Entries().size(), 4u);
  const ULONGLONG until = GetTickCount64() + 400;
  while (GetTickCount64() < until) Pump();
  EXPECT_EQ(tips.CurrentTipId(), held);
  // Low black ink brings the ink tip back; hiding the tips stops them.
  const auto low = StatusFromFields("010104" "040113" "0F0D03" "030150" "04025A" "050355" "01000C");
  CProgressInfo running = Progress(1, 10, 7);
  view().SetViewStatus(low.get(), &running);
  EXPECT_EQ(tips.Rotation().Entries().size(), 5u);
  view().SetDisplayTips(false);
  EXPECT_FALSE(tips.IsVisible());
  EXPECT_EQ(tips.CurrentHelpId(), 0);
  EXPECT_EQ(Text(317), L"Show Tips");
}

TEST_F(StatusViews, CreationFailsCleanlyWithoutItsTemplates) {
  TempFile log(L"moni_views_");
  CDebugLog::SetSettingsForTest(true, log.path());
  // A resource library with texts only, then one template missing.
  moni::view::ViewContext textsOnly = context;
  textsOnly.resource = libs.textsOnly.get();
  HWND window = CreateWindowExW(0, L"Static", L"", WS_POPUP, 0, 0, 100, 100, nullptr, nullptr, nullptr, nullptr);
  ASSERT_TRUE(window);
  CDialogView bare;
  EXPECT_FALSE(bare.Create(window, textsOnly));
  moni::view::ViewContext missing = context;
  missing.templates[CDialogView::kTipsArea] = 999;
  EXPECT_FALSE(bare.Create(window, missing));
  EXPECT_EQ(GetWindow(window, GW_CHILD), nullptr);  // nothing left behind
  EXPECT_FALSE(bare.IsCreated());
  EXPECT_EQ(bare.ChangeDialogType(2), 0);  // a view that was not made does nothing
  bare.SetViewStatus(nullptr, nullptr);
  DestroyWindow(window);
  CDebugLog::SetSettingsForTest(false, L"");
  const std::string bytes = ReadFileBytes(log.path());
  std::wstring text(bytes.size() / 2, L'\0');
  std::memcpy(text.data(), bytes.data(), text.size() * 2);
  EXPECT_NE(text.find(L"template 999 is missing"), std::wstring::npos);
}

// A window with a placeholder control for the gauge.
class GaugeWindow {
 public:
  GaugeWindow() {
    m_window = CreateWindowExW(WS_EX_TOPMOST, L"Static", L"", WS_POPUP | WS_VISIBLE | WS_BORDER, 60, 60, 220, 140, nullptr, nullptr,
                               nullptr, nullptr);
    m_placeholder = CreateWindowExW(0, L"Static", L"", WS_CHILD | WS_VISIBLE, 20, 10, 180, 90, m_window,
                                    reinterpret_cast<HMENU>(static_cast<INT_PTR>(31002)), nullptr, nullptr);
  }
  ~GaugeWindow() { DestroyWindow(m_window); }
  HWND window() const { return m_window; }
  HWND placeholder() const { return m_placeholder; }

 private:
  HWND m_window = nullptr, m_placeholder = nullptr;
};

TEST(SectorGraph, TakesThePlaceOfItsControl) {
  Libraries libs;
  GaugeWindow parent;
  CSectorGraph gauge;
  EXPECT_FALSE(gauge.Create(parent.window(), 31003));  // no such control
  ASSERT_TRUE(gauge.Create(parent.window(), CSectorGraph::kDefaultControl, libs.bitmaps.get()));
  wchar_t className[64] = {};
  GetClassNameW(gauge.Window(), className, 64);
  EXPECT_STREQ(className, L"DUVRemainInkViewClass");
  EXPECT_EQ(WindowText(gauge.Window()), L"CSectorGraph");
  EXPECT_FALSE(IsWindowVisible(parent.placeholder()));
  RECT r;
  GetWindowRect(gauge.Window(), &r);
  MapWindowPoints(nullptr, parent.window(), reinterpret_cast<POINT*>(&r), 2);
  EXPECT_EQ(r.left, 20);
  EXPECT_EQ(r.top, 10);
  EXPECT_EQ(r.right - r.left, 180);
  EXPECT_EQ(r.bottom - r.top, 90);
  gauge.SetLowThreshold(60);
  gauge.Set(56, 3);
  EXPECT_EQ(gauge.Value(), 56);
  EXPECT_EQ(gauge.State(), 3);
  gauge.SetState(42);  // a state beyond the last is the last
  EXPECT_EQ(gauge.State(), CSectorGraph::kStates - 1);
  gauge.SetState(3);
  Pump();
  EXPECT_EQ(SaveWindowPicture(parent.window(), L"views\\gauge-low.png"), picture::SaveResult::kSaved);
  // A second gauge may live beside it; the class goes when the last one does.
  CSectorGraph second;
  ASSERT_TRUE(second.Create(parent.window()));
  gauge.Destroy();
  WNDCLASSW info;
  EXPECT_TRUE(GetClassInfoW(GetModuleHandleW(nullptr), L"DUVRemainInkViewClass", &info));
  second.Destroy();
  EXPECT_FALSE(GetClassInfoW(GetModuleHandleW(nullptr), L"DUVRemainInkViewClass", &info));
}

TEST(ViewGallery, EveryTypeStateAndLanguage) {
  const std::wstring folder = ArtifactFolder();
  if (folder.empty()) GTEST_SKIP() << "no artifact folder";
  CreateDirectoryW((folder + L"views").c_str(), nullptr);
  const gallery::Result views = gallery::RenderViews(kit::ProgramFolder(), folder + L"views\\");
  for (const std::wstring& failure : views.failures) ADD_FAILURE() << NarrowUtf8(ToU16(failure));
  EXPECT_EQ(views.saved, static_cast<int>(2 * gallery::StateNames().size() * 3));
  const gallery::Result gauges = gallery::RenderGauges(kit::ProgramFolder(), folder + L"views\\");
  EXPECT_EQ(gauges.saved, 1);
  EXPECT_TRUE(gauges.failures.empty());
}

TEST(ResourceLanguage, SampleKitShipsGermanAndFallsBackToEnglishForFrench) {
  const std::wstring folder = kit::InstalledDriverFolder(kit::kDriver);
  ASSERT_FALSE(folder.empty());
  const std::wstring profile = folder + L"TLSMP100.DAT";
  EXPECT_EQ(moni::profile::ChooseResourceSection(profile, MAKELANGID(LANG_GERMAN, SUBLANG_GERMAN)), L"DEU");
  EXPECT_EQ(moni::profile::ChooseResourceSection(profile, MAKELANGID(LANG_FRENCH, SUBLANG_FRENCH)), L"ENU");  // V_SMPRFR.DLL is not shipped
  EXPECT_EQ(GetFileAttributesW((folder + L"V_SMPRFR.DLL").c_str()), INVALID_FILE_ATTRIBUTES);
  // The German library carries the status window.
  const Module german(LoadLibraryExW((folder + L"V_SMPRDE.DLL").c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE));
  ASSERT_TRUE(german);
  EXPECT_NE(FindResourceW(german.get(), MAKEINTRESOURCEW(102), MAKEINTRESOURCEW(5)), nullptr);
  EXPECT_EQ(moni::LoadResourceString(german.get(), 1600), L"Schließen");
}

}  // namespace
}  // namespace moni::test
