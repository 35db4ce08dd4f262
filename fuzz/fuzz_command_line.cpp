// The switch scanner over arbitrary UTF-16 text: it must not read outside the
// text, the walk by index must agree with the full scan, and every switch must
// obey the syntax (names without separators, bounded lengths).
#include <cstddef>
#include <cstdint>
#include <algorithm>
#include <memory>
#include <string>
#include <string_view>

#include "foundation/command_line_core.h"
#include "foundation/parameter_text_core.h"
#include "fuzz_text.h"

namespace {

using namespace moni::cmdline;

void Check(bool condition) {
  if (!condition) __builtin_trap();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const moni::fuzztext::HeapText text(data, size);
  const std::u16string_view view = text.view();

  const ScanResult scan = ScanSwitches(view);
  Check(scan.switches.size() <= view.size());
  size_t valueChars = 0;
  for (size_t i = 0; i < scan.switches.size(); ++i) {
    const Switch& sw = scan.switches[i];
    Check(sw.name.size() <= kMaxNameChars);
    for (char16_t c : sw.name) {
      Check(!(c >= u'0' && c <= u'9') && c != u' ' && c != u'\t' && c != u'\r' && c != u'\n' && c != u'"' &&
            c != u'/');
    }
    if (sw.hasLength) Check(sw.value.has_value());
    if (sw.value && !sw.hasLength) Check(sw.value->find_first_of(u"\"\n") == std::u16string::npos);
    if (sw.value) valueChars += sw.value->size();

    if (i < 64) {
      std::u16string name, value;
      const std::int64_t len = GetSwitch(view, i, name, value);
      Check(len >= 0 && static_cast<size_t>(len) == value.size());
      Check(name == sw.name && value == sw.value.value_or(std::u16string()));
      Check(NameEquals(name, sw.name));
    }
  }
  Check(valueChars <= view.size());
  std::u16string name, value;
  Check(GetSwitch(view, scan.switches.size(), name, value) == -1 && name.empty() && value.empty());

  // The fields the tray program keeps: never longer than a field holds, and
  // a value written back by the writers reads back unchanged.
  TrayFields fields;
  ApplySwitches(view, fields);
  for (const std::u16string* f : {&fields.printerName, &fields.driverName, &fields.portName, &fields.modelId,
                                  &fields.paramFile, &fields.j, &fields.rp}) {
    Check(f->size() <= kMaxValueChars);
  }
  TrayFields back;
  ApplySwitches(StatusWindowText(fields.printerName, fields.portName, fields.modelId, u""), back);
  Check(back.printerName == fields.printerName && back.portName == fields.portName && back.modelId == fields.modelId);
  TrayFields menu;
  ApplySwitches(MenuCommandText(u"", fields.printerName, fields.modelId, fields.driverName, fields.portName), menu);
  Check(menu.printerName == fields.printerName && menu.driverName == fields.driverName &&
        menu.portName == fields.portName && menu.modelId == fields.modelId);

  const std::u16string decoded = DecodeParameterFile(
      std::string_view(reinterpret_cast<const char*>(data), size));
  Check(decoded.size() <= size / 2 && decoded.find(u'\0') == std::u16string::npos);
  return 0;
}
