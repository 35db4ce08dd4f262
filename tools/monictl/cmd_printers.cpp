// monictl printers: the machine's printers as the monitor sees them: driver,
// port, the model identifier from the driver's setup data, the printer's
// target key and whether monitoring is switched off for it.
#include <windows.h>
#include <winspool.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "commands.h"
#include "foundation/base_info.h"
#include "foundation/target_keys.h"

namespace monictl {

namespace {

struct PrinterRow {
  std::wstring name, driver, port, model, targetKey;  // targetKey empty: none
  bool monitoringOff = false;
};

std::wstring Text(const wchar_t* s) { return s ? std::wstring(s) : std::wstring(); }

// Printer information level 2 of the local printers and connections; false
// when the spooler cannot list them.
bool EnumeratePrinters(std::vector<PrinterRow>& rows) {
  const DWORD flags = PRINTER_ENUM_LOCAL | PRINTER_ENUM_CONNECTIONS;
  std::vector<BYTE> buffer;
  DWORD needed = 0, returned = 0;
  for (int attempt = 0;; ++attempt) {
    const BOOL ok = EnumPrintersW(flags, nullptr, 2, buffer.empty() ? nullptr : buffer.data(), static_cast<DWORD>(buffer.size()),
                                  &needed, &returned);
    if (ok) break;
    // The list may grow between the size query and the call: ask again.
    if (GetLastError() != ERROR_INSUFFICIENT_BUFFER || needed <= buffer.size() || attempt == 4) return false;
    buffer.assign(needed, 0);
  }
  if (returned && buffer.size() < static_cast<size_t>(returned) * sizeof(PRINTER_INFO_2W)) return false;
  const auto* info = reinterpret_cast<const PRINTER_INFO_2W*>(buffer.data());
  for (DWORD i = 0; i < returned; ++i) {
    PrinterRow row;
    row.name = Text(info[i].pPrinterName);
    row.driver = Text(info[i].pDriverName);
    row.port = Text(info[i].pPortName);
    rows.push_back(std::move(row));
  }
  std::sort(rows.begin(), rows.end(), [](const PrinterRow& a, const PrinterRow& b) { return a.name < b.name; });
  return true;
}

std::string Pad(const std::string& text, size_t width) {
  // Pads by characters, not bytes, for names outside ASCII.
  size_t chars = 0;
  for (unsigned char c : text) chars += (c & 0xC0) != 0x80;
  return chars >= width ? text : text + std::string(width - chars, ' ');
}

}  // namespace

int CmdPrinters(const Args& args) {
  const bool json = args.size() == 1 && args[0] == L"--json";
  if (!args.empty() && !json) return UsageError("printers takes only --json");

  std::vector<PrinterRow> rows;
  if (!EnumeratePrinters(rows)) {
    fprintf(stderr, "monictl: the spooler could not list the printers (error %lu)\n", GetLastError());
    return 1;
  }
  for (auto& row : rows) {
    row.model = GetModelIdFromDriver(row.name, row.driver);
    std::wstring key;
    if (GetTargetPrnKey(row.name, false, key) == 0) row.targetKey = key;
    row.monitoringOff = IsDuvSettingOn(row.name) != 0;
  }

  if (json) {
    printf("{\"printers\":[");
    for (size_t i = 0; i < rows.size(); ++i) {
      const auto& r = rows[i];
      printf("%s{\"name\":%s,\"driver\":%s,\"port\":%s,\"model\":%s,\"targetKey\":%s,\"monitoringOff\":%s}", i ? "," : "",
             JsonString(r.name).c_str(), JsonString(r.driver).c_str(), JsonString(r.port).c_str(), JsonString(r.model).c_str(),
             r.targetKey.empty() ? "null" : JsonString(r.targetKey).c_str(), r.monitoringOff ? "true" : "false");
    }
    printf("]}\n");
    return 0;
  }

  size_t wName = 7, wDriver = 6, wPort = 4, wModel = 5;
  for (const auto& r : rows) {
    wName = std::max(wName, Utf8(r.name).size());
    wDriver = std::max(wDriver, Utf8(r.driver).size());
    wPort = std::max(wPort, Utf8(r.port).size());
    wModel = std::max(wModel, Utf8(r.model).size());
  }
  printf("%s  %s  %s  %s  %s  %s\n", Pad("printer", wName).c_str(), Pad("driver", wDriver).c_str(), Pad("port", wPort).c_str(),
         Pad("model", wModel).c_str(), "monitoring", "target key");
  for (const auto& r : rows) {
    printf("%s  %s  %s  %s  %s  %s\n", Pad(Utf8(r.name), wName).c_str(), Pad(Utf8(r.driver), wDriver).c_str(),
           Pad(Utf8(r.port), wPort).c_str(), Pad(r.model.empty() ? "-" : Utf8(r.model), wModel).c_str(),
           r.monitoringOff ? "off       " : "on        ", r.targetKey.empty() ? "-" : Utf8(r.targetKey).c_str());
  }
  printf("%zu printer%s\n", rows.size(), rows.size() == 1 ? "" : "s");
  return 0;
}

}  // namespace monictl
