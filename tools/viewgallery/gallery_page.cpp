#include "gallery_page.h"

namespace moni::gallery {
namespace {

// Inks of four-ink replies: entry size 3, (code, colour, level) x 4.
#define MONI_INKS(c, m, y, k) "0F0D03" "0301" c "0402" m "0503" y "0100" k

void AppendUtf8(std::string& out, char32_t c) {
  if (c < 0x80) {
    out += static_cast<char>(c);
  } else if (c < 0x800) {
    out += static_cast<char>(0xC0 | (c >> 6));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else if (c < 0x10000) {
    out += static_cast<char>(0xE0 | (c >> 12));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (c >> 18));
    out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  }
}

std::u16string Lower(std::u16string text) {
  for (char16_t& c : text) {
    if (c >= u'A' && c <= u'Z') c = static_cast<char16_t>(c - u'A' + u'a');
  }
  return text;
}

std::u16string Number(int n) {
  std::u16string out;
  for (char c : std::to_string(n)) out += static_cast<char16_t>(c);
  return out;
}

Shot Planned(WindowKind kind, std::u16string_view language, std::u16string window, std::u16string windowKey, std::u16string state,
             std::u16string stateKey) {
  Shot shot;
  shot.kind = kind;
  shot.window = std::move(window);
  shot.state = std::move(state);
  shot.language = language;
  shot.file = Lower(std::u16string(language) + u"-" + windowKey + u"-" + stateKey + u".png");
  return shot;
}

}  // namespace

const std::vector<StatusSample>& StatusSamples() {
  static const std::vector<StatusSample> samples = {
      {u"ready", u"Ready", "010104" MONI_INKS("50", "5A", "55", "3C"), 0, false, false, -1, -1, false},
      {u"printing", u"Printing", "010101" MONI_INKS("4B", "52", "50", "37"), 0, true, false, -1, -1, false},
      {u"inklow", u"Ink low", "010104" "040113" MONI_INKS("46", "3C", "41", "0C"), 0, false, false, 12, 140, true},
      // Black is out and the cyan tank gives no reading ("n").
      {u"inkout", u"Ink out, a tank absent", "010100" "020105" MONI_INKS("6E", "50", "46", "00"), 0, false, true, -1, -1, false},
      {u"paperout", u"Paper out", "010100" "020101" MONI_INKS("46", "3C", "41", "32"), 0, true, true, -1, -1, false},
      {u"commerror", u"Communication error", nullptr, 21, false, false, -1, -1, false},
      {u"searching", u"Searching", nullptr, 1000, false, false, -1, -1, false},
  };
  return samples;
}
#undef MONI_INKS

const std::vector<InkOrderSample>& InkOrderSamples() {
  // Black at the level each reminder is given for.
  static const std::vector<InkOrderSample> samples = {
      {u"MENU", u"Ordering (menu)", u"505A550F"},      {u"AUTO20", u"Reminder at 20 %", u"505A550F"},
      {u"AUTO10", u"Reminder at 10 %", u"505A5508"},   {u"AUTO05", u"Reminder at 5 %", u"505A5503"},
      {u"AUTO00", u"Reminder at empty", u"505A5500"},
  };
  return samples;
}

const std::vector<DialogTypeName>& StatusDialogTypes() {
  static const std::vector<DialogTypeName> types = {{1, u"popup", u"pop-up"}, {2, u"detail", u"detail"}, {3, u"progress", u"progress"}};
  return types;
}

std::vector<Shot> PlanShots(std::u16string_view language) {
  std::vector<Shot> shots;
  const auto& samples = StatusSamples();
  for (size_t i = 0; i < samples.size(); ++i) {
    for (const DialogTypeName& type : StatusDialogTypes()) {
      Shot shot = Planned(WindowKind::StatusWindow, language, u"Status window", u"status",
                          std::u16string(samples[i].title) + u" (" + type.title + u")", std::u16string(samples[i].key) + u"-" + type.key);
      shot.sample = static_cast<int>(i);
      shot.dialogType = type.type;
      shots.push_back(std::move(shot));
    }
  }
  shots.push_back(Planned(WindowKind::Preferences, language, u"Monitoring preferences", u"prefs", u"As stored", u"stored"));
  Shot icon = Planned(WindowKind::Preferences, language, u"Monitoring preferences", u"prefs", u"Taskbar icon ticked (not saved)", u"trayicon");
  icon.sample = 1;
  shots.push_back(std::move(icon));
  shots.push_back(Planned(WindowKind::TrayQuestion, language, u"Tray icon question", u"trayquestion", u"Asked", u"asked"));
  const auto& orders = InkOrderSamples();
  for (size_t i = 0; i < orders.size(); ++i) {
    Shot shot = Planned(WindowKind::InkOrder, language, u"Ink order", u"inkorder", orders[i].title, orders[i].mode);
    shot.sample = static_cast<int>(i);
    shots.push_back(std::move(shot));
  }
  shots.push_back(Planned(WindowKind::TrayMenu, language, u"Tray menu", u"traymenu", u"Open", u"open"));
  return shots;
}

std::u16string Caption(const Shot& shot) {
  std::u16string caption = shot.window + u" - " + shot.state + u" - " + shot.language;
  if (shot.written) caption += u" - " + Number(shot.width) + u" x " + Number(shot.height) + u" px";
  return caption;
}

std::string HtmlEscape(std::u16string_view text) {
  std::string out;
  for (size_t i = 0; i < text.size(); ++i) {
    char32_t c = text[i];
    if (c >= 0xD800 && c <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 && text[i + 1] <= 0xDFFF) {
      c = 0x10000 + ((c - 0xD800) << 10) + (text[++i] - 0xDC00);
    } else if (c >= 0xD800 && c <= 0xDFFF) {
      c = 0xFFFD;
    }
    switch (c) {
      case U'&': out += "&amp;"; break;
      case U'<': out += "&lt;"; break;
      case U'>': out += "&gt;"; break;
      case U'"': out += "&quot;"; break;
      case U'\'': out += "&#39;"; break;
      default: AppendUtf8(out, c);
    }
  }
  return out;
}

size_t ProblemCount(const Page& page) {
  size_t count = page.problems.size();
  for (const Shot& shot : page.shots) count += shot.problems.size();
  return count;
}

std::string IndexHtml(const Page& page) {
  std::string html =
      "<!DOCTYPE html>\n<html>\n<head>\n<meta charset=\"utf-8\">\n<title>" + HtmlEscape(page.title) +
      "</title>\n<style>\n"
      "body { font-family: sans-serif; margin: 1.5em; }\n"
      "figure { display: inline-block; vertical-align: top; margin: 0 1.5em 1.5em 0; }\n"
      "figcaption { font-size: 90%; max-width: 40em; }\n"
      ".problem { color: #b00000; font-weight: bold; }\n"
      "figure.flagged img { outline: 3px solid #b00000; }\n"
      "</style>\n</head>\n<body>\n<h1>" + HtmlEscape(page.title) + "</h1>\n";
  for (const std::u16string& note : page.notes) html += "<p>" + HtmlEscape(note) + "</p>\n";
  const size_t problems = ProblemCount(page);
  html += problems == 0 ? std::string("<p>No problems detected.</p>\n")
                        : "<p class=\"problem\">" + std::to_string(problems) + (problems == 1 ? " problem" : " problems") + " detected.</p>\n";
  if (!page.problems.empty()) {
    html += "<ul>\n";
    for (const std::u16string& problem : page.problems) html += "<li class=\"problem\">" + HtmlEscape(problem) + "</li>\n";
    html += "</ul>\n";
  }
  for (const Shot& shot : page.shots) {
    html += shot.problems.empty() ? "<figure>\n" : "<figure class=\"flagged\">\n";
    if (shot.written) {
      html += "<img src=\"" + HtmlEscape(shot.file) + "\" width=\"" + std::to_string(shot.width) + "\" height=\"" +
              std::to_string(shot.height) + "\" alt=\"" + HtmlEscape(Caption(shot)) + "\">\n";
    }
    html += "<figcaption>" + HtmlEscape(Caption(shot));
    for (const std::u16string& problem : shot.problems) html += "<br><span class=\"problem\">" + HtmlEscape(problem) + "</span>";
    html += "</figcaption>\n</figure>\n";
  }
  return html + "</body>\n</html>\n";
}

}  // namespace moni::gallery
