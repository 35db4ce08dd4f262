// monitray: the windowless program that owns one printer's taskbar icon.
#include <windows.h>

#include "foundation/line_log.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
  LogOpen(L"V_G40IC.LOG");
  LogWrite(L"***** LOG START ******");
  const int exitCode = 0;
  LogWrite(L"***** LOG END ******");
  return exitCode;
}
