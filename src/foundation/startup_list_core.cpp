#include "foundation/startup_list_core.h"

#include "foundation/command_line_core.h"

namespace moni::startup {

std::u16string EntryName(std::u16string_view printer, std::u16string_view port) {
  return std::u16string(printer.empty() ? port : printer);
}

StartupValue ParseStartupValue(std::u16string_view value) {
  StartupValue out;
  if (!value.empty() && value.front() == u'"') {
    const size_t close = value.find(u'"', 1);
    out.program = value.substr(1, close == std::u16string_view::npos ? std::u16string_view::npos : close - 1);
  } else {
    out.program = value.substr(0, value.find(u" /"));
  }
  std::u16string older;
  for (const cmdline::Switch& sw : cmdline::ScanSwitches(value).switches) {
    if (!sw.value) continue;
    if (cmdline::NameEquals(sw.name, u"FU")) {
      out.paramFile = *sw.value;
    } else if (cmdline::NameEquals(sw.name, u"F")) {
      older = *sw.value;
    } else if (cmdline::NameEquals(sw.name, u"EF")) {
      out.from = *sw.value;
    }
  }
  if (out.paramFile.empty()) out.paramFile = older;
  return out;
}

bool HasParamFilePrefix(std::u16string_view fileName) {
  return fileName.size() > 3 && cmdline::NameEquals(fileName.substr(0, 3), u"V_G");
}

}  // namespace moni::startup
