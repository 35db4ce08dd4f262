// urlrecorder.exe: stands in for the web browser. The kit registers it as the
// program that opens http and https addresses (HKLM Software\Classes\http and
// https, shell\open\command), so that an address the monitor hands to the
// shell is recorded instead of opened: one line per start, the address as it
// came on the command line, appended as UTF-8 to "urls.log" in the
// simulator's scenario folder (BQSIM_DIR, else the common BQSim folder). No
// browser starts and nothing goes to the network.
#include <windows.h>
#include <shellapi.h>

#include <string>

#include "kit.h"
#include "platform/files.h"
#include "platform/handles.h"
#include "platform/text.h"
#include "platform/text_core.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
  int argc = 0;
  LPWSTR* argv = CommandLineToArgvW(GetCommandLineW(), &argc);
  std::wstring address;
  for (int i = 1; argv && i < argc; ++i) address += (i > 1 ? L" " : L"") + std::wstring(argv[i]);
  if (argv) LocalFree(argv);
  const std::wstring folder = moni::kit::ScenarioFolder();
  if (folder.empty()) return 1;
  return moni::files::AppendEntry(folder + L"\\urls.log", moni::NarrowUtf8(moni::ToU16(address + L"\n"))) ? 0 : 1;
}
