#include "foundation/base_info.h"

#include <windows.h>
#include <winspool.h>

#include "foundation/dat_reader.h"
#include "foundation/debug_log.h"
#include "foundation/profile_reader.h"
#include "foundation/reg_access_library.h"
#include "foundation/target_keys.h"
#include "platform/handles.h"

namespace {

constexpr wchar_t kProfileKey[] = L"Software\\TALMER\\VGL3\\Profile";
constexpr size_t kMaxPath = 259;  // characters of a path, without its terminator

// A setup data value of the driver; empty unless driver name and model are given.
std::wstring SetupValue(const std::wstring& driverName, const std::wstring& modelId, const std::wstring& printerName,
                        const std::wstring& regPath, const std::wstring& name) {
  if (driverName.empty() || modelId.empty()) return {};
  const bool byPrinter = !printerName.empty();
  return CDatReader::GetPrivateRegString(byPrinter ? CDatReader::Source::Printer : CDatReader::Source::Driver,
                                         byPrinter ? printerName : driverName, regPath, name);
}

int Result(std::wstring& out, std::wstring value) {
  if (value.empty() || value.size() > kMaxPath) {
    out.clear();
    return 0;
  }
  out = std::move(value);
  return 1;
}

// InstallPath joined with a file name of the profile; empty without InstallPath.
int ModelFile(std::wstring& out, const std::wstring& driverName, const std::wstring& modelId, const std::wstring& printerName,
              const std::wstring& fileName) {
  if (fileName.empty()) return Result(out, {});
  std::wstring install;
  if (!GetInstallPath(install, driverName, modelId, printerName)) return Result(out, {});
  return Result(out, install + fileName);
}

}  // namespace

CBaseInfo& CBaseInfo::Instance() {
  static CBaseInfo info;
  return info;
}

int GetProfileName(std::wstring& out, const std::wstring& driverName, const std::wstring& modelId, const std::wstring& printerName) {
  out.clear();
  if (driverName.empty() || modelId.empty()) return 0;
  std::wstring profile = SetupValue(driverName, modelId, printerName, moni::DriverKey(driverName), L"Profile");
  if (!profile.empty() && moni::profile::FileExists(profile)) return Result(out, std::move(profile));
  return Result(out, SetupValue(driverName, modelId, printerName, kProfileKey, modelId));
}

int GetInstallPath(std::wstring& out, const std::wstring& driverName, const std::wstring& modelId, const std::wstring& printerName) {
  std::wstring folder = SetupValue(driverName, modelId, printerName, moni::DriverKey(driverName), L"InstallPath");
  if (!folder.empty() && folder.back() == L'\\') folder.pop_back();
  if (!moni::profile::FolderExists(folder)) return Result(out, {});
  return Result(out, folder + L"\\");
}

std::wstring FindSiblingProgram(const std::wstring& printerName, const std::wstring& driverName, const std::wstring& modelId,
                                const std::wstring& valueName, const std::wstring& defaultFile) {
  auto isFile = [](const std::wstring& path) {
    const DWORD attributes = path.empty() ? INVALID_FILE_ATTRIBUTES : GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
  };
  const std::wstring named = CDatReader::GetDriverString(printerName, driverName, valueName);
  if (isFile(named)) return named;
  std::wstring install;
  if (GetInstallPath(install, driverName, modelId, printerName) && isFile(install + defaultFile)) return install + defaultFile;
  CDebugLog("FindSiblingProgram").Write("Error : no program for %s (%s = %s)\n", driverName, valueName, named);
  return {};
}

int GetPrnDllPath(std::wstring& out, const std::wstring& driverName, const std::wstring& modelId, const std::wstring& printerName) {
  std::wstring profile;
  if (!GetProfileName(profile, driverName, modelId, printerName)) return Result(out, {});
  return ModelFile(out, driverName, modelId, printerName, moni::profile::ReadIniString(profile, modelId, L"PrnDll"));
}

int GetBmpDllPath(std::wstring& out, const std::wstring& driverName, const std::wstring& modelId, const std::wstring& printerName) {
  std::wstring profile;
  if (!GetProfileName(profile, driverName, modelId, printerName)) return Result(out, {});
  return ModelFile(out, driverName, modelId, printerName, moni::profile::ReadIniString(profile, modelId, L"BmpDll"));
}

int GetResDllPath(std::wstring& out, const std::wstring& driverName, const std::wstring& modelId, const std::wstring& printerName) {
  std::wstring profile;
  if (!GetProfileName(profile, driverName, modelId, printerName)) return Result(out, {});
  const std::wstring section = moni::profile::ChooseResourceSection(profile, GetUserDefaultLangID());
  if (section.empty()) return Result(out, {});
  return ModelFile(out, driverName, modelId, printerName, moni::profile::ReadIniString(profile, section, L"ResDll"));
}

std::wstring GetModelIdFromDriver(const std::wstring& printerName, const std::wstring& driverName) {
  std::wstring driver = driverName;
  if (driver.empty()) GetPrinterDriverName(printerName, driver);
  if (driver.empty()) return {};
  const bool byPrinter = !printerName.empty();
  return CDatReader::GetPrivateRegString(byPrinter ? CDatReader::Source::Printer : CDatReader::Source::Driver,
                                         byPrinter ? printerName : driver, moni::DriverKey(driver), L"ModelID");
}

int IsDuvSettingOn(const std::wstring& printerName) {
  if (printerName.empty()) return 0;
  std::wstring name = printerName;
  PRINTER_DEFAULTSW defaults = {nullptr, nullptr, PRINTER_ACCESS_USE};
  moni::PrinterHandle printer;
  if (!OpenPrinterW(name.data(), printer.put(), &defaults) || !printer) {
    printer.release();
    return 1;
  }
  DWORD type = 0, value = 0, needed = 0;
  const DWORD rc = GetPrinterDataW(printer.get(), const_cast<wchar_t*>(L"DUVSetting"), &type, reinterpret_cast<BYTE*>(&value),
                                   sizeof value, &needed);
  return rc == ERROR_SUCCESS && type == REG_DWORD && needed == sizeof value && value == 1 ? 1 : 0;
}

int CBaseInfo::SetPrinterInformation(const std::wstring& printerName, const std::wstring& driverName, const std::wstring& portName,
                                     const std::wstring& modelId, const std::wstring& profileName, const std::wstring& resourceName,
                                     int* created) {
  CDebugLog log("CBaseInfo::SetPrinterInformation");
  // The profile, the libraries and the install path all come from the
  // driver's setup data: the spooler is asked for the driver once.
  CDatReader::RequestScope scope;
  m_nResult = -1;
  if (printerName.empty() || driverName.empty() || portName.empty() || modelId.empty()) {
    log.Write("Error : printer information incomplete\n");
    return -1;
  }
  PrinterName = printerName;
  DriverName = driverName;
  PortName = portName;
  ModelID = modelId;
  if (!moni::regaccess::ActivateForDriver(driverName)) {
    log.Write("Error : registry-access library not available\n");
    return -1;
  }

  std::wstring profile = profileName;
  if (profile.empty()) GetProfileName(profile, driverName, modelId, printerName);
  ProfileName = profile;
  log.Write("ProfileName : %s\n", profile);
  if (profile.empty()) {
    ResourceName.clear();
    m_nResult = 0;
    return 0;
  }

  // The fields are assigned together after the target key is known: filling
  // a new key's defaults may run this function again, for the same printer,
  // through the model's printer library.
  std::wstring resource = resourceName;
  if (resource.empty()) GetResDllPath(resource, driverName, modelId, printerName);
  log.Write("ResourceName : %s\n", resource);
  const int result = resource.empty() ? 0 : 1;

  std::wstring bmp;
  GetBmpDllPath(bmp, driverName, modelId, printerName);
  log.Write("BmpResName : %s\n", bmp);

  bool byPort = false;
  std::wstring userKey;
  GetOrCreateTargetPrnKey(printerName, portName, modelId, byPort, userKey, created);
  log.Write("CurrentUserKey : %s\n", userKey);

  std::wstring install;
  GetInstallPath(install, driverName, modelId, printerName);
  log.Write("InstallPath : %s\n", install);
  const std::wstring duvKey = moni::DriverKey(driverName);
  log.Write("DuvDriverKey : %s\n", duvKey);
  std::wstring utility = install;
  if (utility.empty() || utility.back() != L'\\') utility += L'\\';
  utility += moni::profile::ReadIniString(profile, modelId, L"UTILITY");
  log.Write("UtilityName : %s\n", utility);

  PrinterName = printerName;
  DriverName = driverName;
  PortName = portName;
  ModelID = modelId;
  ProfileName = profile;
  ResourceName = resource;
  BmpResName = bmp;
  CurrentUserKey = userKey;
  InstallPath = install;
  DuvDriverKey = duvKey;
  UtilityName = utility;
  m_nResult = result;
  return result;
}
