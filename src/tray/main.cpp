// monitray: the windowless program that owns one printer's taskbar icon.
#include <windows.h>

#include "foundation/line_log.h"
#include "foundation/reg_access_library.h"
#include "tray/tray_app.h"

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR commandLine, int) {
  LogOpen(L"V_G40IC.LOG");
  LogWrite(L"***** LOG START ******");
  CTrayIconApp& app = TheApp();
  int exitCode = 0;
  if (app.InitInstance(instance, commandLine ? commandLine : L"")) exitCode = app.Run();
  app.ExitInstance();
  LogWrite(L"***** LOG END ******");
  return exitCode;
}
