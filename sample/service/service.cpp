// Stand-in for the driver's spooler-side service program (V_G00RP1.EXE, the
// setup data's "STMSRV_NAME"). The service it installs is named after its own
// file name without the extension (the setup data's "STMSRV_INTERNALNAME")
// and does nothing but run until it is stopped.
//
//   V_G00RP1.EXE /IS       installs the service (its program: this file) and starts it
//   V_G00RP1.EXE /R        stops and removes the service
//   V_G00RP1.EXE /SERVICE  the service itself (started by the service manager)
//
// /IS and /R append "<pid> <switch> <service name> <result>" to service.log in
// the simulator's scenario folder (sample/README.md); the result is 0 when the
// service manager did what was asked, else its error code.
#include <windows.h>

#include <string>

#include "platform/handles.h"
#include "scenario_folder.h"

namespace {

SERVICE_STATUS_HANDLE g_status = nullptr;
HANDLE g_stop = nullptr;

std::wstring OwnPath() {
  wchar_t path[MAX_PATH] = {};
  const DWORD n = GetModuleFileNameW(nullptr, path, MAX_PATH);
  return n > 0 && n < MAX_PATH ? path : L"";
}

std::wstring ServiceName(const std::wstring& path) {
  std::wstring name = path.substr(path.find_last_of(L"\\/") + 1);
  return name.substr(0, name.find_last_of(L'.'));
}

void Log(const std::wstring& what, const std::wstring& name, DWORD result) {
  std::string line = std::to_string(GetCurrentProcessId()) + " ";
  for (wchar_t c : what + L" " + name) line.push_back(c < 0x80 ? static_cast<char>(c) : '?');
  line += " " + std::to_string(result) + "\r\n";
  bqsim::AppendToFolderFile(L"service.log", line);
}

DWORD Install(const std::wstring& path, const std::wstring& name) {
  moni::ServiceHandle manager(OpenSCManagerW(nullptr, nullptr, SC_MANAGER_ALL_ACCESS));
  if (!manager) return GetLastError();
  const std::wstring binary = L"\"" + path + L"\" /SERVICE";
  moni::ServiceHandle service(CreateServiceW(manager.get(), name.c_str(), name.c_str(), SERVICE_ALL_ACCESS, SERVICE_WIN32_OWN_PROCESS,
                                             SERVICE_DEMAND_START, SERVICE_ERROR_IGNORE, binary.c_str(), nullptr, nullptr, nullptr,
                                             nullptr, nullptr));
  if (!service) {
    if (GetLastError() != ERROR_SERVICE_EXISTS) return GetLastError();
    service.reset(OpenServiceW(manager.get(), name.c_str(), SERVICE_ALL_ACCESS));
    if (!service) return GetLastError();
  }
  if (!StartServiceW(service.get(), 0, nullptr) && GetLastError() != ERROR_SERVICE_ALREADY_RUNNING) return GetLastError();
  return 0;
}

DWORD Remove(const std::wstring& name) {
  moni::ServiceHandle manager(OpenSCManagerW(nullptr, nullptr, SC_MANAGER_ALL_ACCESS));
  if (!manager) return GetLastError();
  moni::ServiceHandle service(OpenServiceW(manager.get(), name.c_str(), SERVICE_ALL_ACCESS));
  if (!service) return GetLastError();
  SERVICE_STATUS status = {};
  ControlService(service.get(), SERVICE_CONTROL_STOP, &status);
  for (int i = 0; i < 50 && QueryServiceStatus(service.get(), &status) && status.dwCurrentState != SERVICE_STOPPED; ++i) Sleep(100);
  return DeleteService(service.get()) ? 0 : GetLastError();
}

void Report(DWORD state) {
  SERVICE_STATUS status = {};
  status.dwServiceType = SERVICE_WIN32_OWN_PROCESS;
  status.dwCurrentState = state;
  status.dwControlsAccepted = state == SERVICE_RUNNING ? SERVICE_ACCEPT_STOP : 0;
  SetServiceStatus(g_status, &status);
}

DWORD WINAPI Handler(DWORD control, DWORD, void*, void*) {
  if (control == SERVICE_CONTROL_STOP || control == SERVICE_CONTROL_SHUTDOWN) {
    Report(SERVICE_STOP_PENDING);
    SetEvent(g_stop);
  }
  return NO_ERROR;
}

void WINAPI ServiceMain(DWORD, wchar_t**) {
  const std::wstring name = ServiceName(OwnPath());
  g_status = RegisterServiceCtrlHandlerExW(name.c_str(), &Handler, nullptr);
  if (!g_status) return;
  moni::KernelHandle stop(CreateEventW(nullptr, TRUE, FALSE, nullptr));
  g_stop = stop.get();
  Report(SERVICE_RUNNING);
  WaitForSingleObject(g_stop, INFINITE);
  Report(SERVICE_STOPPED);
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  const std::wstring path = OwnPath();
  const std::wstring name = ServiceName(path);
  const std::wstring command = argc > 1 ? argv[1] : L"";
  if (_wcsicmp(command.c_str(), L"/SERVICE") == 0) {
    std::wstring serviceName = name;
    SERVICE_TABLE_ENTRYW table[] = {{serviceName.data(), &ServiceMain}, {nullptr, nullptr}};
    return StartServiceCtrlDispatcherW(table) ? 0 : 1;
  }
  DWORD result = ERROR_INVALID_PARAMETER;
  if (_wcsicmp(command.c_str(), L"/IS") == 0) result = Install(path, name);
  else if (_wcsicmp(command.c_str(), L"/R") == 0) result = Remove(name);
  Log(command.empty() ? L"-" : command, name, result);
  return result == 0 ? 0 : 1;
}
