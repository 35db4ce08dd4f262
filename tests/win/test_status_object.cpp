// The printer status object and its maker: status objects from replies and
// from status numbers, the spooler steps, the troubleshooting aid, the status
// message with its ink list and the ink status page address. Each test uses
// printers, profiles and scenario folders of its own.
#include <gtest/gtest.h>
#include <windows.h>
#include <winspool.h>

#include <cstring>
#include <string>
#include <vector>

#include "comm/bqapi.h"
#include "foundation/base_info.h"
#include "kit.h"
#include "status/printer_status.h"
#include "status/status_info.h"
#include "test_support.h"

namespace {

using moni::status::CreateDetails;
using moni::status::ModelFiles;
using moni::status::SpoolerSteps;
using moni::status::StatusBuff;
using moni::status::StatusClassInfo;
using moni::status::TsInfo;

constexpr std::uint32_t kLocalChannel = 0x10000005;

std::vector<BYTE> Bytes(const std::string& hex) {
  std::vector<BYTE> out;
  for (size_t i = 0; i + 1 < hex.size(); i += 2) out.push_back(static_cast<BYTE>(std::stoul(hex.substr(i, 2), nullptr, 16)));
  return out;
}

// "@BDC ST2\r\n", field area of 22 bytes: state 4; warnings 0x10, 0x11; four
// inks of 3-byte entries (codes 0x03, 0x04, 0x05, 0x01 at 50 percent).
const std::string kLowInkReply = "40424443205354320D0A1600" "010104" "04021011" "0F0D03" "030132" "040232" "050332" "010032";

std::wstring Bin() { return moni::kit::ProgramFolder(); }
ModelFiles SampleFiles(const std::wstring& profile = L"") { return {Bin() + L"V_SMPRES.DLL", profile, L"SMP-100"}; }
ModelFiles TestTexts() { return {Bin() + L"status_texts.dll", L"", L"SMP-100"}; }

// A status object of the row for (kind 1, status) holding `record`.
std::unique_ptr<CPrinterStatus> ObjectFor(int status, const StatusBuff* record) {
  StatusClassInfo info;
  info.pStatusBuff = record;
  info.row = moni::status::StatusInfoAt(moni::status::SearchStatusInfo(1, status));
  info.kindRow = moni::status::StatusKindOf(info.row.kindKey);
  return std::make_unique<CPrinterStatus>(info);
}

TEST(StatusObject, JobButtonOnlyWhileThePrinterHasAJob) {
  CBaseInfo::Instance().PrinterName = L"Job button " + moni::test::UniqueTestName();
  bool hasJob = true;
  std::wstring askedFor;
  SpoolerSteps steps = SpoolerSteps::None();
  steps.hasJob = [&](const std::wstring& printer) {
    askedFor = printer;
    return hasJob;
  };
  const CStatusInfo maker(nullptr, steps);
  CreateDetails details;
  auto status = maker.CreateStatusObject(kLocalChannel, nullptr, 0, 59, 0, FALSE, &details);
  ASSERT_TRUE(status);
  EXPECT_EQ(status->GetSimpleStatusNo(), 12);
  EXPECT_EQ(status->GetRealStatusNo(), 59);
  EXPECT_EQ(status->Row().button1, 1600);
  EXPECT_EQ(status->Row().button2, 1614);
  EXPECT_EQ(askedFor, CBaseInfo::Instance().PrinterName);
  EXPECT_EQ(details.statusNo, 59);
  EXPECT_FALSE(details.recordDecoded);

  hasJob = false;
  status = maker.CreateStatusObject(kLocalChannel, nullptr, 0, 59, 0x8000, TRUE);
  ASSERT_TRUE(status);
  EXPECT_EQ(status->Row().button1, 1600);
  EXPECT_EQ(status->Row().button2, 0);

  // The real spooler: the printer does not exist, so it has no job.
  const CStatusInfo system(L"");
  status = system.CreateStatusObject(kLocalChannel, nullptr, 0, 59, 0, FALSE);
  ASSERT_TRUE(status);
  EXPECT_EQ(status->Row().button2, 0);

  // Other rows: a network printer keeps its first button only when asked to,
  // and never the service button.
  status = maker.CreateStatusObject(kLocalChannel, nullptr, 0, 5, 0x8000, TRUE);
  EXPECT_EQ(status->Row().button1, 1606);
  EXPECT_EQ(status->Row().button2, 0);
  status = maker.CreateStatusObject(0x10000003, nullptr, 0, 6, 0, TRUE);
  EXPECT_EQ(status->Row().button1, 1601);
  status = maker.CreateStatusObject(kLocalChannel, nullptr, 0, 5, 0, FALSE);
  EXPECT_EQ(status->Row().button1, 1606);
  EXPECT_EQ(status->Row().button2, 1608);
}

TEST(StatusObject, FromRepliesAndFromNumbers) {
  const CStatusInfo maker(nullptr, SpoolerSteps::None());
  // A number alone: no record, the row's text all the same.
  auto status = maker.CreateStatusObject(kLocalChannel, nullptr, 0, 14, 0, FALSE);
  ASSERT_TRUE(status);
  EXPECT_FALSE(status->HaveStatus());
  StatusBuff record;
  std::memset(&record, 0x5A, sizeof record);
  EXPECT_EQ(status->GetStatusBuff(&record), 0);
  EXPECT_EQ(record.byState, 0x5A);  // nothing copied
  EXPECT_EQ(status->GetStatusJobID(), 0u);
  EXPECT_EQ(status->GetTsInfo(nullptr), 0u);  // no profile: no aid
  std::wstring text;
  const int length = status->GetStatusMessage(text, SampleFiles());
  EXPECT_EQ(length, static_cast<int>(text.size()));
  EXPECT_EQ(text, L"A general error occurred. Turn the printer off and on again.");
  EXPECT_EQ(status->GetStatusMessage(text, {L"C:\\no such folder\\V_SMPRES.DLL", L"", L""}), 0);
  EXPECT_TRUE(text.empty());

  // A binary reply: the record with its warning and ink state bits.
  const auto reply = Bytes(kLowInkReply);
  CreateDetails details;
  status = maker.CreateStatusObject(kLocalChannel, reply.data(), reply.size(), 0, 0, FALSE, &details);
  ASSERT_TRUE(status);
  EXPECT_TRUE(status->HaveStatus());
  ASSERT_EQ(status->GetStatusBuff(&record), 1);
  EXPECT_EQ(record.byState, 4);
  EXPECT_EQ(record.dwWarningBits, 0x11u);
  EXPECT_EQ(status->GetRealStatusNo(), 20);
  EXPECT_EQ(status->GetSimpleStatusNo(), 9);
  EXPECT_EQ(status->GetNotifyNo(), 9);
  EXPECT_EQ(status->KindRow().key, 5);
  EXPECT_EQ(details.statusNo, 20);
  EXPECT_TRUE(details.recordDecoded);
  // The status number argument overrides the decoded one; the record stays.
  status = maker.CreateStatusObject(kLocalChannel, reply.data(), reply.size(), 17, 0, FALSE);
  EXPECT_EQ(status->GetRealStatusNo(), 17);
  EXPECT_TRUE(status->HaveStatus());

  // A reply that cannot be decoded makes no object.
  const auto broken = Bytes("40424443205354320D0A0300020100");  // no state field
  EXPECT_FALSE(maker.CreateStatusObject(kLocalChannel, broken.data(), broken.size(), 0, 0, FALSE));
  EXPECT_FALSE(maker.CreateStatusObject(0x02000001, broken.data(), broken.size(), 0, 0, FALSE));

  // A channel outside the table: the default row of kind 0.
  status = maker.CreateStatusObject(0, nullptr, 0, 21, 0, FALSE);
  ASSERT_TRUE(status);
  EXPECT_EQ(status->GetSimpleStatusNo(), 11);
  EXPECT_EQ(status->GetRealStatusNo(), -1);
  // "hbm" replies: status 22 from identifier 0xFE.
  const auto hbm = Bytes("68626D" "0102AAAA" "FE0116");
  status = maker.CreateStatusObject(0x02000001, hbm.data(), hbm.size(), 0, 0, FALSE);
  ASSERT_TRUE(status);
  EXPECT_EQ(status->GetRealStatusNo(), 22);
  EXPECT_FALSE(status->HaveStatus());
}

TEST(StatusMessage, ListsTheNamesOfTheInksConcerned) {
  const CStatusInfo maker(nullptr, SpoolerSteps::None());
  const auto reply = Bytes(kLowInkReply);
  auto status = maker.CreateStatusObject(kLocalChannel, reply.data(), reply.size(), 0, 0, FALSE);
  ASSERT_TRUE(status);
  ASSERT_EQ(status->Row().text2, 3051);
  std::wstring text;
  EXPECT_GT(status->GetStatusMessage(text, SampleFiles()), 0);
  EXPECT_EQ(text, L"Ink is low. Have these cartridges ready:\r\nCyan\r\nMagenta\r\n");

  // Ink state bits 0x8888 list all four; 0x0020 only slot 1; a slot whose ink
  // code has no name is left out.
  StatusBuff record{};
  const std::uint16_t codes[4] = {0x03, 0x04, 0x05, 0x01};
  for (int i = 0; i < 4; ++i) record.awInkCode[i] = codes[i];
  record.dwInkStateBits = 0x8888;
  EXPECT_GT(ObjectFor(2, &record)->GetStatusMessage(text, SampleFiles()), 0);
  EXPECT_EQ(text, L"Ink is out. Replace the cartridges:\r\nCyan\r\nMagenta\r\nYellow\r\nBlack\r\n");
  record.dwInkStateBits = 0x0020;
  ObjectFor(2, &record)->GetStatusMessage(text, SampleFiles());
  EXPECT_EQ(text, L"Ink is out. Replace the cartridges:\r\nMagenta\r\n");
  record.dwInkStateBits = 0x0111;
  record.awInkCode[1] = 0x07;
  ObjectFor(2, &record)->GetStatusMessage(text, SampleFiles());
  EXPECT_EQ(text, L"Ink is out. Replace the cartridges:\r\nCyan\r\nYellow\r\n");
}

TEST(StatusMessage, TemplateConversionsWithoutArgumentsPrintNothing) {
  StatusBuff record{};
  record.awInkCode[0] = 0x03;
  record.awInkCode[1] = 0x04;
  record.dwWarningBits = 0x11;
  std::wstring text;
  // The ink list fills the first "%s"; the other conversions have no
  // argument; "%n" is copied. The ink name's own "%s%n" is no format.
  ObjectFor(20, &record)->GetStatusMessage(text, TestTexts());
  EXPECT_EQ(text, L"Low: Cyan %s%n\r\nMagenta\r\n|%n| end");
  // Texts that are not templates are given as they are.
  ObjectFor(14, &record)->GetStatusMessage(text, TestTexts());
  EXPECT_EQ(text, L"Not a template: %s%n%d stays as it is.");
  // The address template: two more "%s" than there are inks, "%n", a second "%d".
  record.byInkCount = 1;
  record.abyInkRemain[0] = 7;
  EXPECT_EQ(ObjectFor(14, &record)->GetInkStatusURL(record, TestTexts()), L"ink/4/7/NA/NA/NA///%n/");
}

TEST(InkStatusUrl, TwoInksWithTheModelAndNation) {
  const moni::test::TempFile profile(L"urlprofile_", L".dat");
  ASSERT_TRUE(moni::test::WriteTextFile(profile.path(), "[SMP-100]\r\nIOURLMDL=SMP100\r\n[Other]\r\nIOURLMDL=%s%d%n\r\n"));
  StatusBuff record{};
  record.byInkCount = 2;
  record.abyInkRemain[0] = 40;
  record.abyInkRemain[1] = 0xFE;
  record.abyInkRemain[2] = 77;  // past the ink count
  auto status = ObjectFor(14, &record);
  const std::wstring nation = std::to_wstring(CPrinterStatus::GetNationNumber());
  EXPECT_EQ(status->GetInkStatusURL(record, SampleFiles(profile.path())),
            L"?model=SMP100&nation=" + nation + L"&count=4&i1=40&i2=NA&i3=NA&i4=NA");
  // A model text with conversions is text, in the header only.
  EXPECT_EQ(status->GetInkStatusURL(record, {Bin() + L"V_SMPRES.DLL", profile.path(), L"Other"}),
            L"?model=%s%d%n&nation=" + nation + L"&count=4&i1=40&i2=NA&i3=NA&i4=NA");
  // No resource library, or one without the address: empty.
  EXPECT_EQ(status->GetInkStatusURL(record, {L"", profile.path(), L"SMP-100"}), L"");
  EXPECT_EQ(status->GetInkStatusURL(record, {Bin() + L"V_SMPBMP.DLL", profile.path(), L"SMP-100"}), L"");
}

// The troubleshooting aid against the printer simulator, the utility
// stand-in (SMPUTL_SUPPORT) and the sample resource library.
class TroubleAid : public ::testing::Test {
 protected:
  void SetUp() override {
    folder = moni::kit::MakeScenarioFolder(moni::test::TempFolder() + L"bqsim_" + moni::test::UniqueTestName());
    SetEnvironmentVariableW(L"SMPUTL_SUPPORT", nullptr);
    printer = L"Trouble aid " + moni::test::UniqueTestName();
    CBaseInfo& info = CBaseInfo::Instance();
    info.PrinterName = printer;
    info.DriverName = moni::kit::kDriver;
    info.PortName = L"LPT1:";
    info.ModelID = moni::kit::kModelID;
    info.ResourceName = Bin() + L"V_SMPRES.DLL";
    info.UtilityName = Bin() + L"V_SMPUTL.DLL";
    // The profile's language section names a resource library beside it.
    ASSERT_TRUE(moni::test::WriteTextFile(resDll.path(), "x"));
    const std::wstring resName = resDll.path().substr(resDll.path().find_last_of(L'\\') + 1);
    std::string ansiName(resName.begin(), resName.end());
    profileText = "[Language]\r\nENU=9,1,English\r\n[ENU]\r\nResDll=" + ansiName + "\r\n";
    ASSERT_TRUE(moni::test::WriteTextFile(profile.path(), profileText));
  }
  void TearDown() override {
    if (added) moni::kit::DeletePrinter(printer);
    SetEnvironmentVariableW(L"SMPUTL_SUPPORT", nullptr);
    moni::kit::RemoveScenarioFolder(folder);
  }
  void AddPrinter(const char* channels) {
    ASSERT_TRUE(moni::kit::AddPrinter(printer, moni::kit::kDriver, L"LPT1:"));
    added = true;
    ASSERT_TRUE(moni::kit::WriteScenario(bqapi::kOpenByPrinter, printer,
                                         std::string("[Printer]\nDeviceID=MFG:TALMER;MDL:SMP-100;\nChannels=") + channels +
                                             "\nReply1=-\n"));
  }
  TsInfo Aid(int status) const {
    StatusClassInfo info;
    info.row = moni::status::StatusInfoAt(moni::status::SearchStatusInfo(1, status));
    info.ts.dwType = 99;  // reset first
    CStatusInfo(profile.path().c_str(), SpoolerSteps::None()).SetTroubleDialogInfo(info);
    return info.ts;
  }

  std::wstring folder, printer;
  std::string profileText;
  moni::test::TempFile profile{L"tssprofile_", L".dat"};
  moni::test::TempFile resDll{L"tssres_", L".dll"};
  bool added = false;
};

TEST_F(TroubleAid, LocalPrinterUtilityWindowProgramOrResource) {
  AddPrinter("0x10000005:0x0007");
  // Status 20: utility parameter 1, troubleshooting 1.
  TsInfo ts = Aid(20);
  EXPECT_EQ(ts.dwType, 4u);  // the type is not supported by the program: the window
  EXPECT_EQ(ts.wParam, 1);
  EXPECT_EQ(Aid(2).wParam, 0);  // status 2: parameter 0

  SetEnvironmentVariableW(L"SMPUTL_SUPPORT", L"0x10000");  // 16 bits of it: 0
  EXPECT_EQ(Aid(20).dwType, 4u);
  SetEnvironmentVariableW(L"SMPUTL_SUPPORT", L"1");
  ts = Aid(20);
  EXPECT_EQ(ts.dwType, 3u);
  EXPECT_EQ(ts.wParam, 0);

  // Through CreateStatusObject, with the profile.
  auto status = CStatusInfo(profile.path().c_str(), SpoolerSteps::None())
                    .CreateStatusObject(kLocalChannel, nullptr, 0, 20, 0, FALSE);
  ASSERT_TRUE(status);
  EXPECT_EQ(status->GetTsInfo(&ts), 3u);

  // No utility library: the troubleshooting resource 11011.
  CBaseInfo::Instance().UtilityName = Bin() + L"V_NOSUCH.DLL";
  ts = Aid(20);
  EXPECT_EQ(ts.dwType, 2u);
  EXPECT_EQ(ts.wResourceId, 11011);
  EXPECT_EQ(std::string(ts.resource.begin(), ts.resource.end()), std::string("TSS1\x01\x00", 6));
  // A row without utility and no resource for its number: none.
  EXPECT_EQ(Aid(6).dwType, 0u);

  // The profile switches the aid of troubleshooting number 1 off.
  CBaseInfo::Instance().UtilityName = Bin() + L"V_SMPUTL.DLL";
  ASSERT_TRUE(moni::test::WriteTextFile(profile.path(), profileText + "TSS001=0\r\n"));
  EXPECT_EQ(Aid(20).dwType, 0u);
  EXPECT_EQ(Aid(2).dwType, 0u);
}

TEST_F(TroubleAid, NetworkPrinterGetsTheWindow) {
  AddPrinter("0x10000005:0x8007");
  SetEnvironmentVariableW(L"SMPUTL_SUPPORT", L"1");  // not asked for a network printer
  const TsInfo ts = Aid(20);
  EXPECT_EQ(ts.dwType, 4u);
  EXPECT_EQ(ts.wParam, 1);
}

TEST(PrinterOffline, WorkOfflineAttributeOfTheSpooler) {
  const std::wstring printer = L"Offline " + moni::test::UniqueTestName();
  ASSERT_TRUE(moni::kit::AddPrinter(printer, moni::kit::kDriver, L"LPT1:"));
  const CStatusInfo maker(L"");
  EXPECT_EQ(maker.CheckPrinterOffline(printer), 0);
  {
    PRINTER_DEFAULTSW defaults = {nullptr, nullptr, PRINTER_ALL_ACCESS};
    moni::PrinterHandle handle;
    std::wstring name = printer;
    ASSERT_TRUE(OpenPrinterW(name.data(), handle.put(), &defaults));
    DWORD needed = 0;
    GetPrinterW(handle.get(), 2, nullptr, 0, &needed);
    std::vector<BYTE> buffer(needed);
    ASSERT_TRUE(GetPrinterW(handle.get(), 2, buffer.data(), needed, &needed));
    auto* info = reinterpret_cast<PRINTER_INFO_2W*>(buffer.data());
    info->Attributes |= PRINTER_ATTRIBUTE_WORK_OFFLINE;
    ASSERT_TRUE(SetPrinterW(handle.get(), 2, buffer.data(), 0));
  }
  EXPECT_EQ(maker.CheckPrinterOffline(printer), 1);
  EXPECT_EQ(CStatusInfo(L"", SpoolerSteps::None()).CheckPrinterOffline(printer), 0);
  EXPECT_EQ(maker.CheckPrinterOffline(L"No such printer " + moni::test::UniqueTestName()), 0);
  EXPECT_EQ(maker.CheckPrinterOffline(L""), 0);
  moni::kit::DeletePrinter(printer);
}

TEST(EmfSpool, SpoolerFailuresGiveZero) {
  const std::wstring printer = L"Emf " + moni::test::UniqueTestName();
  ASSERT_TRUE(moni::kit::AddPrinter(printer, moni::kit::kDriver, L"LPT1:"));
  EXPECT_EQ(CPrinterStatus::IsEMFSpool(12345, printer.c_str(), nullptr), 0);  // no such job
  EXPECT_EQ(CPrinterStatus::IsEMFSpool(1, L"No such printer here", nullptr), 0);
  EXPECT_EQ(CPrinterStatus::IsEMFSpool(1, nullptr, nullptr), 0);
  EXPECT_EQ(CPrinterStatus::IsEMFSpool(1, L"", L"LPT9:"), 0);
  moni::kit::DeletePrinter(printer);
}

}  // namespace
