#include "tray/tray_app.h"

#include <commctrl.h>

#include "foundation/line_log.h"
#include "foundation/reg_access_library.h"
#include "foundation/base_info.h"
#include "foundation/registry_key.h"
#include "platform/system.h"
#include "tray/startup_cleanup.h"

using namespace moni::tray;

namespace {

constexpr size_t kMaxIdentity = 259;

}  // namespace

CTrayIconApp& TheApp() {
  static CTrayIconApp app;
  return app;
}

LRESULT CALLBACK CTrayIconApp::WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  CMainFrame* frame = TheApp().m_frame.get();
  switch (message) {
    case WM_DESTROY:
      LogWrite(L"WM_DESTROY");
      if (frame) {
        frame->UtyCall().CheckUtyCall();
        frame->DestroyWindow();
      }
      PostQuitMessage(0);
      break;
    case WM_CLOSE:
      LogWrite(L"WM_CLOSE");
      break;
    case WM_DRAWITEM:
      if (frame && lParam) frame->OnDrawItem(*reinterpret_cast<const DRAWITEMSTRUCT*>(lParam));
      break;
    case WM_MEASUREITEM:
      if (frame && lParam) frame->OnMeasureItem(*reinterpret_cast<MEASUREITEMSTRUCT*>(lParam));
      break;
    case WM_COMMAND: {
      const int id = LOWORD(wParam);
      if (!frame) break;
      if (id == kStatusItem) {
        frame->OnStatusWindow(false);
      } else if (id == kPreferencesItem) {
        frame->OnStatusWindow(true);
      } else if (id >= kFirstExtraItem && id <= 999) {
        frame->OnUniAux(id);
      }
      break;
    }
    case WM_TIMER:
      if (frame) frame->OnTimer(wParam);
      break;
    case kIconCallbackMessage:
      if (frame) frame->OnIconCallback(lParam);
      break;
    case kReloadIconMessage:
      if (frame) frame->OnReloadIcon();
      break;
    default:
      break;
  }
  return DefWindowProcW(window, message, wParam, lParam);
}

int CTrayIconApp::InitInstance(HINSTANCE instance, const std::wstring& commandLine) {
  LogWrite(L"CTrayIconApp::InitInstance");
  LogWriteStr(L"CmdLine", commandLine.c_str());
  INITCOMMONCONTROLSEX controls = {sizeof controls, ICC_WIN95_CLASSES};
  InitCommonControlsEx(&controls);

  cmdInfo.Parse(commandLine);

  const moni::SystemVersion version = moni::RunningSystemVersion();
  const bool nt5 = version.nt && version.major > 4;
  if (nt5 && !moni::regaccess::IsActive() && !moni::regaccess::ActivateForDriver(cmdInfo.m_szDriverName)) {
    LogWrite(L"CTrayIconApp::InitInstance : the registry-access library cannot be loaded");
    return 0;
  }
  if (cmdInfo.m_szModelID.empty() && !cmdInfo.m_szDriverName.empty()) {
    const std::wstring model = GetModelIdFromDriver(cmdInfo.m_szPrinterName, cmdInfo.m_szDriverName);
    if (model.size() <= kMaxIdentity) cmdInfo.m_szModelID = model;
  }
  if (cmdInfo.m_szModelID.empty()) {
    LogWrite(L"CTrayIconApp::InitInstance : no model identifier");
    return 0;
  }
  LogWriteStr(L"cmdInfo.m_szPrinterName", cmdInfo.m_szPrinterName.c_str());
  LogWriteStr(L"cmdInfo.m_szDriverName", cmdInfo.m_szDriverName.c_str());
  LogWriteStr(L"cmdInfo.m_szPortName", cmdInfo.m_szPortName.c_str());
  LogWriteStr(L"cmdInfo.m_szModelID", cmdInfo.m_szModelID.c_str());
  LogWriteInt(L"cmdInfo.m_fRemove", cmdInfo.m_fRemove ? 1 : 0);
  LogWriteInt(L"cmdInfo.m_IconFrom", cmdInfo.m_IconFrom);
  LogWriteInt(L"cmdInfo.m_fIconInstall", cmdInfo.m_fIconInstall ? 1 : 0);

  DWORD wait = 100;
  if (cmdInfo.m_IconFrom == 2) {
    wait = 2000;
  } else if (!cmdInfo.m_fRemove && FindWindowW(kWindowClass, kWindowTitle)) {
    wait += 1500;
  }
  Sleep(wait);

  const bool byPrinter = !cmdInfo.m_szPrinterName.empty() && !cmdInfo.m_szDriverName.empty() &&
                         !cmdInfo.m_szPortName.empty();
  const bool byPort = cmdInfo.m_szPrinterName.empty() && !cmdInfo.m_szPortName.empty();
  if (!byPrinter && !byPort) {
    LogWrite(L"CTrayIconApp::InitInstance : no printer and no port");
    return 0;
  }

  m_frame = std::make_unique<CMainFrame>(maskCheckPeriodMs);
  WNDCLASSW windowClass = {};
  windowClass.style = CS_BYTEALIGNWINDOW;
  windowClass.lpfnWndProc = &CTrayIconApp::WindowProc;
  windowClass.hInstance = instance;
  windowClass.hbrBackground = GetSysColorBrush(0);
  windowClass.lpszClassName = kWindowClass;
  RegisterClassW(&windowClass);
  HWND window = CreateWindowExW(0, kWindowClass, kWindowTitle, WS_OVERLAPPEDWINDOW | WS_MINIMIZE, CW_USEDEFAULT,
                                CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, nullptr, nullptr, instance, nullptr);
  if (!window || cmdInfo.m_szModelID.size() > kMaxIdentity || cmdInfo.m_szPrinterName.size() > kMaxIdentity ||
      cmdInfo.m_szPortName.size() > kMaxIdentity || cmdInfo.m_szDriverName.size() > kMaxIdentity) {
    ExitInstance();
    if (window) ::DestroyWindow(window);
    return 0;
  }
  m_frame->m_hWnd = window;
  m_frame->m_szModelID = cmdInfo.m_szModelID;
  m_frame->m_szPrinterName = cmdInfo.m_szPrinterName;
  m_frame->m_szPortName = cmdInfo.m_szPortName;
  m_frame->m_szDriverName = cmdInfo.m_szDriverName;
  m_frame->m_fRemove = cmdInfo.m_fRemove;
  m_frame->m_fIconInstall = cmdInfo.m_fIconInstall;

  const int result = m_frame->StartUp();
  LogWriteInt(L"MainFrame.StartUp() : Result", result);
  if (result == 1) {
    ShowWindow(window, SW_HIDE);
    UpdateWindow(window);
    return 1;
  }
  if (result == -1) {
    moni::tray::DeleteStartupReg(cmdInfo.m_szPrinterName, cmdInfo.m_szParamFile);
    moni::tray::DeleteParamFile(cmdInfo.m_szParamFile);
    m_frame->DisableIconReg();
  }
  // The frame goes first, so that its window's WM_DESTROY finds none.
  ExitInstance();
  ::DestroyWindow(window);
  return 0;
}

int CTrayIconApp::Run() {
  MSG message = {};
  for (;;) {
    const BOOL got = GetMessageW(&message, nullptr, 0, 0);
    if (got == 0 || got == -1) break;
    TranslateMessage(&message);
    DispatchMessageW(&message);
  }
  return message.message == WM_QUIT ? static_cast<int>(message.wParam) : 0;
}

void CTrayIconApp::ExitInstance() { m_frame.reset(); }
