#include "platform/spooler.h"

#include <winspool.h>

#include <climits>
#include <cstdint>
#include <cwchar>
#include <vector>

#include "foundation/debug_log.h"
#include "platform/handles.h"

namespace moni::spooler {

namespace {

// Replies larger than this are refused rather than allocated.
constexpr DWORD kMaxReply = 16 * 1024 * 1024;

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
bool ReadPrinterBlock(const std::wstring& printer, CDebugLog& log, std::vector<BYTE>& buffer, Query query) {
  PrinterHandle handle;
  if (!OpenForUse(printer, handle)) {
    log.Write("Error : OpenPrinter %s (%lu)\n", printer, GetLastError());
    return false;
  }
  return QueryGrowing(buffer, [&](BYTE* data, DWORD size, DWORD* needed) { return query(handle.get(), data, size, needed); });
}

// The job list that stands in for the spooler's job queries, or empty.
std::wstring JobListFile() {
  wchar_t path[MAX_PATH + 1] = {};
  const DWORD n = GetEnvironmentVariableW(kJobListVariable, path, MAX_PATH + 1);
  return n == 0 || n > MAX_PATH ? std::wstring() : std::wstring(path, n);
}

// Whether the job list has a section for the printer.
bool ListedPrinter(const std::wstring& file, const std::wstring& printer) {
  std::vector<wchar_t> names(64 * 1024);
  const DWORD n = GetPrivateProfileSectionNamesW(names.data(), static_cast<DWORD>(names.size()), file.c_str());
  for (const wchar_t* name = names.data(); name < names.data() + n && *name; name += wcslen(name) + 1) {
    if (printer == name) return true;
  }
  return false;
}

// The listed job's data type; false when the job is not listed.
bool ListedJob(const std::wstring& file, const std::wstring& printer, DWORD jobId, std::wstring& dataType) {
  constexpr wchar_t kMissing[] = L"\x01";
  wchar_t value[256] = {};
  GetPrivateProfileStringW(printer.c_str(), std::to_wstring(jobId).c_str(), kMissing, value, 256, file.c_str());
  if (wcscmp(value, kMissing) == 0) return false;
  dataType = value;
  return true;
}

}  // namespace

bool GetDriverFilesForPrinter(const std::wstring& printer, DriverFiles& out) {
  CDebugLog log("spooler::GetDriverFilesForPrinter");
  out = DriverFiles();
  std::vector<BYTE> buffer;
  const bool ok = ReadPrinterBlock(printer, log, buffer, [](HANDLE h, BYTE* data, DWORD size, DWORD* needed) {
    return GetPrinterDriverW(h, nullptr, 3, data, size, needed);
  });
  if (!ok || buffer.size() < sizeof(DRIVER_INFO_3W)) {
    log.Write("Error : GetPrinterDriver level 3 (%lu)\n", GetLastError());
    return false;
  }
  out = FromInfo(*reinterpret_cast<const DRIVER_INFO_3W*>(buffer.data()), buffer);
  log.Write("Driver : %s, data file : %s\n", out.driverName, out.dataFile);
  return true;
}

bool GetDriverFilesForDriver(const std::wstring& driverName, DriverFiles& out) {
  CDebugLog log("spooler::GetDriverFilesForDriver");
  out = DriverFiles();
  if (driverName.empty() || driverName.size() > INT_MAX) return false;
  DWORD count = 0;
  std::vector<BYTE> buffer;
  const bool ok = QueryGrowing(buffer, [&](BYTE* data, DWORD size, DWORD* needed) {
    count = 0;
    return EnumPrinterDriversW(nullptr, nullptr, 3, data, size, needed, &count);
  });
  if (!ok) {
    log.Write("Error : EnumPrinterDrivers level 3 (%lu)\n", GetLastError());
    return false;
  }
  if (count > buffer.size() / sizeof(DRIVER_INFO_3W)) {
    log.Write("Error : EnumPrinterDrivers count %lu does not fit its reply\n", count);
    return false;
  }
  const auto* infos = reinterpret_cast<const DRIVER_INFO_3W*>(buffer.data());
  for (DWORD i = 0; i < count; ++i) {
    const std::wstring name = Field(infos[i].pName, buffer);
    if (name.empty() || name.size() > INT_MAX) continue;
    if (CompareStringOrdinal(name.c_str(), static_cast<int>(name.size()), driverName.c_str(),
                             static_cast<int>(driverName.size()), TRUE) == CSTR_EQUAL) {
      out = FromInfo(infos[i], buffer);
      log.Write("Driver : %s, data file : %s\n", out.driverName, out.dataFile);
      return true;
    }
  }
  log.Write("Error : no installed driver %s\n", driverName);
  return false;
}

bool GetPrinterDriverAndPort(const std::wstring& printer, std::wstring& driver, std::wstring& port) {
  CDebugLog log("spooler::GetPrinterDriverAndPort");
  driver.clear();
  port.clear();
  std::vector<BYTE> buffer;
  const bool ok = ReadPrinterBlock(printer, log, buffer, [](HANDLE h, BYTE* data, DWORD size, DWORD* needed) {
    return GetPrinterW(h, 2, data, size, needed);
  });
  if (!ok || buffer.size() < sizeof(PRINTER_INFO_2W)) {
    log.Write("Error : GetPrinter level 2 (%lu)\n", GetLastError());
    return false;
  }
  const auto& info = *reinterpret_cast<const PRINTER_INFO_2W*>(buffer.data());
  driver = Field(info.pDriverName, buffer);
  port = Field(info.pPortName, buffer);
  return true;
}

std::optional<std::vector<bool>> JobsPresent(const std::wstring& printer, const std::vector<DWORD>& jobIds) {
  CDebugLog log("spooler::JobsPresent");
  std::vector<bool> present;
  if (const std::wstring list = JobListFile(); !list.empty()) {
    if (!ListedPrinter(list, printer)) return std::nullopt;
    std::wstring dataType;
    for (DWORD id : jobIds) present.push_back(ListedJob(list, printer, id, dataType));
    return present;
  }
  PrinterHandle handle;
  if (!OpenForUse(printer, handle)) {
    log.Write("Error : OpenPrinter %s (%lu)\n", printer, GetLastError());
    return std::nullopt;
  }
  for (DWORD id : jobIds) {
    DWORD needed = 0;
    const bool got = GetJobW(handle.get(), id, 1, nullptr, 0, &needed);
    const DWORD error = got ? 0 : GetLastError();
    present.push_back(got || (needed != 0 && error != ERROR_INVALID_PARAMETER));
  }
  return present;
}

bool GetJobDataType(const std::wstring& printer, DWORD jobId, std::wstring& dataType) {
  CDebugLog log("spooler::GetJobDataType");
  dataType.clear();
  if (const std::wstring list = JobListFile(); !list.empty())
    return ListedPrinter(list, printer) && ListedJob(list, printer, jobId, dataType);
  std::vector<BYTE> buffer;
  const bool ok = ReadPrinterBlock(printer, log, buffer, [jobId](HANDLE h, BYTE* data, DWORD size, DWORD* needed) {
    return GetJobW(h, jobId, 2, data, size, needed);
  });
  if (!ok || buffer.size() < sizeof(JOB_INFO_2W)) {
    log.Write("Error : GetJob level 2 (%lu)\n", GetLastError());
    return false;
  }
  dataType = Field(reinterpret_cast<const JOB_INFO_2W*>(buffer.data())->pDatatype, buffer);
  return true;
}

}  // namespace moni::spooler
