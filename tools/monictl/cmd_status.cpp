// monictl status: one status reply of a printer through the one-shot query.
#include <windows.h>

#include <cstdio>
#include <string>

#include "api/monicore.h"
#include "commands.h"
#include "platform/handles.h"

namespace monictl {

namespace {

const char* Meaning(int result) {
  switch (result) {
    case 0: return "the printer has no status to give";
    case -4: return "a size query of the communication library gave no size";
    case -50: return "no printer name";
    case -51: return "no place for the buffer";
    case -52: return "the printer's driver name could not be read from the spooler (is the printer installed?)";
    case -53: return "the communication library could not be loaded";
    case -54: return "the communication library lacks an export";
    case -55: return "the printer offers none of the status channels";
    case -56: return "out of memory, or the name has no form in the ANSI code page";
    case -57: return "the printer reports another model than its driver's";
    case -99: return "the communication library raised an exception";
    default: return result > 0 ? "bytes of status reply" : "the communication library's own result";
  }
}

std::string Hex(const BYTE* data, int size, const char* separator) {
  std::string out;
  char pair[4];
  for (int i = 0; data && i < size; ++i) {
    if (i && *separator) out += separator;
    snprintf(pair, sizeof pair, "%02X", data[i]);
    out += pair;
  }
  return out;
}

}  // namespace

int CmdStatus(const Args& args) {
  std::wstring printer;
  bool json = false;
  for (const auto& arg : args) {
    if (arg == L"--json") json = true;
    else if (!arg.empty() && arg[0] == L'-' && arg.size() > 1) return UsageError("status: unknown option");
    else if (printer.empty()) printer = arg;
    else return UsageError("status takes one printer name");
  }
  if (printer.empty()) return UsageError("status: which printer?");

  moni::Module lib(LoadLibraryW((ProgramFolder() + L"monicore.dll").c_str()));
  const auto query = lib ? moni::ProcAddress<decltype(&PrGetPrinterStatus2)>(lib.get(), "PrGetPrinterStatus2") : nullptr;
  const auto release = lib ? moni::ProcAddress<decltype(&PrReleasePrinterStatus)>(lib.get(), "PrReleasePrinterStatus") : nullptr;
  if (!query || !release) {
    fprintf(stderr, "monictl: monicore.dll could not be loaded (error %lu)\n", GetLastError());
    return 1;
  }

  BYTE* reply = nullptr;
  const int result = query(printer.c_str(), &reply, nullptr);
  const int size = result > 0 ? result : 0;
  if (json) {
    printf("{\"result\": %d, \"reply\": \"%s\"}\n", result, Hex(reply, size, "").c_str());
  } else {
    printf("printer  %s\n", Utf8(printer).c_str());
    printf("result   %d (%s)\n", result, Meaning(result));
    if (size) printf("reply    %s\n", Hex(reply, size, " ").c_str());
  }
  release(reply);
  return result > 0 ? 0 : 1;
}

}  // namespace monictl
