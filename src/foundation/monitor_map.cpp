#include "foundation/monitor_map.h"

#include <span>

#include "foundation/dat_reader.h"
#include "foundation/debug_log.h"
#include "foundation/monitor_map_core.h"
#include "platform/spooler.h"
#include "platform/text.h"

namespace moni::monitormap {

namespace {

std::span<std::uint8_t> Bytes(const MappedView& view) {
  return {static_cast<std::uint8_t*>(view.get()), kSectionSize};
}

std::wstring KeyFor(const std::wstring& printerName, const std::wstring& portName) {
  return printerName.empty() ? portName : printerName;
}

bool IsLiveWindow(std::uint64_t handle) {
  return IsWindow(reinterpret_cast<HWND>(static_cast<UINT_PTR>(handle))) != FALSE;
}

std::uint64_t HandleBits(HWND window) { return static_cast<std::uint64_t>(reinterpret_cast<UINT_PTR>(window)); }

}  // namespace

KernelHandle CreateOrOpenSection(const std::wstring& name) {
  KernelHandle section(
      CreateFileMappingW(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, static_cast<DWORD>(kSectionSize), name.c_str()));
  if (!section) return {};
  if (GetLastError() != ERROR_ALREADY_EXISTS) {
    MappedView view = MapTable(section.get());
    if (!view) return {};
    InitialiseNew(Bytes(view));
  }
  return section;
}

MappedView MapTable(HANDLE section, DWORD access) {
  return MappedView(MapViewOfFile(section, access, 0, 0, kSectionSize));
}

}  // namespace moni::monitormap

using namespace moni::monitormap;

int GetMapFileName(const std::wstring& printerOrPort, std::wstring& name) {
  name.clear();
  std::wstring driver, port;
  if (!printerOrPort.empty() && moni::spooler::GetPrinterDriverAndPort(printerOrPort, driver, port)) {
    name = CDatReader::GetPrivateRegString(CDatReader::Source::Printer, printerOrPort,
                                           moni::DriverKey(driver), L"MapFileName");
  }
  if (name.empty() || name.size() >= kMapNameCapacity) name = moni::AsWide(kDefaultMapFileName);
  return static_cast<int>(name.size());
}

int CheckMapPrinter(HANDLE section, const std::wstring& key, int role, HWND own, HWND* other) {
  if (other) *other = nullptr;
  moni::MappedView view = MapTable(section);
  if (!view) return kUnusable;
  const CheckOutcome out = CheckAndRegister(Bytes(view), moni::ToU16(key), role, HandleBits(own), IsLiveWindow);
  if (out.result == CheckResult::HeldByOther && other) {
    *other = reinterpret_cast<HWND>(static_cast<UINT_PTR>(out.otherWindow));
  }
  return static_cast<int>(out.result);
}

int MultiExecuteCheck(const std::wstring& printerName, const std::wstring& portName, int role, HWND own, HWND* other,
                      moni::KernelHandle& section) {
  CDebugLog log("MultiExecuteCheck");
  if (other) *other = nullptr;
  section.reset();
  const std::wstring key = KeyFor(printerName, portName);
  std::wstring name;
  if (GetMapFileName(key, name) == 0) return kUnusable;
  moni::KernelHandle opened = CreateOrOpenSection(name);
  if (!opened) return kUnusable;
  const int result = CheckMapPrinter(opened.get(), key, role, own, other);
  log.Write("Result : %d\n", result);
  if (result != kUnusable) section = std::move(opened);
  return result;
}

int SethWindow(const std::wstring& printerName, const std::wstring& portName, HWND window) {
  const std::wstring key = KeyFor(printerName, portName);
  std::wstring name;
  GetMapFileName(key, name);
  moni::KernelHandle section(OpenFileMappingW(FILE_MAP_ALL_ACCESS, FALSE, name.c_str()));
  if (!section) return -1;
  moni::MappedView view = MapTable(section.get());
  if (!view) return -1;
  return SetTrayWindow(Bytes(view), moni::ToU16(key), HandleBits(window)) ? 0 : 1;
}

void ReleaseMapPrinter(HANDLE section, const std::wstring& printerName, const std::wstring& portName, int role) {
  if (!section) return;
  moni::MappedView view = MapTable(section);
  if (!view) return;
  Release(Bytes(view), moni::ToU16(KeyFor(printerName, portName)), role);
}
