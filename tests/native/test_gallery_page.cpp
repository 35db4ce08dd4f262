// The gallery's plan and page: every window and state pictured once under a
// name of its own, every text of the page escaped, and a page that points
// only at pictures that were written.
#include <gtest/gtest.h>

#include <set>

#include "gallery_page.h"

namespace moni::gallery {
namespace {

size_t Count(const std::string& text, const std::string& part) {
  size_t n = 0;
  for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) ++n;
  return n;
}

TEST(GalleryPlan, EveryWindowAndStateOnceWithAFileNameOfItsOwn) {
  const std::vector<Shot> shots = PlanShots(u"DEU");
  // 7 printer states in 3 dialog types, the preferences in 2 states, the tray
  // question, 5 order types and the tray menu.
  ASSERT_EQ(shots.size(), 7u * 3 + 2 + 1 + 5 + 1);
  std::set<std::u16string> files;
  for (const Shot& shot : shots) {
    EXPECT_TRUE(files.insert(shot.file).second) << HtmlEscape(shot.file);
    EXPECT_EQ(shot.file.rfind(u"deu-", 0), 0u);
    EXPECT_EQ(shot.file.substr(shot.file.size() - 4), u".png");
    EXPECT_EQ(shot.language, u"DEU");
  }
  for (const char16_t* file : {u"deu-status-paperout-detail.png", u"deu-status-searching-popup.png",
                               u"deu-status-commerror-progress.png", u"deu-status-inkout-detail.png", u"deu-prefs-stored.png", u"deu-prefs-trayicon.png",
                               u"deu-trayquestion-asked.png", u"deu-inkorder-menu.png", u"deu-inkorder-auto00.png",
                               u"deu-traymenu-open.png"}) {
    EXPECT_EQ(files.count(file), 1u) << HtmlEscape(file);
  }
}

TEST(GalleryPage, EscapesEveryMarkupCharacterAndWritesUtf8) {
  const struct {
    std::u16string text;
    std::string html;
  } cases[] = {
      {u"a&b<c>d\"e'f", "a&amp;b&lt;c&gt;d&quot;e&#39;f"},
      {u"Drucker \u00fcber Netz", "Drucker \xc3\xbc" "ber Netz"},
      {u"\u20ac", "\xe2\x82\xac"},
      {std::u16string{0xD83D, 0xDDA8}, "\xf0\x9f\x96\xa8"},  // a pair: one character
      {std::u16string{u'x', 0xD83D}, "x\xef\xbf\xbd"},         // a lone high half at the end
      {std::u16string{0xDDA8, u'y'}, "\xef\xbf\xbdy"},         // a lone low half
      {u"", ""},
  };
  for (const auto& c : cases) EXPECT_EQ(HtmlEscape(c.text), c.html);
}

TEST(GalleryPage, ListsWrittenPicturesOnlyAndEveryProblem) {
  Page page;
  page.title = u"Gallery <Office & Home>";
  page.notes.push_back(u"ENU: C:\\drv\\V_SMPRES.DLL.");
  page.problems.push_back(u"DEU: string 1100 is missing");
  std::vector<Shot> shots = PlanShots(u"ENU");
  shots.resize(3);
  shots[0].written = true;
  shots[0].width = 412;
  shots[0].height = 300;
  shots[1].problems.push_back(u"the picture is blank: the window showed nothing");
  shots[2].written = true;
  shots[2].width = 1;
  shots[2].height = 1;
  shots[2].problems.push_back(u"the text \"<b>\" does not fit its control (1001)");
  page.shots = shots;
  const std::string html = IndexHtml(page);

  EXPECT_EQ(Count(html, "<img "), 2u);
  EXPECT_NE(html.find("<img src=\"enu-status-ready-popup.png\" width=\"412\" height=\"300\""), std::string::npos);
  EXPECT_EQ(html.find("src=\"enu-status-ready-detail.png\""), std::string::npos);  // blank: not written, not shown
  EXPECT_NE(html.find("Status window - Ready (detail) - ENU<br>"), std::string::npos);
  EXPECT_NE(html.find("Status window - Ready (pop-up) - ENU - 412 x 300 px"), std::string::npos);
  EXPECT_NE(html.find("<title>Gallery &lt;Office &amp; Home&gt;</title>"), std::string::npos);
  EXPECT_NE(html.find("the text &quot;&lt;b&gt;&quot; does not fit"), std::string::npos);
  EXPECT_EQ(html.find("<b>"), std::string::npos);
  EXPECT_NE(html.find(">3 problems detected.<"), std::string::npos);
  EXPECT_EQ(ProblemCount(page), 3u);
  EXPECT_EQ(Count(html, "<figure class=\"flagged\">"), 2u);

  page.problems.clear();
  page.shots.resize(1);
  EXPECT_NE(IndexHtml(page).find("No problems detected."), std::string::npos);
  page.shots[0].problems.push_back(u"x");
  EXPECT_NE(IndexHtml(page).find(">1 problem detected.<"), std::string::npos);
}

}  // namespace
}  // namespace moni::gallery
