// The product gallery run as "monictl gallery" runs it, into a folder of the
// test: the page shows every picture written and nothing else, each picture
// has its window's size and shows something, the shipped libraries have
// nothing to flag, and a library without templates is flagged, not a crash.
#include <gtest/gtest.h>
#include <windows.h>

#include <regex>
#include <set>

#include "kit.h"
#include "picture/png.h"
#include "platform/text.h"
#include "platform/text_core.h"
#include "product_gallery.h"
#include "window_support.h"

namespace moni::test {
namespace {

using moni::NarrowUtf8;
using moni::ToU16;
using moni::ToWide;
using moni::WidenUtf8;
using gallery::GalleryOptions;
using gallery::Page;

std::uint32_t Big32(const std::string& b, size_t at) {
  return static_cast<std::uint32_t>(static_cast<unsigned char>(b[at])) << 24 | static_cast<std::uint32_t>(static_cast<unsigned char>(b[at + 1])) << 16 |
         static_cast<std::uint32_t>(static_cast<unsigned char>(b[at + 2])) << 8 | static_cast<unsigned char>(b[at + 3]);
}

// The pixels of a PNG as the gallery writes it (one IDAT of stored deflate
// blocks, RGB rows without filter); an empty picture for anything else.
picture::Picture Decode(const std::string& png) {
  picture::Picture p;
  if (png.size() < 41 || png.compare(12, 4, "IHDR") != 0 || png.compare(37, 4, "IDAT") != 0) return p;
  const int width = static_cast<int>(Big32(png, 16)), height = static_cast<int>(Big32(png, 20));
  const size_t length = Big32(png, 33), begin = 41;
  if (begin + length > png.size() || length < 2) return p;
  std::string raw;
  for (size_t at = begin + 2; at + 5 <= begin + length;) {
    const bool last = png[at] & 1;
    const size_t n = static_cast<unsigned char>(png[at + 1]) | static_cast<size_t>(static_cast<unsigned char>(png[at + 2])) << 8;
    if (at + 5 + n > begin + length) return p;
    raw.append(png, at + 5, n);
    at += 5 + n;
    if (last) break;
  }
  if (raw.size() != static_cast<size_t>(height) * (1 + 3 * static_cast<size_t>(width))) return p;
  p.width = width;
  p.height = height;
  for (int y = 0; y < height; ++y) {
    const char* row = raw.data() + static_cast<size_t>(y) * (1 + 3 * width) + 1;
    for (int x = 0; x < width; ++x) {
      p.bgrx.insert(p.bgrx.end(), {static_cast<std::uint8_t>(row[3 * x + 2]), static_cast<std::uint8_t>(row[3 * x + 1]),
                                   static_cast<std::uint8_t>(row[3 * x]), 0});
    }
  }
  return p;
}

std::set<std::wstring> PngFilesIn(const std::wstring& folder) {
  std::set<std::wstring> files;
  WIN32_FIND_DATAW data;
  HANDLE find = FindFirstFileW((folder + L"*.png").c_str(), &data);
  if (find == INVALID_HANDLE_VALUE) return files;
  do files.insert(data.cFileName);
  while (FindNextFileW(find, &data));
  FindClose(find);
  return files;
}

void RemoveFolder(const std::wstring& folder) {
  for (const std::wstring& file : PngFilesIn(folder)) DeleteFileW((folder + file).c_str());
  DeleteFileW((folder + L"index.html").c_str());
  RemoveDirectoryW(folder.c_str());
}

std::string Problems(const Page& page) {
  std::u16string all;
  for (const auto& p : page.problems) all += p + u"\n";
  for (const auto& shot : page.shots) {
    for (const auto& p : shot.problems) all += shot.file + u": " + p + u"\n";
  }
  return gallery::HtmlEscape(all);
}

class Gallery : public ::testing::Test {
 protected:
  void SetUp() override {
    printer = L"Gallery " + UniqueTestName();
    folder = TempFolder() + L"gallery_" + UniqueTestName() + L"\\";
    RemoveFolder(folder);
    ASSERT_TRUE(kit::AddPrinter(printer, kit::kDriver, L"USB001"));
  }
  void TearDown() override {
    RemoveTargetKeysOf(printer);
    kit::DeletePrinter(printer);
    RemoveFolder(folder);
  }
  GalleryOptions Options() const {
    GalleryOptions options;
    options.outFolder = folder;
    options.printer = printer;
    return options;
  }
  std::wstring printer, folder;
};

TEST_F(Gallery, PageShowsEveryPictureAtItsWindowsSizeAndTheShippedLibrariesHaveNothingToFlag) {
  Page page;
  std::wstring error;
  ASSERT_TRUE(gallery::RenderGallery(Options(), page, error)) << NarrowUtf8(ToU16(error));
  // English and German; the French library is not shipped (the fallback case).
  ASSERT_EQ(page.shots.size(), 2 * gallery::PlanShots(u"ENU").size());
  EXPECT_EQ(Problems(page), "");

  const std::string html = ReadFileBytes(folder + L"index.html");
  const std::regex image("<img src=\"([^\"]+)\" width=\"([0-9]+)\" height=\"([0-9]+)\"");
  std::set<std::wstring> listed;
  for (auto it = std::sregex_iterator(html.begin(), html.end(), image); it != std::sregex_iterator(); ++it) {
    const std::wstring file = ToWide(WidenUtf8((*it)[1].str()));
    SCOPED_TRACE((*it)[1].str());
    EXPECT_TRUE(listed.insert(file).second);
    const std::string png = ReadFileBytes(folder + file);
    ASSERT_GT(png.size(), 24u);
    EXPECT_EQ(Big32(png, 16), std::stoul((*it)[2].str()));
    EXPECT_EQ(Big32(png, 20), std::stoul((*it)[3].str()));
    const picture::Picture pixels = Decode(png);
    ASSERT_EQ(pixels.width, static_cast<int>(Big32(png, 16)));
    EXPECT_FALSE(picture::IsBlank(pixels));
  }
  EXPECT_EQ(listed, PngFilesIn(folder));  // nothing written that the page does not show
  EXPECT_EQ(listed.size(), page.shots.size());
  for (const auto& shot : page.shots) {
    if (shot.kind != gallery::WindowKind::StatusWindow) continue;
    // The status window's size is the one its dialog type lays out, frame and caption included.
    EXPECT_GT(shot.width, 100) << NarrowUtf8(shot.file);
    EXPECT_GT(shot.height, GetSystemMetrics(SM_CYCAPTION)) << NarrowUtf8(shot.file);
  }
  EXPECT_NE(html.find("Status window - Paper out (detail) - DEU - "), std::string::npos);
  EXPECT_NE(html.find("V_SMPRFR.DLL is not installed"), std::string::npos);
}

// A library with the status window's templates and nothing else: the other
// windows are flagged with what is missing, and so are the missing strings.
TEST_F(Gallery, LibraryWithoutTemplatesIsFlaggedInThePage) {
  GalleryOptions options = Options();
  options.language = L"DEU";
  options.resource = kit::ProgramFolder() + L"window_templates.dll";
  Page page;
  std::wstring error;
  ASSERT_TRUE(gallery::RenderGallery(options, page, error)) << NarrowUtf8(ToU16(error));
  const std::string html = ReadFileBytes(folder + L"index.html");
  for (const char* flag : {"Monitoring preferences - As stored - DEU<br><span class=\"problem\">dialog template 100 is missing from the library",
                           "Tray icon question - Asked - DEU<br><span class=\"problem\">dialog template 145 is missing from the library",
                           "Ink order - Reminder at 5 % - DEU<br><span class=\"problem\">dialog template 140 is missing from the library",
                           "Tray menu - Open - DEU<br><span class=\"problem\">menu 801 is missing from the library",
                           "DEU (window_templates.dll): string 1100 is missing (V_SMPRES.DLL: &quot;TALMER Vigilo 3&quot;)"}) {
    EXPECT_NE(html.find(flag), std::string::npos) << flag;
  }
  // The status window itself is still pictured.
  EXPECT_NE(html.find("<img src=\"deu-status-ready-detail.png\""), std::string::npos);

  options.language = L"XYZ";
  EXPECT_FALSE(gallery::RenderGallery(options, page, error));
  EXPECT_EQ(error, L"the setup data has no language section \"XYZ\" (it has ENU, DEU, FRA)");
  options.language.clear();
  options.resource = folder + L"none.dll";
  EXPECT_FALSE(gallery::RenderGallery(options, page, error));
  EXPECT_NE(error.find(L"does not exist"), std::wstring::npos);
}

}  // namespace
}  // namespace moni::test
