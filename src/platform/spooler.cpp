#include "platform/spooler.h"

#include <winspool.h>

#include <atomic>
#include <climits>
#include <cstdint>
#include <cwchar>
#include <vector>

#include "platform/handles.h"

namespace moni::spooler {

namespace {

// Replies larger than this are refused rather than allocated.
constexpr DWORD kMaxReply = 16 * 1024 * 1024;
// The first buffer of a query about one printer or driver: large enough for
// the usual reply, so that the spooler, which does the whole work for a size
// query too, is asked once instead of twice.
constexpr size_t kFirstGuess = 4096;

// Calls `query(buffer, size, &needed)` with a buffer grown to what the spooler
// asks for; the size may change between the calls, so it tries a few times.
// The buffer keeps the size the successful call was given.
template <typename Query>
bool QueryGrowing(std::vector<BYTE>& buffer, Query query) {
  for (int attempt = 0; attempt < 4; ++attempt) {
    DWORD needed = 0;
    if (query(buffer.empty() ? nullptr : buffer.data(), static_cast<DWORD>(buffer.size()), &needed)) return true;
    if (GetLastError() != ERROR_INSUFFICIENT_BUFFER || needed <= buffer.size() || needed > kMaxReply) return false;
    buffer.assign(needed, 0);
  }
  return false;
}

// A string of the reply: empty when the pointer is null or outside the buffer,
// and never read past the buffer's end.
std::wstring Field(const wchar_t* text, const std::vector<BYTE>& buffer) {
  const auto begin = reinterpret_cast<std::uintptr_t>(buffer.data());
  const auto end = begin + buffer.size();
  const auto at = reinterpret_cast<std::uintptr_t>(text);
  if (text == nullptr || at < begin || at >= end) return {};
  return std::wstring(text, wcsnlen(text, (end - at) / sizeof(wchar_t)));
}

bool HasFolder(const std::wstring& path) { return path.find_first_of(L"\\/:") != std::wstring::npos; }

std::wstring FolderOf(const std::wstring& path) {
  const size_t slash = path.find_last_of(L"\\/");
  return slash == std::wstring::npos ? std::wstring() : path.substr(0, slash);
}

// The version folder of the printer-driver directory, for a driver whose main
// file came without a folder.
std::wstring DefaultDriverDirectory(DWORD version) {
  std::vector<BYTE> buffer;
  const bool ok = QueryGrowing(buffer, [](BYTE* data, DWORD size, DWORD* needed) {
    return GetPrinterDriverDirectoryW(nullptr, nullptr, 1, data, size, needed);
  });
  if (!ok) return {};
  const std::wstring dir = Field(reinterpret_cast<const wchar_t*>(buffer.data()), buffer);
  if (dir.empty()) return {};
  return dir + L"\\" + std::to_wstring(version);
}

DriverFiles FromInfo(const DRIVER_INFO_3W& info, const std::vector<BYTE>& buffer) {
  DriverFiles files;
  files.driverName = Field(info.pName, buffer);
  files.driverPath = Field(info.pDriverPath, buffer);
  files.dataFile = Field(info.pDataFile, buffer);
  files.configFile = Field(info.pConfigFile, buffer);
  files.helpFile = Field(info.pHelpFile, buffer);
  files.driverDirectory = HasFolder(files.driverPath) ? FolderOf(files.driverPath) : DefaultDriverDirectory(info.cVersion);
  if (!files.dataFile.empty() && !HasFolder(files.dataFile) && !files.driverDirectory.empty())
    files.dataFile = files.driverDirectory + L"\\" + files.dataFile;
  return files;
}

bool OpenForUse(const std::wstring& printer, PrinterHandle& handle) {
  if (printer.empty()) return false;
  std::wstring name = printer;  // OpenPrinterW takes a non-const name
  PRINTER_DEFAULTSW defaults = {nullptr, nullptr, PRINTER_ACCESS_USE};
  return OpenPrinterW(name.data(), handle.put(), &defaults) && handle.valid();
}

// Opens the printer for use and reads one of its information blocks into
// `buffer` through query(handle, data, size, needed).
template <typename Query>
bool ReadPrinterBlock(const std::wstring& printer, std::vector<BYTE>& buffer, Query query) {
  PrinterHandle handle;
  if (!OpenForUse(printer, handle)) return false;
  return QueryGrowing(buffer, [&](BYTE* data, DWORD size, DWORD* needed) { return query(handle.get(), data, size, needed); });
}

std::atomic<JobSource*> g_jobSource{nullptr};

}  // namespace

void SetJobSource(JobSource* source) { g_jobSource.store(source); }

bool GetDriverFilesForPrinter(const std::wstring& printer, DriverFiles& out) {
  out = DriverFiles();
  std::vector<BYTE> buffer(kFirstGuess);
  const bool ok = ReadPrinterBlock(printer, buffer, [](HANDLE h, BYTE* data, DWORD size, DWORD* needed) {
    return GetPrinterDriverW(h, nullptr, 3, data, size, needed);
  });
  if (!ok) return false;
  if (buffer.size() < sizeof(DRIVER_INFO_3W)) {
    SetLastError(ERROR_INVALID_DATA);
    return false;
  }
  out = FromInfo(*reinterpret_cast<const DRIVER_INFO_3W*>(buffer.data()), buffer);
  return true;
}

bool GetDriverFilesForDriver(const std::wstring& driverName, DriverFiles& out) {
  out = DriverFiles();
  if (driverName.empty() || driverName.size() > INT_MAX) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return false;
  }
  DWORD count = 0;
  std::vector<BYTE> buffer;
  const bool ok = QueryGrowing(buffer, [&](BYTE* data, DWORD size, DWORD* needed) {
    count = 0;
    return EnumPrinterDriversW(nullptr, nullptr, 3, data, size, needed, &count);
  });
  if (!ok) return false;
  // A count that does not fit the reply is not believed.
  if (count > buffer.size() / sizeof(DRIVER_INFO_3W)) {
    SetLastError(ERROR_INVALID_DATA);
    return false;
  }
  const auto* infos = reinterpret_cast<const DRIVER_INFO_3W*>(buffer.data());
  for (DWORD i = 0; i < count; ++i) {
    const std::wstring name = Field(infos[i].pName, buffer);
    if (name.empty() || name.size() > INT_MAX) continue;
    if (CompareStringOrdinal(name.c_str(), static_cast<int>(name.size()), driverName.c_str(),
                             static_cast<int>(driverName.size()), TRUE) == CSTR_EQUAL) {
      out = FromInfo(infos[i], buffer);
      return true;
    }
  }
  SetLastError(ERROR_UNKNOWN_PRINTER_DRIVER);
  return false;
}

bool GetPrinterDriverAndPort(const std::wstring& printer, std::wstring& driver, std::wstring& port) {
  PrinterInfo info;
  const bool ok = GetPrinterInfo(printer, info);
  driver = std::move(info.driver);
  port = std::move(info.port);
  return ok;
}

bool GetPrinterInfo(const std::wstring& printer, PrinterInfo& out) {
  out = PrinterInfo();
  std::vector<BYTE> buffer(kFirstGuess);
  const bool ok = ReadPrinterBlock(printer, buffer, [](HANDLE h, BYTE* data, DWORD size, DWORD* needed) {
    return GetPrinterW(h, 2, data, size, needed);
  });
  if (!ok) return false;
  if (buffer.size() < sizeof(PRINTER_INFO_2W)) {
    SetLastError(ERROR_INVALID_DATA);
    return false;
  }
  const auto& info = *reinterpret_cast<const PRINTER_INFO_2W*>(buffer.data());
  out.name = Field(info.pPrinterName, buffer);
  out.driver = Field(info.pDriverName, buffer);
  out.port = Field(info.pPortName, buffer);
  return true;
}

std::optional<std::vector<PrinterInfo>> EnumLocalPrinters() {
  DWORD count = 0;
  std::vector<BYTE> buffer(1);
  const bool ok = QueryGrowing(buffer, [&](BYTE* data, DWORD size, DWORD* needed) {
    count = 0;
    return EnumPrintersW(PRINTER_ENUM_LOCAL | PRINTER_ENUM_CONNECTIONS, nullptr, 2, data, size, needed, &count);
  });
  if (!ok) return std::nullopt;
  // A count that does not fit the reply is not believed.
  if (count > buffer.size() / sizeof(PRINTER_INFO_2W)) {
    SetLastError(ERROR_INVALID_DATA);
    return std::nullopt;
  }
  std::vector<PrinterInfo> printers;
  const auto* infos = reinterpret_cast<const PRINTER_INFO_2W*>(buffer.data());
  for (DWORD i = 0; i < count; ++i) {
    printers.push_back({Field(infos[i].pPrinterName, buffer), Field(infos[i].pDriverName, buffer),
                        Field(infos[i].pPortName, buffer)});
  }
  return printers;
}

std::optional<std::vector<bool>> JobsPresent(const std::wstring& printer, const std::vector<DWORD>& jobIds) {
  if (JobSource* source = g_jobSource.load()) return source->JobsPresent(printer, jobIds);
  std::vector<bool> present;
  PrinterHandle handle;
  if (!OpenForUse(printer, handle)) return std::nullopt;
  for (DWORD id : jobIds) {
    DWORD needed = 0;
    const bool got = GetJobW(handle.get(), id, 1, nullptr, 0, &needed);
    const DWORD error = got ? 0 : GetLastError();
    present.push_back(got || (needed != 0 && error != ERROR_INVALID_PARAMETER));
  }
  return present;
}

bool GetJobDataType(const std::wstring& printer, DWORD jobId, std::wstring& dataType) {
  dataType.clear();
  if (JobSource* source = g_jobSource.load()) return source->GetJobDataType(printer, jobId, dataType);
  std::vector<BYTE> buffer;
  const bool ok = ReadPrinterBlock(printer, buffer, [jobId](HANDLE h, BYTE* data, DWORD size, DWORD* needed) {
    return GetJobW(h, jobId, 2, data, size, needed);
  });
  if (!ok) return false;
  if (buffer.size() < sizeof(JOB_INFO_2W)) {
    SetLastError(ERROR_INVALID_DATA);
    return false;
  }
  dataType = Field(reinterpret_cast<const JOB_INFO_2W*>(buffer.data())->pDatatype, buffer);
  return true;
}

}  // namespace moni::spooler
