#include "kit.h"

#include <shlobj.h>

#include <algorithm>
#include <cwchar>
#include <cwctype>
#include <optional>

#include "platform/handles.h"
#include "platform/text.h"

namespace moni::kit {
namespace {

constexpr wchar_t kDriverInfoSection[] = L"User Mode Printer Driver Information";
constexpr wchar_t kMainSetupFile[] = L"TLSMP100.DAT";

void Say(const Report& report, const std::wstring& line) {
  if (report) report(line);
}

std::wstring WithSlash(std::wstring folder) {
  if (!folder.empty() && folder.back() != L'\\') folder.push_back(L'\\');
  return folder;
}

std::wstring WithoutSlash(std::wstring folder) {
  while (!folder.empty() && folder.back() == L'\\') folder.pop_back();
  return folder;
}

std::wstring FolderOf(const std::wstring& path) {
  const size_t slash = path.find_last_of(L'\\');
  return slash == std::wstring::npos ? std::wstring() : path.substr(0, slash + 1);
}

bool FileExists(const std::wstring& path) {
  const DWORD attributes = GetFileAttributesW(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool SameText(const std::wstring& a, const std::wstring& b) {
  return CompareStringOrdinal(a.c_str(), static_cast<int>(a.size()), b.c_str(), static_cast<int>(b.size()), TRUE) == CSTR_EQUAL;
}

std::wstring ErrorText(DWORD error) { return L"error " + std::to_wstring(error); }

std::optional<std::string> ReadWhole(const std::wstring& path) {
  KernelHandle file(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) return std::nullopt;
  std::string bytes;
  char buffer[65536];
  DWORD got = 0;
  while (ReadFile(file.get(), buffer, sizeof buffer, &got, nullptr)) {
    if (got == 0) return bytes;
    bytes.append(buffer, got);
  }
  return std::nullopt;
}

bool WriteWhole(const std::wstring& path, const std::string& bytes) {
  KernelHandle file(CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) return false;
  DWORD written = 0;
  return bytes.size() <= MAXDWORD && WriteFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) &&
         written == bytes.size();
}

std::wstring IniString(const std::wstring& file, const wchar_t* section, const wchar_t* key) {
  wchar_t value[MAX_PATH] = {};
  GetPrivateProfileStringW(section, key, L"", value, MAX_PATH, file.c_str());
  return value;
}

// ---- the "Install" section of a setup data file, as the driver's installer applies it

std::wstring Trim(const std::wstring& text) {
  const size_t first = text.find_first_not_of(L" \t\r\n");
  if (first == std::wstring::npos) return {};
  return text.substr(first, text.find_last_not_of(L" \t\r\n") - first + 1);
}

std::wstring Upper(std::wstring text) {
  for (auto& c : text) c = static_cast<wchar_t>(std::towupper(c));
  return text;
}

// Splits at commas; a field that begins with a quote runs to its closing
// quote ("" inside stands for one quote) before the next comma counts.
std::vector<std::wstring> SplitFields(const std::wstring& value) {
  std::vector<std::wstring> fields;
  size_t i = 0;
  for (;;) {
    while (i < value.size() && (value[i] == L' ' || value[i] == L'\t')) ++i;
    size_t start = i;
    if (i < value.size() && value[i] == L'"') {
      for (++i; i < value.size(); ++i) {
        if (value[i] != L'"') continue;
        if (i + 1 < value.size() && value[i + 1] == L'"') {
          ++i;
          continue;
        }
        ++i;
        break;
      }
    }
    const size_t comma = value.find(L',', i);
    fields.push_back(Trim(value.substr(start, comma == std::wstring::npos ? std::wstring::npos : comma - start)));
    if (comma == std::wstring::npos) return fields;
    i = comma + 1;
  }
}

// The text between the enclosing quotes, "" read as one quote; nullopt
// when the field is not quoted.
std::optional<std::wstring> Unquote(const std::wstring& field) {
  if (field.size() < 2 || field.front() != L'"' || field.back() != L'"') return std::nullopt;
  std::wstring text;
  for (size_t i = 1; i + 1 < field.size(); ++i) {
    text.push_back(field[i]);
    if (field[i] == L'"' && field[i + 1] == L'"' && i + 2 < field.size()) ++i;
  }
  return text;
}

// This kit installs on 64-bit Windows NT (Windows 7 and later) only.
bool ConditionHolds(const std::wstring& condition) {
  const std::wstring c = Upper(condition);
  return c.empty() || c == L"ALL" || c == L"WINNT" || c == L"WIN2000" || c == L"WIN2KLATER" || c == L"BUILD64";
}

struct RegistryValue {
  std::wstring path;  // below HKEY_LOCAL_MACHINE
  std::wstring name;
  DWORD type = REG_SZ;
  std::wstring text;
  DWORD number = 0;
};

std::optional<DWORD> ParseNumber(const std::wstring& text) {
  if (text.empty()) return std::nullopt;
  const bool hex = text.size() > 2 && text[0] == L'0' && (text[1] == L'x' || text[1] == L'X');
  const size_t digits = hex ? 2 : 0;
  if (text.find_first_not_of(hex ? L"0123456789abcdefABCDEF" : L"0123456789", digits) != std::wstring::npos) return std::nullopt;
  return static_cast<DWORD>(std::wcstoul(text.c_str() + digits, nullptr, hex ? 16 : 10));
}

// The registry entries that the "Install" section of `text` asks for, in
// file order, with DRIVERDIR and SYSTEMDIR replaced. False on a line that
// cannot be understood.
bool ReadInstallSection(const std::wstring& text, const std::wstring& driverDir, const std::wstring& systemDir,
                        std::vector<RegistryValue>& values, std::wstring& problem) {
  constexpr wchar_t kRoot[] = L"HKEY_LOCAL_MACHINE\\";
  std::vector<std::pair<std::wstring, std::wstring>> paths;
  struct Entry {
    std::wstring id;
    std::vector<std::wstring> fields;
  };
  std::vector<Entry> entries;
  bool inInstall = false;
  size_t start = 0;
  while (start < text.size()) {
    size_t end = text.find(L'\n', start);
    if (end == std::wstring::npos) end = text.size();
    std::wstring line = text.substr(start, end - start);
    start = end + 1;
    if (const size_t comment = line.find(L"//"); comment != std::wstring::npos) line.erase(comment);
    line = Trim(line);
    if (line.empty() || line[0] == L';') continue;
    if (line.front() == L'[' && line.back() == L']') {
      inInstall = SameText(line.substr(1, line.size() - 2), L"Install");
      continue;
    }
    if (!inInstall) continue;
    const size_t equals = line.find(L'=');
    if (equals == std::wstring::npos) continue;
    const std::wstring key = Upper(Trim(line.substr(0, equals)));
    std::vector<std::wstring> fields = SplitFields(Trim(line.substr(equals + 1)));
    if (key == L"REGPATH") {
      const auto path = fields.size() >= 2 ? Unquote(fields[1]) : std::nullopt;
      if (fields[0].empty() || !path || Upper(*path).rfind(Upper(kRoot), 0) != 0) {
        problem = L"bad REGPATH line: " + line;
        return false;
      }
      paths.emplace_back(fields[0], path->substr(std::size(kRoot) - 1));
    } else if (key == L"REGENTER") {
      if (fields.size() < 3) {
        problem = L"bad REGENTER line: " + line;
        return false;
      }
      entries.push_back({fields[0], std::move(fields)});
    }
  }
  for (const Entry& entry : entries) {
    const auto& f = entry.fields;
    if (f.size() > 3 && std::none_of(f.begin() + 3, f.end(), ConditionHolds)) continue;
    const auto path = std::find_if(paths.begin(), paths.end(), [&](const auto& p) { return p.first == entry.id; });
    const auto name = Unquote(f[1]);
    if (path == paths.end() || !name || name->empty()) {
      problem = L"REGENTER without a path or a name: " + entry.id + L"," + f[1];
      return false;
    }
    RegistryValue value;
    value.path = path->second;
    value.name = *name;
    const std::wstring upper = Upper(f[2]);
    const bool driverDirToken = upper.find(L"DRIVERDIR") != std::wstring::npos;
    if (driverDirToken || upper.find(L"SYSTEMDIR") != std::wstring::npos) {
      const size_t plus = f[2].find(L'+');
      const auto tail = plus == std::wstring::npos ? std::nullopt : Unquote(Trim(f[2].substr(plus + 1)));
      if (!tail) {
        problem = L"folder value without a quoted tail: " + f[2];
        return false;
      }
      value.text = (driverDirToken ? driverDir : systemDir) + *tail;
    } else if (const auto quoted = Unquote(f[2])) {
      value.text = *quoted;
    } else if (const auto number = ParseNumber(f[2])) {
      value.type = REG_DWORD;
      value.number = *number;
    } else {
      problem = L"value neither text nor number: " + f[2];
      return false;
    }
    values.push_back(std::move(value));
  }
  return true;
}

bool WriteRegistryValue(const RegistryValue& value) {
  RegKey key;
  if (RegCreateKeyExW(HKEY_LOCAL_MACHINE, value.path.c_str(), 0, nullptr, 0, KEY_SET_VALUE, nullptr, key.put(), nullptr) !=
      ERROR_SUCCESS)
    return false;
  if (value.type == REG_DWORD)
    return RegSetValueExW(key.get(), value.name.c_str(), 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value.number),
                          sizeof value.number) == ERROR_SUCCESS;
  return RegSetValueExW(key.get(), value.name.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(value.text.c_str()),
                        static_cast<DWORD>((value.text.size() + 1) * sizeof(wchar_t))) == ERROR_SUCCESS;
}

bool ApplySetupData(const std::wstring& setupFile, const std::wstring& driverFolder, const Report& report) {
  const auto bytes = ReadWhole(setupFile);
  std::wstring text;
  if (!bytes || !AnsiToWide(*bytes, text)) {
    Say(report, L"cannot read " + setupFile);
    return false;
  }
  wchar_t systemDir[MAX_PATH] = {};
  GetSystemDirectoryW(systemDir, MAX_PATH);
  std::vector<RegistryValue> values;
  std::wstring problem;
  if (!ReadInstallSection(text, WithoutSlash(driverFolder), WithoutSlash(systemDir), values, problem)) {
    Say(report, setupFile + L": " + problem);
    return false;
  }
  for (const RegistryValue& value : values) {
    if (!WriteRegistryValue(value)) {
      Say(report, L"cannot write HKLM\\" + value.path + L" " + value.name);
      return false;
    }
  }
  Say(report, L"registry: " + std::to_wstring(values.size()) + L" values from " + setupFile);
  return true;
}

// ---- files

struct KitFile {
  const wchar_t* source;  // in the program's folder
  const wchar_t* target;  // in the driver's folder
  bool optional;          // built by a part of the kit that may be missing
};

constexpr KitFile kMonitorFiles[] = {
    {L"V_HAUDF1.DLL", L"V_HAUDF1.DLL", false}, {L"V_SMPRES.DLL", L"V_SMPRES.DLL", false},
    {L"V_SMPRDE.DLL", L"V_SMPRDE.DLL", false}, {L"V_SMPBMP.DLL", L"V_SMPBMP.DLL", false}, {L"monicore.dll", L"monicore.dll", false},
    {L"monitray.exe", L"monitray.exe", false}, {L"monitray.exe", L"V_G20IC1.EXE", false},
    {L"V_SMPUTL.DLL", L"V_SMPUTL.DLL", false}, {L"BQAPINX.DLL", L"BQAPINX.DLL", true},
    {L"V_G20RN1.EXE", L"V_G20RN1.EXE", false}, {L"V_G20RN1.EXE", L"V_G20DP1.EXE", false},
    {L"V_G20RN1.EXE", L"V_SMPDU1.EXE", false}, {L"V_G00RP1.EXE", L"V_G00RP1.EXE", false},
};

bool CopyKitFiles(const std::vector<KitFile>& files, const std::wstring& from, const std::wstring& to, const Report& report) {
  bool ok = true;
  for (const KitFile& file : files) {
    const std::wstring source = from + file.source;
    if (!FileExists(source)) {
      Say(report, std::wstring(file.optional ? L"warning: " : L"missing: ") + source);
      ok = ok && file.optional;
      continue;
    }
    ok = CopyIfChanged(source, to + file.target, report) && ok;
  }
  return ok;
}

// Removes what an earlier copy set aside while it was in use, as far as it
// is no longer used.
void DeleteSetAside(const std::wstring& path) {
  const std::wstring folder = FolderOf(path);
  WIN32_FIND_DATAW found;
  const FindHandle find(FindFirstFileW((path + L".old*").c_str(), &found));
  if (!find) return;
  do {
    DeleteFileW((folder + found.cFileName).c_str());
  } while (FindNextFileW(find.get(), &found));
}

std::wstring MultiString(const std::vector<std::wstring>& items) {
  std::wstring list;
  for (const auto& item : items) list += item + L'\0';
  return list + L'\0';
}

}  // namespace

std::wstring ProgramFolder() {
  std::wstring path(MAX_PATH, L'\0');
  for (;;) {
    const DWORD n = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
    if (n == 0) return {};
    if (n < path.size()) {
      path.resize(n);
      return FolderOf(path);
    }
    path.resize(path.size() * 2);
  }
}

bool CopyIfChanged(const std::wstring& from, const std::wstring& to, const Report& report) {
  DeleteSetAside(to);
  const auto source = ReadWhole(from);
  if (!source) {
    Say(report, L"cannot read " + from);
    return false;
  }
  if (const auto present = ReadWhole(to); present && *present == *source) {
    Say(report, L"unchanged " + to);
    return true;
  }
  if (!CopyFileW(from.c_str(), to.c_str(), FALSE)) {
    // In use: a loaded library or a running program can be renamed but not
    // overwritten. The old copy goes when it is no longer used.
    const std::wstring aside = to + L".old" + std::to_wstring(GetTickCount64());
    if (!MoveFileExW(to.c_str(), aside.c_str(), MOVEFILE_REPLACE_EXISTING) || !CopyFileW(from.c_str(), to.c_str(), FALSE)) {
      Say(report, L"cannot copy " + from + L" to " + to + L": " + ErrorText(GetLastError()));
      return false;
    }
    const bool gone = DeleteFileW(aside.c_str()) || MoveFileExW(aside.c_str(), nullptr, MOVEFILE_DELAY_UNTIL_REBOOT);
    Say(report, L"copied " + to + L" (the old one was in use" + (gone ? L")" : L", left as " + aside + L")"));
    return true;
  }
  Say(report, L"copied " + to);
  return true;
}

std::wstring DriverDirectory() {
  DWORD needed = 0;
  GetPrinterDriverDirectoryW(nullptr, nullptr, 1, nullptr, 0, &needed);
  std::wstring folder(needed / sizeof(wchar_t) + 1, L'\0');
  if (needed == 0 ||
      !GetPrinterDriverDirectoryW(nullptr, nullptr, 1, reinterpret_cast<BYTE*>(folder.data()),
                                  static_cast<DWORD>(folder.size() * sizeof(wchar_t)), &needed))
    return {};
  folder.resize(wcslen(folder.c_str()));
  return WithSlash(folder);
}

std::wstring InstalledDriverFolder(const std::wstring& driverName) {
  DWORD needed = 0, count = 0;
  EnumPrinterDriversW(nullptr, nullptr, 2, nullptr, 0, &needed, &count);
  if (needed == 0) return {};
  std::vector<BYTE> buffer(needed);
  if (!EnumPrinterDriversW(nullptr, nullptr, 2, buffer.data(), needed, &needed, &count)) return {};
  const auto* drivers = reinterpret_cast<const DRIVER_INFO_2W*>(buffer.data());
  for (DWORD i = 0; i < count; ++i) {
    if (drivers[i].pName && drivers[i].pDriverPath && SameText(drivers[i].pName, driverName))
      return FolderOf(drivers[i].pDriverPath);
  }
  return {};
}

const std::vector<std::wstring>& MonitorFiles() {
  static const std::vector<std::wstring> names = [] {
    std::vector<std::wstring> list;
    for (const KitFile& file : kMonitorFiles) list.push_back(file.target);
    return list;
  }();
  return names;
}

bool InstallDriver(const std::wstring& driverName, const std::wstring& dataFile, const Report& report) {
  const std::wstring from = ProgramFolder();
  const std::wstring directory = DriverDirectory();
  if (from.empty() || directory.empty()) {
    Say(report, L"no program folder or printer-driver directory");
    return false;
  }
  const std::wstring setupFile = IniString(from + dataFile, kDriverInfoSection, L"SADatI");
  if (setupFile.empty()) {
    Say(report, L"no SADatI in " + from + dataFile);
    return false;
  }
  std::vector<KitFile> files = {{kDriverFile, kDriverFile, false}, {dataFile.c_str(), dataFile.c_str(), false},
                                {setupFile.c_str(), setupFile.c_str(), false}};
  if (!SameText(setupFile, kMainSetupFile)) files.push_back({kMainSetupFile, kMainSetupFile, false});
  files.insert(files.end(), std::begin(kMonitorFiles), std::end(kMonitorFiles));
  if (!CopyKitFiles(files, from, directory, report)) return false;

  std::vector<std::wstring> dependent;
  for (size_t i = 2; i < files.size(); ++i) {
    if (FileExists(directory + files[i].target)) dependent.push_back(directory + files[i].target);
  }
  std::wstring driverPath = directory + kDriverFile, dataPath = directory + dataFile;
  std::wstring dependentList = MultiString(dependent);
  std::wstring name = driverName, dataType = L"RAW";
  DRIVER_INFO_3W info = {};
  info.cVersion = 3;
  info.pName = name.data();
  info.pDriverPath = driverPath.data();
  info.pDataFile = dataPath.data();
  info.pConfigFile = driverPath.data();
  info.pDependentFiles = dependentList.data();
  info.pDefaultDataType = dataType.data();
  if (AddPrinterDriverW(nullptr, 3, reinterpret_cast<BYTE*>(&info))) {
    Say(report, L"added driver \"" + driverName + L"\"");
  } else if (const DWORD error = GetLastError(); error == ERROR_PRINTER_DRIVER_ALREADY_INSTALLED) {
    Say(report, L"driver \"" + driverName + L"\" already installed");
  } else {
    Say(report, L"cannot add driver \"" + driverName + L"\": " + ErrorText(error));
    return false;
  }

  // The spooler keeps the driver's files in a folder of its own; bring the
  // files there up to date, also when the driver was already installed.
  const std::wstring folder = InstalledDriverFolder(driverName);
  if (folder.empty()) {
    Say(report, L"driver \"" + driverName + L"\" not listed by the spooler");
    return false;
  }
  if (!SameText(folder, directory) && !CopyKitFiles(files, from, folder, report)) return false;
  return ApplySetupData(folder + setupFile, folder, report);
}

std::wstring InkOrderKeyOf(const std::wstring& driverName) { return L"Software\\TALMER\\" + driverName + L" IO_URL"; }

const std::vector<InkOrderValue>& SampleInkOrderValues() {
  static const std::vector<InkOrderValue> values = {
      {L"INK_OrderURL", L"https://shop.example.com/smp100/ink", 0},
      {L"BorderLine", L"20,10,5,0", 0},
      {L"EnablePopup", nullptr, 1},
      {L"011", L"SMP-C1", 0},
      {L"012", L"SMP-M1", 0},
      {L"013", L"SMP-Y1", 0},
      {L"014", L"SMP-K1", 0},
      {L"111", L"SMP-C1XL", 0},
      {L"112", L"SMP-M1XL", 0},
      {L"113", L"SMP-Y1XL", 0},
      {L"114", L"SMP-K1XL", 0},
  };
  return values;
}

bool WriteInkOrderKey(const std::wstring& keyPath, const std::vector<InkOrderValue>& values) {
  RegKey key;
  if (RegCreateKeyExW(HKEY_LOCAL_MACHINE, keyPath.c_str(), 0, nullptr, 0, KEY_SET_VALUE, nullptr, key.put(), nullptr) !=
      ERROR_SUCCESS)
    return false;
  for (const InkOrderValue& value : values) {
    const LONG rc = value.text ? RegSetValueExW(key.get(), value.name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.text),
                                                static_cast<DWORD>((std::wcslen(value.text) + 1) * sizeof(wchar_t)))
                               : RegSetValueExW(key.get(), value.name, 0, REG_DWORD,
                                                reinterpret_cast<const BYTE*>(&value.number), sizeof value.number);
    if (rc != ERROR_SUCCESS) return false;
  }
  return true;
}

bool RegisterUrlOpener(const std::wstring& program) {
  const std::wstring command = L"\"" + program + L"\" \"%1\"";
  for (const wchar_t* scheme : {L"http", L"https"}) {
    const std::wstring key = std::wstring(L"Software\\Classes\\") + scheme + L"\\shell\\open\\command";
    if (RegSetKeyValueW(HKEY_LOCAL_MACHINE, key.c_str(), nullptr, REG_SZ, command.c_str(),
                        static_cast<DWORD>((command.size() + 1) * sizeof(wchar_t))) != ERROR_SUCCESS)
      return false;
  }
  return true;
}

bool AddPrinter(const std::wstring& name, const std::wstring& driverName, const std::wstring& port) {
  if (!DeletePrinter(name)) return false;
  std::wstring printerName = name, portName = port, driver = driverName, processor = L"winprint", dataType = L"RAW";
  PRINTER_INFO_2W info = {};
  info.pPrinterName = printerName.data();
  info.pPortName = portName.data();
  info.pDriverName = driver.data();
  info.pPrintProcessor = processor.data();
  info.pDatatype = dataType.data();
  info.Attributes = PRINTER_ATTRIBUTE_LOCAL;
  PrinterHandle printer(::AddPrinterW(nullptr, 2, reinterpret_cast<BYTE*>(&info)));
  return printer.valid();
}

bool DeletePrinter(const std::wstring& name) {
  PRINTER_DEFAULTSW access = {nullptr, nullptr, PRINTER_ALL_ACCESS};
  PrinterHandle printer;
  if (!OpenPrinterW(const_cast<wchar_t*>(name.c_str()), printer.put(), &access))
    return GetLastError() == ERROR_INVALID_PRINTER_NAME;
  return ::DeletePrinter(printer.get()) != FALSE;
}

std::wstring MakeScenarioFolder(const std::wstring& path) {
  CreateDirectoryW(path.c_str(), nullptr);
  SetEnvironmentVariableW(L"BQSIM_DIR", path.c_str());
  return path;
}

void RemoveScenarioFolder(const std::wstring& folder) {
  SetEnvironmentVariableW(L"BQSIM_DIR", nullptr);
  WIN32_FIND_DATAW found;
  FindHandle find(FindFirstFileW((folder + L"\\*").c_str(), &found));
  for (bool more = find.valid(); more; more = FindNextFileW(find.get(), &found))
    if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) DeleteFileW((folder + L"\\" + found.cFileName).c_str());
  find.reset();
  RemoveDirectoryW(folder.c_str());
}

std::wstring ScenarioFolder() {
  std::wstring folder(32767, L'\0');
  const DWORD n = GetEnvironmentVariableW(L"BQSIM_DIR", folder.data(), static_cast<DWORD>(folder.size()));
  if (n > 0 && n < folder.size()) {
    folder.resize(n);
  } else {
    wchar_t common[MAX_PATH] = {};
    if (FAILED(SHGetFolderPathW(nullptr, CSIDL_COMMON_APPDATA, nullptr, SHGFP_TYPE_CURRENT, common))) return {};
    folder = WithSlash(common) + L"BQSim";
  }
  folder = WithoutSlash(folder);
  const int made = SHCreateDirectoryExW(nullptr, folder.c_str(), nullptr);
  if (made != ERROR_SUCCESS && made != ERROR_ALREADY_EXISTS && made != ERROR_FILE_EXISTS) return {};
  return folder;
}

std::wstring ScenarioFileName(int openType, const std::wstring& name) {
  if (openType != kOpenByPort && openType != kOpenByPrinter) return {};
  std::string ansi;
  if (!WideToAnsi(name, ansi)) return {};
  std::wstring file = openType == kOpenByPrinter ? L"printer-" : L"port-";
  constexpr wchar_t kHex[] = L"0123456789ABCDEF";
  for (const char c : ansi) {
    const auto byte = static_cast<unsigned char>(c);
    if ((byte >= 'A' && byte <= 'Z') || (byte >= 'a' && byte <= 'z') || (byte >= '0' && byte <= '9') || byte == '-' ||
        byte == '_' || byte == '.' || byte == ' ') {
      file.push_back(static_cast<wchar_t>(byte));
    } else {
      file += {L'%', kHex[byte >> 4], kHex[byte & 0xF]};
    }
  }
  return file + L".ini";
}

std::string AgentAddress() {
  char value[256] = {};
  const DWORD n = GetEnvironmentVariableA("MONI_SNMP_AGENT", value, sizeof value);
  return n > 0 && n < sizeof value ? std::string(value, n) : std::string(kDefaultAgent);
}

std::string WithAgent(const std::string& iniText, const std::string& address) {
  std::string out;
  size_t at = 0;
  while (at < iniText.size()) {
    size_t end = iniText.find('\n', at);
    end = end == std::string::npos ? iniText.size() : end + 1;
    std::string line = iniText.substr(at, end - at);
    if (line.rfind("Agent=", 0) == 0) {
      const size_t keep = line.find_first_of("\r\n");
      line = "Agent=" + address + (keep == std::string::npos ? "" : line.substr(keep));
    }
    out += line;
    at = end;
  }
  return out;
}

bool WriteScenario(int openType, const std::wstring& name, const std::string& iniText) {
  const std::wstring folder = ScenarioFolder();
  const std::wstring file = ScenarioFileName(openType, name);
  if (folder.empty() || file.empty()) return false;
  const std::wstring path = folder + L"\\" + file;
  const std::wstring temporary = path + L"." + std::to_wstring(GetCurrentProcessId()) + L".tmp";
  if (!WriteWhole(temporary, iniText)) {
    DeleteFileW(temporary.c_str());
    return false;
  }
  // The simulator may be reading the old file this moment.
  for (int attempt = 0; attempt < 50; ++attempt) {
    if (MoveFileExW(temporary.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING)) return true;
    Sleep(10);
  }
  DeleteFileW(temporary.c_str());
  return false;
}

}  // namespace moni::kit
