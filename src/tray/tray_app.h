// CTrayIconApp: the tray program's start-up and shutdown. One hidden main
// window ("TrayIconWClass", "VGL3 TrayIcon") per process, whose window
// procedure hands the icon, menu and timer messages to the CMainFrame.
#pragma once
#include <windows.h>

#include <memory>
#include <string>

#include "foundation/command_line.h"
#include "tray/main_frame.h"

namespace moni::tray {
inline constexpr wchar_t kWindowClass[] = L"TrayIconWClass";
inline constexpr wchar_t kWindowTitle[] = L"VGL3 TrayIcon";
}  // namespace moni::tray

class CTrayIconApp {
 public:
  // Start-up: parses the command line, checks the identity, creates the main
  // window and starts the frame. Non-zero when the message loop is to run.
  int InitInstance(HINSTANCE instance, const std::wstring& commandLine);
  // The message loop; the quit message's code.
  int Run();
  // Frees the frame (after the loop, or after a failed start-up).
  void ExitInstance();

  CTrayCommandLineInfo cmdInfo;
  // Mask-check period handed to the frame (tests shorten it).
  UINT maskCheckPeriodMs = moni::tray::kMaskCheckPeriodMs;

  static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

 private:
  std::unique_ptr<CMainFrame> m_frame;
};

// The one application object of the process.
CTrayIconApp& TheApp();
