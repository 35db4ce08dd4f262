#include "foundation/dat_reader.h"

#include <iterator>
#include <map>
#include <optional>
#include <utility>

#include "foundation/debug_log.h"
#include "foundation/stamped_cache.h"
#include "platform/files.h"
#include "platform/handles.h"
#include "platform/system.h"
#include "platform/text.h"

namespace {

using moni::filecache::Stamp;
using moni::setupdata::Tables;

constexpr wchar_t kDriverInfoSection[] = L"User Mode Printer Driver Information";
constexpr wchar_t kSetupFileValue[] = L"SADatI";
// Files kept at once: a machine has a few drivers of the family.
constexpr size_t kKeptFiles = 8;

std::wstring WithoutTrailingSlash(std::wstring path) {
  while (!path.empty() && (path.back() == L'\\' || path.back() == L'/')) path.pop_back();
  return path;
}

// The file's size and last-write time; nothing for a missing file or a folder.
std::optional<Stamp> StampOf(const std::wstring& path) {
  WIN32_FILE_ATTRIBUTE_DATA data = {};
  if (path.empty() || !GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data) ||
      (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
    return std::nullopt;
  Stamp stamp;
  stamp.size = (static_cast<std::uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
  stamp.lastWrite = (static_cast<std::uint64_t>(data.ftLastWriteTime.dwHighDateTime) << 32) | data.ftLastWriteTime.dwLowDateTime;
  return stamp;
}

const std::shared_ptr<const Tables>& EmptyTables() {
  static const std::shared_ptr<const Tables>& empty = *new std::shared_ptr<const Tables>(std::make_shared<const Tables>());
  return empty;
}

// A parsed setup data file: its tables, and whether they hold entries.
struct Parsed {
  std::shared_ptr<const Tables> tables;
  bool usable = false;
};

// Never destroyed: a lookup from another module's static destructor still finds them.
moni::filecache::StampedCache<Parsed>& ParsedFiles() {
  static auto& cache = *new moni::filecache::StampedCache<Parsed>(kKeptFiles);
  return cache;
}
moni::filecache::StampedCache<std::wstring>& SetupFileNames() {
  static auto& cache = *new moni::filecache::StampedCache<std::wstring>(kKeptFiles);
  return cache;
}

struct ScopeAnswer {
  bool found = false;
  DWORD error = 0;
  moni::spooler::DriverFiles files;
};

}  // namespace

// The spooler's answers of a thread's outermost request scope.
struct CDatReader::RequestScope::Answers {
  std::map<std::pair<int, std::wstring>, ScopeAnswer> bySourceAndName;
};

namespace {
thread_local CDatReader::RequestScope::Answers* t_scopeAnswers = nullptr;
}  // namespace

CDatReader::RequestScope::RequestScope() {
  if (t_scopeAnswers) return;
  m_answers = std::make_unique<Answers>();
  t_scopeAnswers = m_answers.get();
}

CDatReader::RequestScope::~RequestScope() {
  if (m_answers) t_scopeAnswers = nullptr;
}

CDatReader::CDatReader() : m_tables(EmptyTables()) {}

int CDatReader::Fail(Failure failure) {
  m_tables = EmptyTables();
  m_failure = failure;
  return 0;
}

bool CDatReader::DriverFilesOf(Source source, const std::wstring& printerOrDriver, moni::spooler::DriverFiles& out) {
  const auto ask = [&](moni::spooler::DriverFiles& files) {
    return source == Source::Printer ? moni::spooler::GetDriverFilesForPrinter(printerOrDriver, files)
                                     : moni::spooler::GetDriverFilesForDriver(printerOrDriver, files);
  };
  if (!t_scopeAnswers) return ask(out);
  auto& answers = t_scopeAnswers->bySourceAndName;
  const auto key = std::make_pair(static_cast<int>(source), printerOrDriver);
  auto found = answers.find(key);
  if (found == answers.end()) {
    ScopeAnswer answer;
    answer.found = ask(answer.files);
    answer.error = answer.found ? 0 : GetLastError();
    found = answers.emplace(key, std::move(answer)).first;
  }
  out = found->second.files;
  if (!found->second.found) SetLastError(found->second.error);
  return found->second.found;
}

int CDatReader::OpenByPrinter(const std::wstring& printerName) {
  CDebugLog log("CDatReader::OpenByPrinter");
  log.Write("PrinterName : %s\n", printerName);
  moni::spooler::DriverFiles files;
  if (!DriverFilesOf(Source::Printer, printerName, files)) {
    log.Write("Error : no driver information (%lu)\n", GetLastError());
    return Fail(Failure::NoDriverInfo);
  }
  return OpenFromDriver(files);
}

int CDatReader::OpenByDriver(const std::wstring& driverName) {
  CDebugLog log("CDatReader::OpenByDriver");
  log.Write("DriverName : %s\n", driverName);
  moni::spooler::DriverFiles files;
  if (!DriverFilesOf(Source::Driver, driverName, files)) {
    log.Write("Error : no driver information (%lu)\n", GetLastError());
    return Fail(Failure::NoDriverInfo);
  }
  return OpenFromDriver(files);
}

int CDatReader::OpenFromDriver(const moni::spooler::DriverFiles& files) {
  const std::wstring path = SetupFileOf(files);
  if (path.empty()) return Fail(Failure::NoSetupFileName);
  return OpenFile(path, files.driverDirectory, SystemDirectory());
}

int CDatReader::OpenFile(const std::wstring& path, const std::wstring& driverDir, const std::wstring& systemDir) {
  CDebugLog log("CDatReader::OpenFile");
  log.Write("File : %s\n", path);
  // The stamp is taken before the bytes are read: a file written in between
  // is kept with the older stamp and read again at the next request.
  const std::optional<Stamp> stamp = StampOf(path);
  if (!stamp) {
    log.Write("Error : cannot read the file (%lu)\n", GetLastError());
    return Fail(Failure::Unreadable);
  }
  if (stamp->size > CDatReader::kMaxFileSize) {
    log.Write("Error : %llu bytes, more than are read\n", static_cast<unsigned long long>(stamp->size));
    return Fail(Failure::Unreadable);
  }
  // Everything the parse depends on is in the key: the folders the tokens
  // stand for and the system the conditions are evaluated for.
  const moni::setupdata::Context context{moni::ToU16(driverDir), moni::ToU16(systemDir), CurrentPlatform()};
  const std::u16string platform = moni::ToU16(std::to_wstring(context.platform.nt) + L"." + std::to_wstring(context.platform.major) +
                                              L"." + std::to_wstring(context.platform.minor));
  const std::u16string key = moni::filecache::JoinKey({moni::ToU16(path), context.driverDir, context.systemDir, platform});
  std::optional<Parsed> parsed = ParsedFiles().Find(key, *stamp);
  if (parsed) {
    log.Write("Parsed before\n");
  } else {
    std::string bytes;
    if (!moni::files::ReadWholeFile(path, bytes, CDatReader::kMaxFileSize)) {
      log.Write("Error : cannot read the file (%lu)\n", GetLastError());
      return Fail(Failure::Unreadable);
    }
    auto tables = std::make_shared<Tables>();
    parsed = Parsed{tables, moni::setupdata::Parse(moni::setupdata::WidenBytes(bytes), context, *tables)};
    ParsedFiles().Put(key, *stamp, *parsed);
    if (!parsed->usable) log.Write("Error : no registry entries in %lu bytes\n", static_cast<unsigned long>(bytes.size()));
  }
  if (!parsed->usable) return Fail(Failure::NoEntries);
  m_tables = std::move(parsed->tables);
  m_failure = Failure::None;
  log.Write("Paths : %lu, values : %lu\n", static_cast<unsigned long>(m_tables->PathCount()),
            static_cast<unsigned long>(m_tables->ValueCount()));
  return 1;
}

int CDatReader::Open(Source source, const std::wstring& printerOrDriver) {
  return source == Source::Printer ? OpenByPrinter(printerOrDriver) : OpenByDriver(printerOrDriver);
}

std::wstring CDatReader::SetupFileOf(const moni::spooler::DriverFiles& files) {
  CDebugLog log("CDatReader::SetupFileOf");
  if (files.dataFile.empty() || files.driverDirectory.empty()) {
    log.Write("Error : no data file or driver directory\n");
    return {};
  }
  // The name is kept with the data file's stamp, like the parsed tables.
  const std::optional<Stamp> stamp = StampOf(files.dataFile);
  const std::u16string key = moni::filecache::JoinKey({moni::ToU16(files.dataFile), moni::ToU16(files.driverDirectory)});
  if (stamp) {
    if (std::optional<std::wstring> kept = SetupFileNames().Find(key, *stamp)) return *kept;
  }
  std::wstring path = ReadSetupFileName(files);
  if (stamp) SetupFileNames().Put(key, *stamp, path);
  return path;
}

std::wstring CDatReader::ReadSetupFileName(const moni::spooler::DriverFiles& files) {
  CDebugLog log("CDatReader::ReadSetupFileName");
  // Only the NT form is read: the product is 64-bit and runs on NT systems
  // alone (Windows 95 drivers named the file in another section).
  // The buffer is larger than the longest name taken, so that a longer name is
  // seen and refused instead of cut into the name of another file.
  wchar_t name[MAX_PATH + 2] = {};
  const DWORD length = GetPrivateProfileStringW(kDriverInfoSection, kSetupFileValue, L"", name,
                                                static_cast<DWORD>(std::size(name)), files.dataFile.c_str());
  if (length == 0) {
    log.Write("Error : no SADatI in %s\n", files.dataFile);
    return {};
  }
  if (length > kMaxSetupFileName) {
    log.Write("Error : SADatI longer than %lu characters in %s\n", static_cast<unsigned long>(kMaxSetupFileName),
              files.dataFile);
    return {};
  }
  return WithoutTrailingSlash(files.driverDirectory) + L"\\" + std::wstring(name, length);
}

moni::setupdata::Platform CDatReader::CurrentPlatform() {
  const moni::SystemVersion version = moni::RunningSystemVersion();
  return {version.nt, version.major, version.minor};
}

std::wstring CDatReader::SystemDirectory() { return moni::SystemFolder(); }

std::wstring CDatReader::GetPrivateRegString(Source source, const std::wstring& printerOrDriver, const std::wstring& regPath,
                                             const std::wstring& name) {
  CDebugLog log("CDatReader::GetPrivateRegString");
  if (printerOrDriver.empty() || regPath.empty() || name.empty()) {
    log.Write("Error : empty argument\n");
    return {};
  }
  CDatReader reader;
  if (!reader.Open(source, printerOrDriver)) return {};
  std::u16string value;
  if (!moni::setupdata::LookupString(reader.tables(), moni::ToU16(regPath), moni::ToU16(name), value)) {
    log.Write("Not found : %s\\%s\n", regPath, name);
    return {};
  }
  log.Write("%s\\%s = %s\n", regPath, name, value);
  return moni::ToWide(value);
}

std::wstring CDatReader::GetDriverString(const std::wstring& printer, const std::wstring& driver, const std::wstring& name,
                                         const std::wstring& subKey) {
  if (driver.empty()) return {};
  const bool byPrinter = !printer.empty();
  return GetPrivateRegString(byPrinter ? Source::Printer : Source::Driver, byPrinter ? printer : driver,
                             moni::DriverKey(driver) + subKey, name);
}

DWORD CDatReader::GetPrivateRegDword(Source source, const std::wstring& printerOrDriver, const std::wstring& regPath,
                                     const std::wstring& name) {
  CDebugLog log("CDatReader::GetPrivateRegDword");
  constexpr DWORD kNotFound = static_cast<DWORD>(-1);
  if (printerOrDriver.empty() || regPath.empty() || name.empty()) {
    log.Write("Error : empty argument\n");
    return kNotFound;
  }
  CDatReader reader;
  if (!reader.Open(source, printerOrDriver)) return kNotFound;
  std::uint32_t value = 0;
  if (!moni::setupdata::LookupDword(reader.tables(), moni::ToU16(regPath), moni::ToU16(name), value)) {
    log.Write("Not found : %s\\%s\n", regPath, name);
    return kNotFound;
  }
  log.Write("%s\\%s = %lu\n", regPath, name, static_cast<unsigned long>(value));
  return value;
}
