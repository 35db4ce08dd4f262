// The monitoring preferences, driven by messages as a user drives them: items
// toggled, boxes and buttons clicked, controls read back, the registry
// compared before and after. Each test has a printer, a target key and a
// simulator folder (status agent, service log) of its own.
#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>

#include <algorithm>
#include <map>
#include <string>
#include <vector>

// PrStartPreference is built into this program (CMakeLists.txt); the other
// exports are reached in monicore.dll by name.
#define MONICORE_BUILD
#include "api/monicore.h"
#include "foundation/base_info.h"
#include "foundation/registry_key.h"
#include "foundation/target_keys.h"
#include "kit.h"
#include "platform/handles.h"
#include "ui/prefs/duv_env_dlg.h"
#include "ui/prefs/prefs_core.h"
#include "ui/prefs/service_program.h"
#include "ui/prefs/tray_choice.h"
#include "window_support.h"

namespace moni::test {
namespace {

constexpr wchar_t kPort[] = L"LPT1:";
constexpr int kList = 200, kSoundIcon = 201, kSound = 202, kDefault = 203, kDesigns = 205, kTray = 206, kPreview = 207,
              kShared = 208;

// Registry values below a key and its "Notify" subkey, by name ("Notify\012").
using Values = std::map<std::wstring, DWORD>;

Values Snapshot(const std::wstring& keyPath) {
  Values values;
  for (const std::wstring& sub : {std::wstring(), std::wstring(L"Notify")}) {
    CRegistryKey key;
    if (!key.Open(HKEY_CURRENT_USER, sub.empty() ? keyPath : keyPath + L"\\" + sub)) continue;
    for (DWORD i = 0;; ++i) {
      const std::wstring name = key.EnumValue(i);
      if (name.empty()) break;
      const DWORD value = key.QueryDword(name, 0xBADBAD);
      if (value != 0xBADBAD) values[sub.empty() ? name : sub + L"\\" + name] = value;
    }
  }
  return values;
}

// What differs between two snapshots: name -> value after (0xDEAD: gone).
Values Changes(const Values& before, const Values& after) {
  Values changed;
  for (const auto& [name, value] : after) {
    const auto old = before.find(name);
    if (old == before.end() || old->second != value) changed[name] = value;
  }
  for (const auto& [name, value] : before) {
    if (!after.count(name)) changed[name] = 0xDEAD;
  }
  return changed;
}

// One row of the notification list.
struct Row {
  std::wstring text, state;
  int image = -1;
  LPARAM code = -1;
};

std::vector<Row> Rows(HWND dialog) {
  HWND list = GetDlgItem(dialog, kList);
  std::vector<Row> rows;
  const int count = ListView_GetItemCount(list);
  for (int i = 0; i < count; ++i) {
    wchar_t text[512] = {}, state[64] = {};
    LVITEMW item = {};
    item.mask = LVIF_TEXT | LVIF_IMAGE | LVIF_PARAM;
    item.iItem = i;
    item.pszText = text;
    item.cchTextMax = 512;
    ListView_GetItem(list, &item);
    ListView_GetItemText(list, i, 1, state, 64);
    rows.push_back({text, state, item.iImage, item.lParam});
  }
  return rows;
}

// Space on the selected row flips it, as a user's key press does.
void ToggleBySpace(HWND dialog, int row) {
  HWND list = GetDlgItem(dialog, kList);
  ListView_SetItemState(list, -1, 0, LVIS_SELECTED);
  ListView_SetItemState(list, row, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
  SendMessageW(list, WM_KEYDOWN, VK_SPACE, 0);
  SendMessageW(list, WM_KEYUP, VK_SPACE, 0);
}

// A click on the row's text.
void ToggleByClick(HWND dialog, int row) {
  HWND list = GetDlgItem(dialog, kList);
  RECT label = {};
  label.left = LVIR_LABEL;
  SendMessageW(list, LVM_GETITEMRECT, row, reinterpret_cast<LPARAM>(&label));
  const LPARAM at = MAKELPARAM((label.left + label.right) / 2, (label.top + label.bottom) / 2);
  PostMessageW(list, WM_LBUTTONDOWN, MK_LBUTTON, at);
  PostMessageW(list, WM_LBUTTONUP, 0, at);
}

int SelectedDesign(HWND dialog) { return ListView_GetNextItem(GetDlgItem(dialog, kDesigns), -1, LVNI_SELECTED); }
void SelectDesign(HWND dialog, int design) {
  ListView_SetItemState(GetDlgItem(dialog, kDesigns), design, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
}
HANDLE Preview(HWND dialog) { return reinterpret_cast<HANDLE>(SendDlgItemMessageW(dialog, kPreview, STM_GETIMAGE, IMAGE_BITMAP, 0)); }

// A click on a button or box that returns when the dialog has handled it (for
// clicks that end the dialog or open another window, Click posts).
void Press(HWND dialog, int id) { SendMessageW(GetDlgItem(dialog, id), BM_CLICK, 0, 0); }

// Returns when the dialog's thread has handled what was sent before.
void Settle(HWND dialog) { SendMessageTimeoutW(dialog, WM_NULL, 0, 0, SMTO_NORMAL, 5000, nullptr); }

class Prefs : public ::testing::Test {
 protected:
  void SetUp() override {
    folder = kit::MakeScenarioFolder(TempFolder() + L"prefs_" + UniqueTestName());
    printer = L"Prefs " + UniqueTestName();
    ASSERT_TRUE(kit::AddPrinter(printer, kit::kDriver, kPort));
    driverFolder = kit::InstalledDriverFolder(kit::kDriver);
    ASSERT_FALSE(driverFolder.empty());
    // The printer's key with the model's defaults, as the first export call makes it.
    ASSERT_GE(CBaseInfo::Instance().SetPrinterInformation(printer, kit::kDriver, kPort, kit::kModelID, L"", L""), 0);
    ASSERT_EQ(GetTargetPrnKey(printer, false, key), 0);
    lib.reset(LoadLibraryW(L"monicore.dll"));
    ASSERT_TRUE(lib.valid());
    startPreference = ProcOf<decltype(&PrStartPreference)>(lib, "PrStartPreference");
    ASSERT_NE(startPreference, nullptr);
  }
  void TearDown() override {
    RemoveTargetKeysOf(printer);
    kit::DeletePrinter(printer);
    lib.reset();
    kit::RemoveScenarioFolder(folder);
  }

  std::wstring Resource(bool german = false) const { return driverFolder + (german ? L"V_SMPRDE.DLL" : L"V_SMPRES.DLL"); }
  std::wstring Profile() const { return driverFolder + L"TLSMP100.DAT"; }

  // The export of monicore.dll for the test's printer on a thread of its own.
  std::unique_ptr<DialogThread> Open(const std::wstring& resource, const std::wstring& profile = L"") {
    return std::make_unique<DialogThread>([=, this] {
      return startPreference(printer.c_str(), kit::kDriver, kPort, kit::kModelID, profile.c_str(), resource.c_str());
    });
  }

  void SetValue(const std::wstring& name, DWORD value) {
    CRegistryKey k;
    const size_t slash = name.find(L'\\');
    ASSERT_TRUE(k.Open(HKEY_CURRENT_USER, slash == std::wstring::npos ? key : key + L"\\" + name.substr(0, slash), true));
    ASSERT_TRUE(k.SetDword(slash == std::wstring::npos ? name : name.substr(slash + 1), value));
  }
  void DeleteValue(const std::wstring& subkeyAndName) {
    const size_t slash = subkeyAndName.rfind(L'\\');
    CRegistryKey k;
    ASSERT_TRUE(k.Open(HKEY_CURRENT_USER, key + L"\\" + subkeyAndName.substr(0, slash), false, KEY_ALL_ACCESS));
    RegDeleteValueW(k.Get(), subkeyAndName.substr(slash + 1).c_str());
  }

  // Writes the agent's state for the sample driver (sagent.ini).
  void SetAgent(const wchar_t* key, const wchar_t* value) {
    WritePrivateProfileStringW(kit::kDriver, key, value, (folder + L"\\sagent.ini").c_str());
  }
  std::string Journal() const { return ReadFileBytes(folder + L"\\journal.log"); }
  std::string ServiceLog() const { return ReadFileBytes(folder + L"\\service.log"); }

  void Picture(HWND dialog, const std::wstring& name) {
    Settle(dialog);
    Sleep(150);  // the list views paint after their items change
    EXPECT_EQ(SaveWindowPicture(dialog, L"prefs\\" + name + L".png"), picture::SaveResult::kSaved) << name;
  }

  std::wstring folder, printer, key, driverFolder;
  Module lib;
  decltype(&PrStartPreference) startPreference = nullptr;
};

// --- the export's results --------------------------------------------------

TEST_F(Prefs, CancelAndClosingChangeNothing) {
  const Values before = Snapshot(key);
  for (const int end : {IDCANCEL, 0}) {
    auto run = Open(Resource());
    HWND dialog = WaitForDialog(run->id(), kList);
    ASSERT_NE(dialog, nullptr);
    ToggleBySpace(dialog, 0);
    Press(dialog, kSound);
    Press(dialog, kTray);
    Press(dialog, kDefault);
    Settle(dialog);
    if (end == IDCANCEL) Click(dialog, IDCANCEL);
    else PostMessageW(dialog, WM_CLOSE, 0, 0);
    ASSERT_TRUE(run->Finish());
    EXPECT_EQ(run->result(), 1);
    EXPECT_EQ(Changes(before, Snapshot(key)), Values{});
  }
}

TEST_F(Prefs, SwitchedOffPrinterGetsOneWithoutAWindow) {
  PrinterHandle handle;
  std::wstring name = printer;
  PRINTER_DEFAULTSW access = {nullptr, nullptr, PRINTER_ALL_ACCESS};
  ASSERT_TRUE(OpenPrinterW(name.data(), handle.put(), &access));
  DWORD on = 1;
  ASSERT_EQ(SetPrinterDataW(handle.get(), const_cast<wchar_t*>(L"DUVSetting"), REG_DWORD, reinterpret_cast<BYTE*>(&on), sizeof on),
            ERROR_SUCCESS);
  auto run = Open(Resource());
  ASSERT_TRUE(run->Finish());
  EXPECT_EQ(run->result(), 1);
  EXPECT_TRUE(ThreadWindows(run->id()).empty());
}

TEST_F(Prefs, MissingResourceLibraryAndMissingTemplate) {
  // No library: the message box, then -1.
  auto run = Open(driverFolder + L"V_SMPRFR.DLL");
  HWND box = WaitForDialog(run->id());
  ASSERT_NE(box, nullptr);
  EXPECT_EQ(WindowText(box), L"TALMER Vigilo 3");
  EXPECT_NE(ChildTexts(box).find(L"Cannot link Resource Dll"), std::wstring::npos);
  PostMessageW(box, WM_COMMAND, IDOK, 0);
  ASSERT_TRUE(run->Finish());
  EXPECT_EQ(run->result(), -1);

  // A library without template 100: -3 at once, and nothing written.
  const Values before = Snapshot(key);
  auto noTemplate = Open(kit::ProgramFolder() + L"status_texts.dll");
  ASSERT_TRUE(noTemplate->Finish());
  EXPECT_EQ(noTemplate->result(), -3);
  EXPECT_EQ(Changes(before, Snapshot(key)), Values{});
}

TEST_F(Prefs, SecondDialogForThePrinterClosesAtOnce) {
  auto first = Open(Resource());
  HWND dialog = WaitForDialog(first->id(), kList);
  ASSERT_NE(dialog, nullptr);
  auto second = Open(Resource());
  ASSERT_TRUE(second->Finish());
  EXPECT_EQ(second->result(), 1);
  EXPECT_TRUE(IsWindow(dialog));
  Click(dialog, IDCANCEL);
  ASSERT_TRUE(first->Finish());
  // The first one released its registration: a new dialog opens.
  auto third = Open(Resource());
  dialog = WaitForDialog(third->id(), kList);
  ASSERT_NE(dialog, nullptr);
  Click(dialog, IDCANCEL);
  ASSERT_TRUE(third->Finish());
  EXPECT_EQ(third->result(), 1);
}

// OK through the export built into this program, with tray workers that record
// what OK asks of them.
struct TrayCall {
  int enable;
  std::wstring printer;
};
std::vector<TrayCall> g_entries, g_starts;

TEST_F(Prefs, OkWritesExactlyTheChangedValuesAndAsksForTheTrayChoice) {
  const auto previous = prefs::SetTrayWorkers(
      {[](int enable, const prefs::TrayIdentity& id) { g_entries.push_back({enable, id.printer}); return 1; },
       [](int enable, const prefs::TrayIdentity& id) { g_starts.push_back({enable, id.printer}); return 1; }});
  g_entries.clear();
  g_starts.clear();
  SetValue(L"TrayIconSelected", 1);
  const Values before = Snapshot(key);
  ASSERT_EQ(before.at(L"SoundNotifyEnable"), 1u);
  ASSERT_EQ(before.at(L"Notify\\012"), 1u);
  ASSERT_EQ(before.at(L"Notify\\011"), 1u);

  const auto open = [&](bool german) {
    return std::make_unique<DialogThread>(
        [=, this] { return PrStartPreference(printer.c_str(), kit::kDriver, kPort, kit::kModelID, L"", Resource(german).c_str()); });
  };
  auto run = open(false);
  HWND dialog = WaitForDialog(run->id(), kList);
  ASSERT_NE(dialog, nullptr);
  Picture(dialog, L"en-defaults");
  EXPECT_EQ(WindowText(dialog), L"Monitoring Preferences : " + printer);
  const std::vector<Row> rows = Rows(dialog);
  ASSERT_EQ(rows.size(), 4u);
  EXPECT_EQ(rows[0].text, L"Printer error");
  EXPECT_EQ(rows[0].code, 12);
  EXPECT_EQ(rows[3].code, 501);
  EXPECT_EQ(rows[0].state, L"On");
  EXPECT_EQ(rows[0].image, 1);
  EXPECT_TRUE(IsChecked(dialog, kSound));
  EXPECT_TRUE(IsChecked(dialog, kTray));
  EXPECT_EQ(SelectedDesign(dialog), 1);
  EXPECT_FALSE(IsWindowVisible(GetDlgItem(dialog, kShared)));  // not on this system
  EXPECT_FALSE(IsWindowEnabled(GetDlgItem(dialog, IDHELP)));   // the sample model has no help file

  ToggleByClick(dialog, 0);
  EXPECT_TRUE(WaitFor([&] { return Rows(dialog)[0].state == L"Off"; }, 5000));
  ToggleBySpace(dialog, 1);
  ToggleBySpace(dialog, 1);  // twice: as it was
  Settle(dialog);
  EXPECT_EQ(Rows(dialog)[0].state, L"Off");
  EXPECT_EQ(Rows(dialog)[0].image, 0);
  EXPECT_EQ(Rows(dialog)[1].state, L"On");
  Press(dialog, kSound);
  SelectDesign(dialog, 2);
  Settle(dialog);
  Click(dialog, IDOK);
  ASSERT_TRUE(run->Finish());
  EXPECT_EQ(run->result(), 0);
  const Values changed = {{L"SoundNotifyEnable", 0}, {L"TrayIconSelected", 2}, {L"Notify\\012", 0}};
  EXPECT_EQ(Changes(before, Snapshot(key)), changed);
  ASSERT_EQ(g_entries.size(), 1u);
  EXPECT_EQ(g_entries[0].enable, 1);
  EXPECT_EQ(g_entries[0].printer, printer);
  ASSERT_EQ(g_starts.size(), 1u);
  EXPECT_EQ(g_starts[0].enable, 1);

  // In German, OK with nothing changed writes nothing new.
  run = open(true);
  dialog = WaitForDialog(run->id(), kList);
  ASSERT_NE(dialog, nullptr);
  EXPECT_EQ(WindowText(dialog), L"\u00dcberwachungseinstellungen : " + printer);
  Picture(dialog, L"de-defaults");
  Click(dialog, IDOK);
  ASSERT_TRUE(run->Finish());
  EXPECT_EQ(run->result(), 0);
  EXPECT_EQ(Changes(before, Snapshot(key)), changed);

  // Turning the tray icon off is what the workers are asked for next.
  run = open(false);
  dialog = WaitForDialog(run->id(), kList);
  ASSERT_NE(dialog, nullptr);
  Press(dialog, kTray);
  Click(dialog, IDOK);
  ASSERT_TRUE(run->Finish());
  ASSERT_EQ(g_starts.size(), 3u);
  EXPECT_EQ(g_entries.back().enable, 0);
  EXPECT_EQ(g_starts.back().enable, 0);
  EXPECT_EQ(Snapshot(key).at(L"TrayIconEnable"), 0u);
  prefs::SetTrayWorkers(previous);
}

// --- what the dialog shows -------------------------------------------------

TEST_F(Prefs, StoredValuesAsTheDialogTakesThem) {
  struct Case {
    DWORD sound, tray, design;
    bool soundShown, trayShown;
    int selected;  // design list selection, -1 none
    const wchar_t* picture;
  };
  const Case cases[] = {
      {2, 1, 7, false, true, 0, L"en-design-0-from-7"},  // 2 is off, 7 shows design 0
      {1, 1, 3, true, true, -1, L"en-design-3"},         // 3 stays: no icon in the preview
      {1, 0, 2, true, false, -1, L"en-no-tray-icon"},
  };
  for (const Case& c : cases) {
    SetValue(L"SoundNotifyEnable", c.sound);
    SetValue(L"TrayIconEnable", c.tray);
    SetValue(L"TrayIconSelected", c.design);
    const Values before = Snapshot(key);
    auto run = Open(Resource());
    HWND dialog = WaitForDialog(run->id(), kList);
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(IsChecked(dialog, kSound), c.soundShown) << c.picture;
    EXPECT_EQ(IsChecked(dialog, kTray), c.trayShown) << c.picture;
    EXPECT_EQ(SelectedDesign(dialog), c.selected) << c.picture;
    EXPECT_EQ(ListView_GetItemCount(GetDlgItem(dialog, kDesigns)), c.trayShown ? 3 : 0) << c.picture;
    EXPECT_EQ(IsWindowEnabled(GetDlgItem(dialog, kDesigns)) != FALSE, c.trayShown) << c.picture;
    Picture(dialog, c.picture);

    // The preview of a design without an icon is the one without a tray icon.
    const HANDLE shown = Preview(dialog);
    ASSERT_NE(shown, nullptr);
    Press(dialog, kTray);
    Settle(dialog);
    const HANDLE toggled = Preview(dialog);
    if (c.design == 3) EXPECT_EQ(toggled, shown);
    else EXPECT_NE(toggled, shown);
    Press(dialog, kTray);
    Settle(dialog);
    EXPECT_EQ(Preview(dialog), shown);
    Click(dialog, IDCANCEL);
    ASSERT_TRUE(run->Finish());
    EXPECT_EQ(Changes(before, Snapshot(key)), Values{}) << c.picture;
  }
  // The previews of the designs, each in its own picture.
  SetValue(L"TrayIconEnable", 1);
  SetValue(L"TrayIconSelected", 0);
  auto run = Open(Resource(true));
  HWND dialog = WaitForDialog(run->id(), kList);
  ASSERT_NE(dialog, nullptr);
  // The three designs side by side inside the list.
  HWND designs = GetDlgItem(dialog, kDesigns);
  RECT client = {};
  GetClientRect(designs, &client);
  LONG lastLeft = -1;
  for (int i = 0; i < 3; ++i) {
    RECT icon = {};
    icon.left = LVIR_ICON;
    ASSERT_TRUE(SendMessageW(designs, LVM_GETITEMRECT, i, reinterpret_cast<LPARAM>(&icon)));
    EXPECT_TRUE(icon.left >= 0 && icon.right <= client.right && icon.top >= 0 && icon.bottom <= client.bottom) << i;
    EXPECT_GT(icon.left, lastLeft);
    lastLeft = icon.right;
  }
  std::vector<HANDLE> previews;
  for (int design : {2, 1, 0}) {
    SelectDesign(dialog, design);
    Settle(dialog);
    EXPECT_EQ(SelectedDesign(dialog), design);
    previews.push_back(Preview(dialog));
    Picture(dialog, L"de-design-" + std::to_wstring(design));
  }
  EXPECT_NE(previews[0], previews[1]);
  EXPECT_NE(previews[1], previews[2]);
  Click(dialog, IDCANCEL);
  ASSERT_TRUE(run->Finish());
}

TEST_F(Prefs, MissingValuesAreWrittenFromTheDefaultsWhenTheDialogOpens) {
  // A missing "Notify" value and a missing setting are written at once; a
  // value of another type is shown as the default and left until OK.
  DeleteValue(L"Notify\\009");
  {
    CRegistryKey k;
    ASSERT_TRUE(k.Open(HKEY_CURRENT_USER, key, false, KEY_ALL_ACCESS));
    RegDeleteValueW(k.Get(), L"TrayIconEnable");
    ASSERT_TRUE(k.SetString(L"TrayIconSelected", L"2"));
  }
  SetValue(L"Notify\\011", 0);
  auto run = Open(Resource());
  HWND dialog = WaitForDialog(run->id(), kList);
  ASSERT_NE(dialog, nullptr);
  Values now = Snapshot(key);
  EXPECT_EQ(now.at(L"Notify\\009"), 1u);  // ITEM009=1
  EXPECT_EQ(now.at(L"Notify\\011"), 0u);  // the user's value stays
  EXPECT_EQ(now.at(L"TrayIconEnable"), 1u);
  EXPECT_EQ(now.count(L"TrayIconSelected"), 0u);  // still the string
  EXPECT_EQ(SelectedDesign(dialog), 1);             // the model's default
  EXPECT_EQ(Rows(dialog)[1].state, L"Off");
  Click(dialog, IDCANCEL);
  ASSERT_TRUE(run->Finish());
  CRegistryKey k;
  ASSERT_TRUE(k.Open(HKEY_CURRENT_USER, key));
  EXPECT_EQ(k.QueryString(L"TrayIconSelected"), L"2");
}

TEST_F(Prefs, DefaultButtonSetsTheModelDefaultsUntilOk) {
  SetValue(L"SoundNotifyEnable", 0);
  SetValue(L"Notify\\012", 0);
  SetValue(L"Notify\\009", 0);
  const Values before = Snapshot(key);
  auto run = Open(Resource());
  HWND dialog = WaitForDialog(run->id(), kList);
  ASSERT_NE(dialog, nullptr);
  Press(dialog, kTray);  // the tray box is the user's and stays off
  Press(dialog, kDefault);
  Settle(dialog);
  EXPECT_TRUE(IsChecked(dialog, kSound));
  EXPECT_FALSE(IsChecked(dialog, kTray));
  for (const Row& row : Rows(dialog)) EXPECT_EQ(row.state, L"On") << row.text;  // ITEM012, 011, 009 and 501 are 1
  EXPECT_EQ(Snapshot(key), before);
  Click(dialog, IDOK);
  ASSERT_TRUE(run->Finish());
  EXPECT_EQ(Changes(before, Snapshot(key)),
            (Values{{L"SoundNotifyEnable", 1}, {L"TrayIconEnable", 0}, {L"Notify\\012", 1}, {L"Notify\\009", 1}}));
}

TEST_F(Prefs, ModelWithoutSound) {
  // A copy of the model's profile whose languages have no sound, beside the
  // resource libraries it names.
  const std::wstring profile = driverFolder + L"NOSOUND_" + UniqueTestName() + L".DAT";
  std::string text = ReadFileBytes(Profile());
  ASSERT_FALSE(text.empty());
  for (size_t at = 0; (at = text.find("SOUND=1", at)) != std::string::npos;) text.replace(at, 7, "SOUND=0");
  ASSERT_TRUE(WriteTextFile(profile, text));
  SetValue(L"SoundNotifyEnable", 1);
  const Values before = Snapshot(key);
  for (const bool german : {false, true}) {
    auto run = Open(Resource(german), profile);
    HWND dialog = WaitForDialog(run->id(), kList);
    ASSERT_NE(dialog, nullptr);
    EXPECT_FALSE(IsWindowVisible(GetDlgItem(dialog, kSound)));
    EXPECT_FALSE(IsWindowVisible(GetDlgItem(dialog, kSoundIcon)));
    Picture(dialog, german ? L"de-no-sound" : L"en-no-sound");
    Click(dialog, german ? IDCANCEL : IDOK);
    ASSERT_TRUE(run->Finish());
  }
  EXPECT_EQ(Changes(before, Snapshot(key)), (Values{{L"SoundNotifyEnable", 0}}));
  DeleteFileW(profile.c_str());
}

TEST_F(Prefs, ItemCountAndItemTextsFromTheResourceLibrary) {
  struct Case {
    const wchar_t* library;
    size_t rows;
  };
  for (const Case& c : {Case{L"prefs_texts1.dll", 6}, Case{L"prefs_texts2.dll", 0}, Case{L"prefs_texts3.dll", prefs::kMaxNotifyItems}}) {
    DeleteValue(L"Notify\\000");
    auto run = Open(kit::ProgramFolder() + c.library);
    HWND dialog = WaitForDialog(run->id(), kList);
    ASSERT_NE(dialog, nullptr) << c.library;
    const std::vector<Row> rows = Rows(dialog);
    ASSERT_EQ(rows.size(), c.rows) << c.library;
    if (c.rows == 6) {
      EXPECT_EQ(rows[0].text.size(), prefs::kMaxItemText);  // 300 characters cut to what an item holds
      EXPECT_EQ(rows[0].text.substr(0, 10), L"A123456789");
      EXPECT_EQ(rows[4].text, L"Fifth item");
      EXPECT_EQ(rows[5].text, L"");  // string 1006 is missing
      EXPECT_EQ(rows[4].code, 0);
      EXPECT_EQ(rows[5].code, 0);
      Picture(dialog, L"en-six-items");
      // Items past the code table share "000" (ITEM000 is absent: 0); one
      // changed item is saved, the unchanged one does not undo it.
      EXPECT_EQ(Snapshot(key).at(L"Notify\\000"), 0u);
      ToggleBySpace(dialog, 4);
      Settle(dialog);
      Click(dialog, IDOK);
      ASSERT_TRUE(run->Finish());
      EXPECT_EQ(Snapshot(key).at(L"Notify\\000"), 1u);
      continue;
    }
    Click(dialog, IDCANCEL);
    ASSERT_TRUE(run->Finish());
  }
}

// monictl prefs as a support engineer runs it: the dialog in monictl's own
// process, closed here with OK, and the settings before and after on stdout.
TEST_F(Prefs, MonictlOpensTheDialogAndPrintsBeforeAndAfter) {
  SetValue(L"SoundNotifyEnable", 1);
  TempFile output(L"monictl_prefs_", L".json");
  const KernelHandle processHandle =
      StartWithOutput(kit::ProgramFolder() + L"monictl.exe", L"prefs \"" + printer + L"\" --json", output.path());
  ASSERT_TRUE(processHandle.valid());

  HWND dialog = nullptr;
  ASSERT_TRUE(WaitFor([&] {
    for (HWND w : WindowsOf(GetProcessId(processHandle.get()), L"#32770")) if (GetDlgItem(w, kList) && IsWindowVisible(w)) dialog = w;
    return dialog != nullptr;
  }, 15000));
  Press(dialog, kSound);
  Click(dialog, IDOK);
  ASSERT_EQ(WaitForSingleObject(processHandle.get(), 15000), WAIT_OBJECT_0);
  DWORD exitCode = 9;
  GetExitCodeProcess(processHandle.get(), &exitCode);
  EXPECT_EQ(exitCode, 0u);
  const std::string json = ReadFileBytes(output.path());
  const size_t after = json.find("\"after\":");
  ASSERT_NE(after, std::string::npos) << json;
  EXPECT_EQ(json.find("{\"printer\":\"Prefs "), 0u) << json;
  EXPECT_NE(json.find("\"result\":0,\"before\":{\"key\":"), std::string::npos) << json;
  EXPECT_NE(json.find("\"soundNotifyEnable\":1"), std::string::npos) << json;
  EXPECT_LT(json.find("\"soundNotifyEnable\":1"), after) << json;
  EXPECT_NE(json.find("\"soundNotifyEnable\":0", after), std::string::npos) << json;
  EXPECT_NE(json.find("\"notify\":{\"001\":0,", after), std::string::npos) << json;
}

// --- shared printers (a system that shows the box) ---------------------------

class SharedPrinters : public Prefs {
 protected:
  void SetUp() override {
    Prefs::SetUp();
    if (HasFatalFailure()) return;
    service.reset(new CServiceProgram(CServiceProgram::ForDriver(kit::kDriver, printer, driverFolder)));
    // A service of an earlier run goes (a new prefix has no program to start
    // for that: removing then fails with -1, as it should); the log starts empty.
    if (GetFileAttributesW(service->TargetPath().c_str()) != INVALID_FILE_ATTRIBUTES) {
      ASSERT_EQ(service->Set(false), 1);
      ASSERT_TRUE(LogHas(" /R V_G00RP1 "));
    } else {
      ASSERT_EQ(service->Set(false), -1);
    }
    ASSERT_TRUE(WaitFor([&] { return service->Check() == prefs::kServiceNotInstalled; }, 10000));
    ASSERT_TRUE(WaitFor([&] { return DeleteFileW((folder + L"\\service.log").c_str()) || GetLastError() == ERROR_FILE_NOT_FOUND; }, 5000));
  }
  void TearDown() override {
    if (service) {
      service->Set(false);
      WaitFor([&] { return service->Check() == prefs::kServiceNotInstalled; }, 10000);
    }
    Prefs::TearDown();
  }

  // The dialog itself, on Windows 2000 as an administrator.
  std::unique_ptr<DialogThread> OpenOnWindows2000(bool german = false) {
    return std::make_unique<DialogThread>([=, this] {
      const CBaseInfo& info = CBaseInfo::Instance();
      CDuvEnvDlg::Identity id{printer, kit::kDriver, kPort, kit::kModelID, Profile(), Resource(german), info.BmpResName,
                              info.InstallPath};
      prefs::DuvEnvOptions options;
      options.platform = {true, 5, 0};
      options.administrator = true;
      options.serviceWaitMs = 100;
      CDuvEnvDlg dialog(id, options);
      return dialog.Initialize() ? static_cast<int>(dialog.DoModal(nullptr)) : -1;
    });
  }
  // The wait dialog of the agent's switch: the dialog's thread's other window.
  void PictureOfTheWait(DialogThread& run, const std::wstring& name) {
    HWND wait = nullptr;
    ASSERT_TRUE(WaitFor([&] {
      for (HWND w : ThreadWindows(run.id())) if (!GetDlgItem(w, kList)) wait = w;
      return wait != nullptr;
    }, 5000));
    EXPECT_EQ(WindowText(wait), L"TALMER Vigilo 3");
    Settle(wait);
    Sleep(200);
    EXPECT_EQ(SaveWindowPicture(wait, L"prefs\\" + name + L".png"), picture::SaveResult::kSaved);
  }
  bool LogHas(const char* text) {
    return WaitFor([&] { return ServiceLog().find(text) != std::string::npos; }, 10000);
  }

  std::unique_ptr<CServiceProgram> service;
};

TEST_F(SharedPrinters, OnAndOffAgainBeforeOkChangesNothing) {
  auto run = OpenOnWindows2000();
  HWND dialog = WaitForDialog(run->id(), kList);
  ASSERT_NE(dialog, nullptr);
  ASSERT_TRUE(IsEnabledAndShown(dialog, kShared));
  EXPECT_FALSE(IsChecked(dialog, kShared));
  Press(dialog, kShared);
  Settle(dialog);
  EXPECT_TRUE(IsChecked(dialog, kShared));
  Press(dialog, kShared);
  Click(dialog, IDOK);
  ASSERT_TRUE(run->Finish());
  EXPECT_EQ(run->result(), IDOK);
  EXPECT_EQ(Journal().find("SetSAgentShare"), std::string::npos);
  Sleep(300);
  EXPECT_EQ(ServiceLog(), "");
  EXPECT_EQ(service->Check(), prefs::kServiceNotInstalled);
}

TEST_F(SharedPrinters, SwitchedOnWithItsWaitThenOffInstallsAndRemovesTheService) {
  SetAgent(L"SwitchMs", L"1500");
  auto run = OpenOnWindows2000();
  HWND dialog = WaitForDialog(run->id(), kList);
  ASSERT_NE(dialog, nullptr);
  Press(dialog, kShared);
  Picture(dialog, L"en-shared-on");
  Click(dialog, IDOK);
  // The wait while the agent switches, then the service is installed.
  PictureOfTheWait(*run, L"en-shared-wait");
  ASSERT_TRUE(run->Finish(10000));
  EXPECT_EQ(run->result(), IDOK);
  EXPECT_NE(Journal().find("SetSAgentShare 1 TALMER VGL3 Sample 0"), std::string::npos);
  ASSERT_TRUE(LogHas(" /IS V_G00RP1 0"));
  EXPECT_TRUE(WaitFor([&] { return service->Check() == prefs::kServiceRunning; }, 10000));

  // Opening again with the service up to date changes nothing; off removes it.
  run = OpenOnWindows2000(true);
  dialog = WaitForDialog(run->id(), kList);
  ASSERT_NE(dialog, nullptr);
  EXPECT_TRUE(IsChecked(dialog, kShared));
  Picture(dialog, L"de-shared-on");
  Press(dialog, kShared);
  Click(dialog, IDOK);
  PictureOfTheWait(*run, L"de-shared-wait");
  ASSERT_TRUE(run->Finish(10000));
  EXPECT_NE(Journal().find("SetSAgentShare 0 TALMER VGL3 Sample 0"), std::string::npos);
  ASSERT_TRUE(LogHas(" /R V_G00RP1 0"));
  const std::string log = ServiceLog();
  EXPECT_EQ(std::count(log.begin(), log.end(), '\n'), 2) << log;
  EXPECT_EQ(service->Check(), prefs::kServiceNotInstalled);
}

TEST_F(SharedPrinters, FailedSwitchInstallsNothingAndAnAgentThatCannotShareDisablesTheBox) {
  SetAgent(L"Switch", L"fail");
  auto run = OpenOnWindows2000();
  HWND dialog = WaitForDialog(run->id(), kList);
  ASSERT_NE(dialog, nullptr);
  Press(dialog, kShared);
  Click(dialog, IDOK);
  ASSERT_TRUE(run->Finish(10000));
  EXPECT_NE(Journal().find("SetSAgentShare 1 TALMER VGL3 Sample -1"), std::string::npos);
  Sleep(300);
  EXPECT_EQ(ServiceLog(), "");

  SetAgent(L"Possible", L"0");
  run = OpenOnWindows2000();
  dialog = WaitForDialog(run->id(), kList);
  ASSERT_NE(dialog, nullptr);
  EXPECT_TRUE(IsWindowVisible(GetDlgItem(dialog, kShared)));
  EXPECT_FALSE(IsWindowEnabled(GetDlgItem(dialog, kShared)));
  Picture(dialog, L"en-shared-not-possible");
  Click(dialog, IDCANCEL);
  ASSERT_TRUE(run->Finish());
}

}  // namespace
}  // namespace moni::test
