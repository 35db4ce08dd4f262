#include "ui/prefs/icon_texts_core.h"

#include "foundation/parameter_text_core.h"

namespace moni::icons {

namespace {

using cmdline::SwitchWithLength;
using cmdline::SwitchWithValue;

std::optional<std::u16string> Fitting(std::u16string text, size_t maxChars) {
  if (text.size() > maxChars) return std::nullopt;
  return text;
}

}  // namespace

std::u16string SplitPrinterFriendlyName(std::u16string_view name) {
  std::u16string cut(name.substr(0, name.find(u',')));
  if (!cut.empty() && cut.back() < 33) cut.pop_back();
  return cut;
}

std::u16string MonitoringEntryName(std::uint32_t n) {
  std::u16string name(17, u'0');
  name[0] = u'P';
  for (size_t i = 16; n != 0; --i, n /= 10) name[i] = static_cast<char16_t>(u'0' + n % 10);
  return name;
}

std::optional<std::u16string> StartupParamText(std::u16string_view printer, std::u16string_view port,
                                               std::u16string_view model, size_t maxChars) {
  return Fitting(SwitchWithLength(u"P", printer) + u"\n" + SwitchWithLength(u"O", port) + u"\n" +
                     SwitchWithValue(u"M", model),
                 maxChars);
}

std::u16string InstallStartText(std::u16string_view printer, std::u16string_view model, bool remove, bool install) {
  std::u16string text = SwitchWithLength(u"P", printer) + u"\n" + SwitchWithLength(u"M", model) + u"\n";
  if (remove) text += u"/R\n";
  if (install) text += u"/I\n";
  return text;
}

std::u16string TrayStartText(std::u16string_view printer, std::u16string_view port, std::u16string_view model,
                             bool remove) {
  std::u16string text = SwitchWithLength(u"P", printer) + u"\n" + SwitchWithLength(u"O", port) + u"\n" +
                        SwitchWithLength(u"M", model) + u"\n";
  if (remove) text += u"/R\n";
  return text;
}

std::u16string ProgramWord(std::u16string_view program) {
  if (program.find(u' ') == std::u16string_view::npos) return std::u16string(program);
  return u"\"" + std::u16string(program) + u"\"";
}

std::optional<std::u16string> StartupCommandLine(std::u16string_view program, std::u16string_view file,
                                                 size_t maxChars) {
  return Fitting(ProgramWord(program) + u" /FU \"" + std::u16string(file) + u"\" /EF \"HKCU\"", maxChars);
}

std::optional<std::u16string> FileCommandLine(std::u16string_view program, std::u16string_view file, size_t maxChars) {
  return Fitting(ProgramWord(program) + u" /FU \"" + std::u16string(file) + u"\"", maxChars);
}

std::optional<std::u16string> InlineCommandLine(std::u16string_view program, std::u16string_view printer,
                                                std::u16string_view port, std::u16string_view model, bool remove,
                                                size_t maxChars) {
  return Fitting(ProgramWord(program) + u" " + SwitchWithLength(u"P", printer) + u" " + SwitchWithLength(u"O", port) +
                     u" " + SwitchWithValue(u"M", model) + u" " + (remove ? u" /R" : u""),
                 maxChars);
}

}  // namespace moni::icons
