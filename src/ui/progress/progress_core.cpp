#include "ui/progress/progress_core.h"

namespace moni::progress {

std::uint32_t SelectWaitReason(std::uint32_t flags) {
  static constexpr std::uint32_t kPriority[] = {0x1, 0x4000, 0x8000, 0x40,  0x80, 0x100, 0x20,
                                                0x10, 0x200, 0x8,    0x400, 0x2,  0x4,   0x2000};
  for (std::uint32_t bit : kPriority) {
    if (flags & bit) return bit;
  }
  return flags & (~flags + 1);  // the lowest set bit, 0 for none
}

std::uint32_t ClearedBitsToReport(std::uint32_t before, std::uint32_t now) {
  const std::uint32_t cleared = (before ^ now) & before;
  return cleared == kWaitNotReported ? 0 : cleared;
}

std::u16string RemoteEndpoint(const std::u16string& serviceName) {
  return u"\\pipe\\" + (serviceName.empty() ? std::u16string(u"TALMER_PM_RPCV2_01") : serviceName);
}

std::u16string ServerOfPrinter(const std::u16string& printer) {
  if (printer.size() < 3 || printer[0] != u'\\' || printer[1] != u'\\') return {};
  const size_t slash = printer.find(u'\\', 2);
  if (slash == std::u16string::npos || slash == 2 || slash + 1 >= printer.size()) return {};
  return printer.substr(2, slash - 2);
}

std::u16string PrinterWithoutServer(const std::u16string& printer) {
  const std::u16string server = ServerOfPrinter(printer);
  return server.empty() ? printer : printer.substr(server.size() + 3);
}

}  // namespace moni::progress
