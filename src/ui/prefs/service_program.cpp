#include "ui/prefs/service_program.h"

#include <shlobj.h>

#include "foundation/dat_reader.h"
#include "foundation/debug_log.h"
#include "foundation/profile_reader.h"
#include "platform/handles.h"
#include "platform/text.h"
#include "ui/prefs/prefs_core.h"

namespace {

constexpr wchar_t kDriverKey[] = L"Software\\TALMER\\VGL3\\Driver\\";
constexpr wchar_t kDefaultProgram[] = L"V_G00RP1.EXE";

std::wstring CommonAppData() {
  wchar_t path[MAX_PATH] = {};
  return SUCCEEDED(SHGetFolderPathW(nullptr, CSIDL_COMMON_APPDATA, nullptr, SHGFP_TYPE_CURRENT, path)) ? path : L"";
}

// Makes every level of the folder that is missing.
bool MakeFolders(const std::wstring& folder) {
  if (folder.empty() || moni::profile::FolderExists(folder)) return !folder.empty();
  const size_t slash = folder.find_last_of(L'\\');
  if (slash != std::wstring::npos && slash > 2) MakeFolders(folder.substr(0, slash));
  return CreateDirectoryW(folder.c_str(), nullptr) || GetLastError() == ERROR_ALREADY_EXISTS;
}

bool LastWriteTime(const std::wstring& path, std::uint64_t& time) {
  WIN32_FILE_ATTRIBUTE_DATA data;
  if (!GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data)) return false;
  time = (static_cast<std::uint64_t>(data.ftLastWriteTime.dwHighDateTime) << 32) | data.ftLastWriteTime.dwLowDateTime;
  return true;
}

}  // namespace

CServiceProgram CServiceProgram::ForDriver(const std::wstring& driverName, const std::wstring& printerName,
                                           const std::wstring& installPath) {
  using Source = CDatReader::Source;
  const std::wstring key = kDriverKey + driverName;
  const std::wstring internalName = CDatReader::GetPrivateRegString(Source::Printer, printerName, key, L"STMSRV_INTERNALNAME");
  std::wstring program = CDatReader::GetPrivateRegString(Source::Printer, printerName, key, L"STMSRV_NAME");
  if (program.empty()) program = kDefaultProgram;
  return CServiceProgram(internalName, installPath + program);
}

CServiceProgram::CServiceProgram(const std::wstring& internalName, const std::wstring& source)
    : m_strInternalName(internalName),
      m_strServiceName(moni::ToWide(moni::prefs::ServiceName(moni::ToU16(internalName)))),
      m_strSource(source) {
  const std::wstring folder = moni::ToWide(moni::prefs::ServiceTargetFolder(moni::ToU16(internalName), moni::ToU16(CommonAppData()),
                                                                          moni::ToU16(CDatReader::SystemDirectory())));
  m_strTarget = folder + L"\\" + moni::ToWide(moni::prefs::FileNameOf(moni::ToU16(source)));
}

int CServiceProgram::Check() const {
  CDebugLog log("CDuvEnvDlg::ChkSRP");
  moni::ServiceHandle manager(OpenSCManagerW(nullptr, nullptr, SC_MANAGER_CONNECT));
  if (!manager) {
    log.Write("Error : OpenSCManager %u\n", GetLastError());
    return moni::prefs::kServiceManagerClosed;
  }
  moni::ServiceHandle service(OpenServiceW(manager.get(), m_strServiceName.c_str(), SERVICE_QUERY_STATUS));
  if (!service) {
    log.Write("%s : not installed\n", m_strServiceName);
    return moni::prefs::kServiceNotInstalled;
  }
  SERVICE_STATUS status = {};
  if (!QueryServiceStatus(service.get(), &status)) {
    log.Write("Error : QueryServiceStatus %u\n", GetLastError());
    return moni::prefs::kServiceStateUnknown;
  }
  log.Write("%s : state %u\n", m_strServiceName, status.dwCurrentState);
  return status.dwCurrentState == SERVICE_RUNNING ? moni::prefs::kServiceRunning : moni::prefs::kServiceStopped;
}

int CServiceProgram::Set(bool install) const {
  CDebugLog log("CDuvEnvDlg::SetSRP");
  log.Write("SetSRP(%d) : %s -> %s\n", install ? 1 : 0, m_strSource, m_strTarget);
  moni::KernelHandle source(CreateFileW(m_strSource.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr));
  if (!source) {
    log.Write("Error : source %s cannot be read\n", m_strSource);
    return -2;
  }
  source.reset();
  if (install) {
    // The folder of the copy is made first: the copy has nowhere to go otherwise.
    const std::wstring folder = m_strTarget.substr(0, m_strTarget.find_last_of(L'\\'));
    if (!MakeFolders(folder)) log.Write("Error : folder %s not made\n", folder);
    if (!CopyFileW(m_strSource.c_str(), m_strTarget.c_str(), FALSE)) log.Write("Error : copy %u\n", GetLastError());
  }
  std::wstring command = moni::ToWide(moni::prefs::ServiceCommandLine(moni::ToU16(m_strTarget), install));
  STARTUPINFOW startup = {};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process = {};
  if (!CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process)) {
    log.Write("Error : CreateProcess %s (%u)\n", command, GetLastError());
    return -1;
  }
  moni::KernelHandle processHandle(process.hProcess), threadHandle(process.hThread);
  log.Write("Started : %s\n", command);
  return 1;
}

int CServiceProgram::Refresh(DWORD waitMs, int attempts) const {
  CDebugLog log("CDuvEnvDlg::RefreshSRP");
  std::uint64_t sourceTime = 0, targetTime = 0;
  const bool targetExists = LastWriteTime(m_strTarget, targetTime);
  if (!LastWriteTime(m_strSource, sourceTime) || !moni::prefs::ServiceProgramOutdated(targetExists, targetTime, sourceTime)) {
    log.Write("%s is up to date\n", m_strTarget);
    return 0;
  }
  Set(false);
  for (int i = 0; i < attempts && Check() >= moni::prefs::kServiceStateUnknown; ++i) Sleep(waitMs);
  return Set(true);
}
