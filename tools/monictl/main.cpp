// monictl: a command-line host over monicore.dll for driver integrators and
// support engineers.
#include <windows.h>

#include <cstdio>
#include <string>
#include <vector>

#include "commands.h"
#include "platform/files.h"
#include "platform/text.h"
#include "platform/text_core.h"

namespace monictl {

namespace {

constexpr const char* kUsage =
    "usage: monictl COMMAND [ARGS]\n"
    "\n"
    "commands:\n"
    "  printers [--json]         the printers: driver, port, model identifier, target key,\n"
    "                            whether monitoring is switched off\n"
    "  watch PRINTER [--count N] [--interval S] [--json]\n"
    "                            a monitoring session as a driver host runs it: one status\n"
    "                            poll per interval (the driver's timer value, or S seconds)\n"
    "                            until N polls or Ctrl+C; one line, or JSON object, per poll\n"
    "  status PRINTER [--json]   one status reply of the printer (the one-shot query):\n"
    "                            the result code and the reply in hexadecimal\n"
    "  setupdata FILE [--driver-dir DIR] [--system-dir DIR] --json\n"
    "                            what the monitor reads from a setup data file\n"
    "  setupdata FILE [--driver-dir DIR] [--system-dir DIR] --get REGPATH NAME\n"
    "                            one value of it (exit code 1 when not found); REGPATH\n"
    "                            without its root, as \"Software\\TALMER\\...\"\n"
    "  decode HEX [--channel N] [--network] [--keep-buttons] [--status N] [--json]\n"
    "         [--resource FILE]  what the monitor makes of a raw status reply (HEX, \"\" for\n"
    "                            an empty one, or \"-\" for none): record, status number,\n"
    "                            status row; --resource names a resource library for the\n"
    "                            message text\n"
    "  decode --batch FILE       one case per line, \"HEX CHANNEL FLAGS STATUS\" (FLAGS: n\n"
    "                            network, k keep buttons, or -), one JSON object per line;\n"
    "                            for replies too long for a command line\n"
    "  params TEXT [--json]      what a command line carries for the tray program: the\n"
    "  params --file FILE [--json]\n"
    "                            switches in order and the fields after the parse (a\n"
    "                            parameter file, UTF-16, is read and never deleted)\n"
    "  reminder --state FILE [--json]\n"
    "                            the low-ink reminder decision on a printer's state given as\n"
    "                            one JSON object: whether a reminder is due, its threshold and\n"
    "                            mode, and the levels stored afterwards\n"
    "  reminder --batch FILE     one state per line, one JSON object per line\n"
    "  icons list [--json]       the tray programs in the user's start-up list, with their\n"
    "                            parameter files decoded (printer, port, model)\n"
    "  icons install DRIVER [--printer NAME] [--model ID]\n"
    "                            PrIconInstall as the driver's companion program calls it;\n"
    "                            only printers whose driver names this program as companion\n"
    "                            (\"DepExe\") are acted on\n"
    "  icons ask PRINTER         PrEntryIconDlg: asks whether to show the printer's tray icon\n"
    "  prefs PRINTER [--json]    opens the printer's monitoring preferences as a driver's\n"
    "                            property page does, waits for the dialog to close and\n"
    "                            prints the result and the settings before and after\n"
    "  prefs PRINTER --show [--json]\n"
    "                            the printer's stored settings; nothing is opened\n"
    "  view PRINTER [--type popup|detail|progress|hidden] [--screenshot FILE]\n"
    "       [--close-after SECONDS]\n"
    "                            opens the printer's status window as a driver does (detail\n"
    "                            by default), waits for it to close and prints the result;\n"
    "                            saves a PNG of it once its first status shows, closes it\n"
    "                            after the given time\n"
    "  gallery [--out DIR] [--language CODE] [--resource FILE] [--printer NAME]\n"
    "                            pictures of every window of the monitor in its telling\n"
    "                            states (status window, preferences, tray question, ink\n"
    "                            order, tray menu) from the printer's installed resource\n"
    "                            libraries, every language section of its setup data or\n"
    "                            CODE (ENU, DEU, ...), or from the library FILE; one PNG a\n"
    "                            window and DIR\\index.html with captions and the problems\n"
    "                            it detects (blank pictures, texts that do not fit, missing\n"
    "                            strings, templates and menus); exit code 1 when there are\n"
    "                            any. DIR: artifacts\\gallery of the build tree when run from\n"
    "                            one, else \"gallery\" in the current folder\n"
    "  story --out FOLDER        the sample printer's story with its windows: the tray menu,\n"
    "                            the pop-up on paper out, a job's progress meter, the ink\n"
    "                            reminder's dialog, the preferences; a PNG of each step\n"
    "  exports [--json]          which of monicore.dll's exports a host finds\n"
    "  --version                 the versions of monictl and of the monicore.dll beside it\n"
    "  --help                    this text\n"
    "\n"
    "exit codes: 0 success, 1 the command's check or lookup failed, 2 usage error\n";

std::string FileVersion(const std::wstring& file) {
  DWORD ignored = 0;
  const DWORD size = GetFileVersionInfoSizeW(file.c_str(), &ignored);
  if (size == 0) return "unknown";
  std::vector<BYTE> block(size);
  VS_FIXEDFILEINFO* info = nullptr;
  UINT len = 0;
  if (!GetFileVersionInfoW(file.c_str(), 0, size, block.data()) ||
      !VerQueryValueW(block.data(), L"\\", reinterpret_cast<void**>(&info), &len) || len < sizeof(*info))
    return "unknown";
  char text[64];
  snprintf(text, sizeof text, "%u.%u.%u", HIWORD(info->dwFileVersionMS), LOWORD(info->dwFileVersionMS), HIWORD(info->dwFileVersionLS));
  return text;
}

}  // namespace

std::wstring WindowsPath(std::wstring path) {
  if (!path.empty() && path[0] == L'/') path = L"Z:" + path;
  for (wchar_t& c : path) c = c == L'/' ? L'\\' : c;
  return path;
}

std::wstring ProgramFolder() {
  std::wstring path(MAX_PATH, L'\0');
  for (;;) {
    const DWORD n = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
    if (n < path.size()) {
      path.resize(n);
      break;
    }
    path.resize(path.size() * 2);
  }
  const size_t slash = path.find_last_of(L"\\/");
  return slash == std::wstring::npos ? std::wstring() : path.substr(0, slash + 1);
}

int UsageError(const char* message) {
  if (message && *message) fprintf(stderr, "monictl: %s\n\n", message);
  fputs(kUsage, stderr);
  return 2;
}

bool ForEachBatchLine(const std::wstring& file, size_t maxBytes,
                      const std::function<void(size_t, const std::string&)>& each) {
  std::string text;
  if (!moni::files::ReadWholeFile(file, text, static_cast<DWORD>(maxBytes))) {
    fprintf(stderr, "monictl: cannot read %s (missing, or longer than %zu bytes)\n", Utf8(file).c_str(), maxBytes);
    return false;
  }
  size_t lineNo = 0;
  for (size_t start = 0; start < text.size();) {
    size_t end = text.find('\n', start);
    if (end == std::string::npos) end = text.size();
    const std::string line = text.substr(start, end - start);
    start = end + 1;
    ++lineNo;
    const size_t first = line.find_first_not_of(" \t\r");
    if (first != std::string::npos && line[first] != '#') each(lineNo, line);
  }
  return true;
}

std::string Utf8(const std::wstring& text) { return moni::NarrowUtf8(moni::ToU16(text)); }

std::string JsonString(const std::wstring& text) {
  std::string out = "\"";
  for (char c : Utf8(text)) {
    switch (c) {
      case '"': out += "\\\""; break;
      case '\\': out += "\\\\"; break;
      case '\n': out += "\\n"; break;
      case '\r': out += "\\r"; break;
      case '\t': out += "\\t"; break;
      default:
        if (static_cast<unsigned char>(c) < 0x20) {
          char esc[8];
          snprintf(esc, sizeof esc, "\\u%04x", static_cast<unsigned char>(c));
          out += esc;
        } else {
          out += c;
        }
    }
  }
  return out + "\"";
}

std::string ReadProblem(const std::wstring& path, unsigned long long maxBytes, const char* kind) {
  WIN32_FILE_ATTRIBUTE_DATA data = {};
  if (!GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data)) {
    const DWORD error = GetLastError();
    if (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND) return "there is no such file";
    if (error == ERROR_ACCESS_DENIED) return "access is denied";
    return "the system reports error " + std::to_string(error);
  }
  if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) return "it is a folder";
  const unsigned long long size = (static_cast<unsigned long long>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
  if (size > maxBytes) {
    const bool mebibytes = maxBytes % (1024 * 1024) == 0;
    return "it is " + std::to_string(size) + " bytes, more than the " +
           (mebibytes ? std::to_string(maxBytes / (1024 * 1024)) + " MiB (" + std::to_string(maxBytes) + " bytes)"
                      : std::to_string(maxBytes) + " bytes") +
           " a " + kind + " may have";
  }
  return "reading it failed";
}

}  // namespace monictl

int wmain(int argc, wchar_t** argv) {
  using namespace monictl;
  if (argc < 2) return UsageError(nullptr);
  const std::wstring command = argv[1];
  const Args args(argv + 2, argv + argc);
  if (command == L"--help" || command == L"-h") {
    fputs(kUsage, stdout);
    return 0;
  }
  if (command == L"--version") {
    printf("monictl %s\nmonicore.dll %s\n", MONI_VERSION, FileVersion(ProgramFolder() + L"monicore.dll").c_str());
    return 0;
  }
  if (command == L"exports") return CmdExports(args);
  if (command == L"setupdata") return CmdSetupData(args);
  if (command == L"status") return CmdStatus(args);
  if (command == L"decode") return CmdDecode(args);
  if (command == L"printers") return CmdPrinters(args);
  if (command == L"watch") return CmdWatch(args);
  if (command == L"params") return CmdParams(args);
  if (command == L"reminder") return CmdReminder(args);
  if (command == L"icons") return CmdIcons(args);
  if (command == L"prefs") return CmdPrefs(args);
  if (command == L"view") return CmdView(args);
  if (command == L"gallery") return CmdGallery(args);
  if (command == L"story") return CmdStory(args);
  return UsageError(("unknown command \"" + Utf8(command) + "\"").c_str());
}
