// The exports of ink ordering: the reminder pop-up, the same for every printer of a driver, the package pop-up.
#include "api/export_frame.h"
#include "api/ink_order_popup.h"
#include "api/monicore.h"
#include "foundation/support_library.h"
#include "platform/text.h"

namespace {

std::wstring Text(LPCWSTR s) { return s ? std::wstring(s) : std::wstring(); }
std::u16string Text16(LPCWSTR s) { return moni::ToU16(Text(s)); }

}  // namespace

int WINAPI PrKioskaPopUp(LPCWSTR printerName, LPCWSTR driverName, LPCWSTR portName, LPCWSTR modelId,
                         const KioskaOption* option) {
  CDebugLog log("PrKioskaPopUp");
  log.Write("PrKioskaPopUp : Enter\n");
  const moni::support::CSupportLibrary library(moni::support::AttachBy::Driver, Text(driverName));
  // The caller's block is copied; its texts are read only up to their
  // terminator and a bound.
  moni::inkorder::OptionBlock options{};
  if (option) {
    options = {moni::AsU16(option->mode), moni::AsU16(option->inkLeft), moni::AsU16(option->notifyCode),
               moni::AsU16(option->inkCode)};
  }
  const moni::inkorder::PrinterIdentity who{Text16(printerName), Text16(driverName), Text16(portName), Text16(modelId)};
  moni::inkorder::CallInkOrder2(who, options, moni::inkorder::OneShotStatusReader());
  log.Write("PrKioskaPopUp : Exit\n");
  return 1;
}

int WINAPI PrKiosSameDrvs(LPCWSTR driverName, LPCWSTR modelId, LPCWSTR mode) {
  CDebugLog log("PrKiosSameDrvs");
  log.Write("PrKiosSameDrvs : Enter\n");
  const moni::support::CSupportLibrary library(moni::support::AttachBy::Driver, Text(driverName));
  const int result = moni::inkorder::ExecuteInkOrderWithSameDrivers(Text(driverName), Text(modelId), Text(mode));
  log.Write("PrKiosSameDrvs : Exit (%d)\n", result);
  return 1;
}

int WINAPI PrPackagePopUp(LPCWSTR printerName, LPCWSTR driverName, LPCWSTR portName, LPCWSTR modelId, LPCWSTR inkNumber,
                          LPCWSTR inkStatus) {
  CDebugLog log("PrPackagePopUp");
  const moni::support::CSupportLibrary library(moni::support::AttachBy::Driver, Text(driverName));
  // The online shop's package pop-up is not part of this monitor: the call is
  // taken and logged, and nothing is shown.
  log.Write("PrPackagePopUp : %s, %s, %s, %s, %s, %s\n", Text(printerName), Text(driverName), Text(portName),
            Text(modelId), Text(inkNumber), Text(inkStatus));
  return 1;
}
