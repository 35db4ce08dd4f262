// The registry side of the low-ink reminders: a printer key and an
// ink-ordering key of the test's own, the companion program stand-in started
// for real (it writes what it was given into programs.log), the pop-up lock
// as a real named mutex.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

#include "kit.h"
#include "platform/text.h"
#include "platform/text_core.h"
#include "test_support.h"
#include "ui/inkorder/ink_order.h"
#include "ui/inkorder/order_key.h"
#include "window_support.h"

namespace {

using namespace moni::test;
using namespace moni::inkorder;
namespace kit = moni::kit;

void SetDword(HKEY root, const std::wstring& key, const wchar_t* name, DWORD value) {
  ASSERT_EQ(RegSetKeyValueW(root, key.c_str(), name, REG_DWORD, &value, sizeof value), ERROR_SUCCESS);
}
void SetString(HKEY root, const std::wstring& key, const wchar_t* name, const std::wstring& text) {
  ASSERT_EQ(RegSetKeyValueW(root, key.c_str(), name, REG_SZ, text.c_str(), static_cast<DWORD>((text.size() + 1) * 2)),
            ERROR_SUCCESS);
}
StoredValue GetDword(const std::wstring& key, const std::wstring& name) {
  DWORD value = 0, size = sizeof value;
  if (RegGetValueW(HKEY_CURRENT_USER, key.c_str(), name.c_str(), RRF_RT_REG_DWORD, nullptr, &value, &size) !=
      ERROR_SUCCESS)
    return std::nullopt;
  return value;
}

size_t FilesIn(const std::wstring& folder) {
  WIN32_FIND_DATAW data;
  moni::FindHandle find(FindFirstFileW((folder + L"*").c_str(), &data));
  size_t n = 0;
  if (find) {
    do {
      if (!(data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) ++n;
    } while (FindNextFileW(find.get(), &data));
  }
  return n;
}

moni::status::StatusBuff Record(std::vector<std::uint8_t> levels) {
  moni::status::StatusBuff record{};
  moni::status::InitStatusBuff(record);
  record.byInkCount = static_cast<std::uint8_t>(levels.size());
  const std::uint16_t codes[] = {3, 4, 5, 1}, colours[] = {1, 2, 3, 0};
  for (size_t i = 0; i < levels.size(); ++i) {
    record.abyInkRemain[i] = levels[i];
    record.awInkCode[i] = codes[i % 4];
    record.awInkColor[i] = colours[i % 4];
  }
  return record;
}

// Each test: a printer key below HKCU and an ink-ordering key below HKLM of
// its own, a temporary folder of its own (TMP, inherited by the companion
// program) and a scenario folder for the stand-in's journal.
class InkOrder : public ::testing::Test {
 protected:
  void SetUp() override {
    const std::wstring name = UniqueTestName();
    printerKey = L"Software\\TALMER\\VGL3Test\\P" + name;
    orderKey = L"Software\\TALMER\\InkOrderTest " + name + L" IO_URL";
    ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, printerKey.c_str(), 0, nullptr, 0, KEY_WRITE, nullptr, m_key.put(),
                              nullptr),
              ERROR_SUCCESS);
    m_scenarios = kit::MakeScenarioFolder(TempFolder() + L"inkorder_" + name);
    m_temp = TempFolder() + L"inkorder_tmp_" + name + L"\\";
    CreateDirectoryW(m_temp.c_str(), nullptr);
    wchar_t old[MAX_PATH + 1] = {};
    if (GetEnvironmentVariableW(L"TMP", old, MAX_PATH + 1) > 0) m_oldTmp = old;
    SetEnvironmentVariableW(L"TMP", m_temp.c_str());

    setup.printer = L"Ink Order " + name;
    setup.driver = kit::kDriver;
    setup.port = L"USB001";
    setup.model = kit::kModelID;
    setup.companion = kit::InstalledDriverFolder(kit::kDriver) + L"V_G20DP1.EXE";
    setup.inkTankType = L"SMP4";
    setup.orderKey = orderKey;
  }
  void TearDown() override {
    SetEnvironmentVariableW(L"TMP", m_oldTmp.empty() ? nullptr : m_oldTmp.c_str());
    m_key.reset();
    RegDeleteTreeW(HKEY_CURRENT_USER, printerKey.c_str());
    RegDeleteTreeW(HKEY_LOCAL_MACHINE, orderKey.c_str());
    kit::RemoveScenarioFolder(m_scenarios);
    WIN32_FIND_DATAW data;
    moni::FindHandle find(FindFirstFileW((m_temp + L"*").c_str(), &data));
    if (find) {
      do {
        DeleteFileW((m_temp + data.cFileName).c_str());
      } while (FindNextFileW(find.get(), &data));
    }
    find.reset();
    RemoveDirectoryW(m_temp.c_str());
  }

  std::vector<std::string> Started() const { return Lines(ReadFileBytes(m_scenarios + L"\\programs.log")); }
  size_t TempFiles() const { return FilesIn(m_temp); }

  std::wstring printerKey, orderKey;
  InkOrderSetup setup;

 private:
  moni::RegKey m_key;
  std::wstring m_scenarios, m_temp, m_oldTmp;
};

TEST_F(InkOrder, ReminderRunsOnTheRegistryAndStartsTheCompanionWithTheInks) {
  SetDword(HKEY_LOCAL_MACHINE, orderKey, L"EnablePopup", 1);
  SetString(HKEY_LOCAL_MACHINE, orderKey, L"BorderLine", L"30,15,8,2");
  SetDword(HKEY_CURRENT_USER, printerKey, L"InkOrderLevel_4", 99);
  SetString(HKEY_CURRENT_USER, printerKey, L"InkOrderLevel_2", L"5");
  const CInkOrder order(setup);

  // The status window opens: missing levels (and one that is not a number)
  // become B0, an existing one stays.
  order.InitializeLevels(printerKey);
  order.SetDisableState(printerKey);
  for (size_t i = 0; i < 3; ++i) EXPECT_EQ(GetDword(printerKey, LevelValueName(i)), 30u) << i;
  EXPECT_EQ(GetDword(printerKey, LevelValueName(3)), 99u);
  EXPECT_EQ(GetDword(printerKey, kInkOrderDisable), 0u);

  // 20 % is below B0 = 30: "AUTO20", and the companion program gets the inks.
  ReminderDecision d = order.PopupInkOrder(printerKey, Record({20, 90, 0x50, 100, 95}));
  EXPECT_TRUE(d.due);
  EXPECT_EQ(d.mode, u"AUTO20");
  ASSERT_TRUE(WaitFor([&] { return Started().size() == 1; }, 10000));
  const std::string line = Started()[0];
  const std::string identity = "V_G20DP1.EXE\tP=" + moni::NarrowUtf8(moni::ToU16(setup.printer)) +
                               "\tO=USB001\tM=SMP-100\tD=" + moni::NarrowUtf8(moni::ToU16(setup.driver)) + "\t";
  EXPECT_EQ(line.rfind(identity, 0), 0u) << line;
  EXPECT_NE(line.find("\tread=1\tgone=1\tA=1\tT=AUTO20\tL=145A5064\tN=01020300\tIC=03040501\t"), std::string::npos)
      << line;
  EXPECT_TRUE(WaitFor([&] { return TempFiles() == 0; }, 5000));  // the companion program deleted its file
  for (size_t i = 0; i < 4; ++i) EXPECT_EQ(GetDword(printerKey, LastValueName(i)), d.last[i]) << i;
  EXPECT_EQ(GetDword(printerKey, LastValueName(0)), 20u);
  EXPECT_EQ(GetDword(printerKey, LastValueName(3)), 100u);

  // While the dialog is on screen nothing more is started.
  moni::KernelHandle lock;
  ASSERT_TRUE(AcquirePopupLock(printerKey, setup.companion, lock));
  EXPECT_EQ(order.CheckPopupState(printerKey), 1);
  d = order.PopupInkOrder(printerKey, Record({20, 90}));
  EXPECT_EQ(d.reason, ReminderReason::OnScreen);
  lock.reset();
  EXPECT_EQ(order.CheckPopupState(printerKey), 0);

  // Cancelled in the dialog: dropped.
  SetDword(HKEY_CURRENT_USER, printerKey, kInkOrderDisable, 1);
  EXPECT_EQ(order.PopupInkOrder(printerKey, Record({20, 90})).reason, ReminderReason::Disabled);

  // A new first cartridge: every level becomes the band of the lowest ink (90
  // is above B0), and nothing is due.
  d = order.PopupInkOrder(printerKey, Record({100, 90}));
  EXPECT_EQ(d.replacedInk, 0);
  EXPECT_FALSE(d.due);
  for (size_t i = 0; i < 4; ++i) EXPECT_EQ(GetDword(printerKey, LevelValueName(i)), 30u) << i;
  EXPECT_EQ(Started().size(), 1u);
}

TEST_F(InkOrder, SwitchesAndValuesOfTheWrongKindTakeTheDefaults) {
  const CInkOrder order(setup);
  const auto record = Record({12});
  // No ink-ordering key: reminders off, default thresholds.
  EXPECT_EQ(order.ReadThresholds(), Thresholds{});
  EXPECT_EQ(order.PopupInkOrder(printerKey, record).reason, ReminderReason::PopupOff);

  // "EnablePopup" as text, "BorderLine" as a number: neither counts.
  SetString(HKEY_LOCAL_MACHINE, orderKey, L"EnablePopup", L"1");
  SetDword(HKEY_LOCAL_MACHINE, orderKey, L"BorderLine", 30);
  EXPECT_FALSE(order.ReadEnablePopup().has_value());
  EXPECT_EQ(order.ReadThresholds(), Thresholds{});
  // The printer's own switch as text does not count either; as a number it wins.
  SetString(HKEY_CURRENT_USER, printerKey, kIoEnablePopup, L"1");
  EXPECT_EQ(order.PopupInkOrder(printerKey, record).reason, ReminderReason::PopupOff);
  SetDword(HKEY_CURRENT_USER, printerKey, kIoEnablePopup, 1);
  SetString(HKEY_CURRENT_USER, printerKey, L"InkOrderLevel_1", L"5");  // counts as missing
  const ReminderState state = order.ReadState(printerKey, record);
  EXPECT_EQ(state.ioEnablePopup, 1u);
  EXPECT_FALSE(state.levels[0].has_value());

  // "BorderLine" with three numbers is refused as a whole.
  SetString(HKEY_LOCAL_MACHINE, orderKey, L"BorderLine", L"30,15,8");
  EXPECT_EQ(order.ReadBorderLine(), std::u16string(u"30,15,8"));
  EXPECT_EQ(order.ReadThresholds(), Thresholds{});

  // Without ink ordering nothing is initialised, reset or started.
  InkOrderSetup none = setup;
  none.inkTankType.clear();
  const CInkOrder unavailable(none);
  unavailable.InitializeLevels(printerKey);
  unavailable.SetDisableState(printerKey);
  EXPECT_FALSE(GetDword(printerKey, LevelValueName(1)).has_value());
  EXPECT_FALSE(GetDword(printerKey, kInkOrderDisable).has_value());
  EXPECT_EQ(unavailable.PopupInkOrder(printerKey, record).reason, ReminderReason::NotAvailable);
  EXPECT_EQ(unavailable.CallInkOrder(record, 20), 0);
  EXPECT_FALSE(GetDword(printerKey, LastValueName(0)).has_value());
  // An empty printer key is never HKCU itself.
  order.InitializeLevels(L"");
  EXPECT_FALSE(GetDword(L"", LevelValueName(0)).has_value());
}

TEST_F(InkOrder, CompanionThatCannotStartLeavesNoParameterFile) {
  InkOrderSetup missing = setup;
  missing.companion = kit::InstalledDriverFolder(kit::kDriver) + L"V_MISSING.EXE";
  const auto record = Record({5, 5});
  EXPECT_EQ(CInkOrder(missing).CallInkOrder(record, 5), 0);
  EXPECT_EQ(TempFiles(), 0u);
  missing.companion.clear();
  EXPECT_EQ(CInkOrder(missing).CallInkOrder(record, 5), 0);
  EXPECT_EQ(CInkOrder(missing).CheckPopupState(printerKey), 0);
  EXPECT_EQ(TempFiles(), 0u);

  // The mode of a threshold follows the driver's border lines.
  SetString(HKEY_LOCAL_MACHINE, orderKey, L"BorderLine", L"30,15,5,5");
  EXPECT_EQ(CInkOrder(setup).CallInkOrder(record, 5), 1);
  ASSERT_TRUE(WaitFor([&] { return Started().size() == 1; }, 10000));
  EXPECT_NE(Started()[0].find("\tA=1\tT=AUTO00\tL=0505\t"), std::string::npos) << Started()[0];
}

TEST_F(InkOrder, PopupLockIsOnePerPrinterAndProgram) {
  const CInkOrder order(setup);
  moni::KernelHandle first, second;
  ASSERT_TRUE(AcquirePopupLock(printerKey, setup.companion, first));
  EXPECT_FALSE(AcquirePopupLock(printerKey, L"C:\\elsewhere\\V_G20DP1.EXE", second));  // the file name counts
  EXPECT_FALSE(second.valid());
  EXPECT_TRUE(AcquirePopupLock(printerKey + L"X", setup.companion, second));
  EXPECT_TRUE(AcquirePopupLock(printerKey, L"C:\\drv\\OTHER.EXE", second));
  EXPECT_EQ(order.CheckPopupState(printerKey), 1);
  first.reset();
  EXPECT_EQ(order.CheckPopupState(printerKey), 0);
  EXPECT_FALSE(AcquirePopupLock(L"", setup.companion, second));
}

TEST_F(InkOrder, DialogInformationFromTheOptionBlockAndTheKey) {
  SetString(HKEY_LOCAL_MACHINE, orderKey, L"BorderLine", L"30,15,8,2");
  SetString(HKEY_LOCAL_MACHINE, orderKey, L"Custom_BtnWhereToBuy", L"Shop");
  SetString(HKEY_LOCAL_MACHINE, orderKey, L"Custom_Msg10", L"%s%s%s%s%s%s%n%x%p|%4100s|");  // hostile
  SetString(HKEY_LOCAL_MACHINE, orderKey, L"012", L"Key M");
  SetString(HKEY_LOCAL_MACHINE, orderKey, L"113", L"Key Y XL");
  SetString(HKEY_LOCAL_MACHINE, orderKey, L"015", L"fifth");  // beyond the four inks

  const char16_t mode[] = u"AUTO10", left[] = u"0A64NA0", notify[] = u"0101", codes[] = u"0304";
  CInkOrderInfo info;
  const OptionBlock block{mode, left, notify, codes};
  ASSERT_TRUE(info.SetOptions(&block));
  for (size_t i = 0; i < info.inks.size(); ++i) info.inks[i].cartridge = u"Res " + std::u16string(1, u'0' + i);
  COrderKey key;
  ASSERT_TRUE(key.Open(orderKey));
  ApplyOrderKey(info, key);

  EXPECT_EQ(info.orderType, kOrder10);
  ASSERT_EQ(info.inks.size(), 3u);  // "0A", "64", "NA"; the single "0" is no ink
  EXPECT_EQ(info.inks[2].quantity, 255u);
  EXPECT_EQ(info.inks[1].cartridge, u"Key M");
  EXPECT_EQ(info.inks[2].secondCartridge, u"Key Y XL");
  EXPECT_EQ(info.inks[2].inkCode, 0u);  // the ink-code text covers two inks
  EXPECT_EQ(info.thresholds.b[1], 15u);
  EXPECT_EQ(info.whereToBuy, u"Shop");
  EXPECT_TRUE(info.remindLater.empty());
  EXPECT_TRUE(info.HasInkState());

  // The custom template comes from the registry: its conversions take only
  // what the layout hands them (list, where-to-buy, remind-me-later) and print
  // nothing beyond.
  const MessageParts parts = MessagePartsOf(info, 3, u"resource %s", u"Where to buy", u"Later");
  EXPECT_EQ(parts.cartridgeList, u"Res 0");  // 10 % is below 15; 100 % and "NA" are not
  const std::u16string message = MainMessage(parts);
  EXPECT_EQ(message, u"Res 0ShopLater%n||") << moni::NarrowUtf8(message);

  // "MENU" ignores the ink-left text; a null block, a mode in other case or
  // without its terminator within the bound is refused.
  const char16_t menu[] = u"MENU";
  const OptionBlock menuBlock{menu, left, nullptr, nullptr};
  ASSERT_TRUE(info.SetOptions(&menuBlock));
  EXPECT_TRUE(info.inks.empty());
  EXPECT_EQ(info.notifyCode, u"empty");
  EXPECT_FALSE(info.HasInkState());
  const char16_t lower[] = u"menu";
  const OptionBlock lowerBlock{lower, left, notify, codes};
  EXPECT_FALSE(info.SetOptions(&lowerBlock));
  EXPECT_FALSE(info.SetOptions(nullptr));
  const OptionBlock nullMode{nullptr, left, notify, codes};
  EXPECT_FALSE(info.SetOptions(&nullMode));
}

TEST_F(InkOrder, SetupOfAKitPrinterAndTheKitsOrderKey) {
  const std::wstring printer = L"Ink Order Kit " + UniqueTestName();
  ASSERT_TRUE(kit::AddPrinter(printer, kit::kDriver, L"USB001"));
  const InkOrderSetup kitSetup = SetupForPrinter(printer, kit::kDriver, L"USB001", kit::kModelID);
  kit::DeletePrinter(printer);
  EXPECT_EQ(kitSetup.companion, kit::InstalledDriverFolder(kit::kDriver) + L"V_G20DP1.EXE");
  EXPECT_EQ(kitSetup.inkTankType, L"SMP4");
  EXPECT_EQ(kitSetup.orderKey, kit::InkOrderKeyOf(kit::kDriver));
  EXPECT_TRUE(CInkOrder(kitSetup).IsAvailable());

  const CInkOrder kitOrder(kitSetup);
  EXPECT_EQ(kitOrder.ReadThresholds(), Thresholds{});
  EXPECT_EQ(kitOrder.ReadBorderLine(), std::u16string(u"20,10,5,0"));
  EXPECT_EQ(kitOrder.ReadEnablePopup(), 1u);
  COrderKey key;
  ASSERT_TRUE(key.Open(kitSetup.orderKey));
  EXPECT_EQ(key.String(L"INK_OrderURL").rfind(L"https://", 0), 0u);
  EXPECT_EQ(key.String(L"014"), L"SMP-K1");

  // A driver that is not installed: nothing known, nothing available.
  const InkOrderSetup unknown = SetupForPrinter(L"", L"TALMER VGL3 Not Installed", L"USB001", kit::kModelID);
  EXPECT_TRUE(unknown.companion.empty());
  EXPECT_FALSE(CInkOrder(unknown).IsAvailable());
}

}  // namespace
