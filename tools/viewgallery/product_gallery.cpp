#include "product_gallery.h"

#include <windows.h>

#include <algorithm>
#include <atomic>
#include <functional>
#include <map>
#include <memory>
#include <thread>

#include "foundation/base_info.h"
#include "foundation/profile_reader.h"
#include "foundation/profile_text.h"
#include "picture/window_picture.h"
#include "platform/handles.h"
#include "platform/spooler.h"
#include "platform/text.h"
#include "tray/main_frame.h"
#include "ui/inkorder/ink_order_dialog.h"
#include "ui/prefs/duv_env_dlg.h"
#include "ui/prefs/entry_icon_dlg.h"
#include "view_gallery.h"

namespace moni::gallery {
namespace {

using moni::ToU16;
using moni::ToWide;

constexpr wchar_t kSamplePrinter[] = L"TALMER Sample Printer";
constexpr int kStatusTemplate = 102, kPreferencesTemplate = 100, kTrayMenu = 801;
constexpr int kPreferencesTrayBox = 206;  // the preferences' taskbar icon check box
constexpr DWORD kShowMs = 10000;   // a window is given this long to appear
constexpr DWORD kSettleMs = 300;   // and this long to paint once it has

// The printer, its driver's files and the libraries to picture.
struct Setup {
  std::wstring printer, driver, port, model, profile, bitmaps, installPath;
};

struct Library {
  std::wstring section;  // the language section ("ENU")
  std::wstring path;
};

std::u16string U(const std::wstring& text) { return ToU16(text); }

bool FindPrinter(const std::wstring& wanted, Setup& setup, std::wstring& error) {
  std::vector<std::wstring> names;
  if (!wanted.empty()) {
    names.push_back(wanted);
  } else if (const auto printers = moni::spooler::EnumLocalPrinters()) {
    for (const auto& p : *printers) {
      if (p.name == kSamplePrinter) names.insert(names.begin(), p.name);
      else names.push_back(p.name);
    }
  }
  for (const std::wstring& name : names) {
    std::wstring driver, port;
    if (!moni::spooler::GetPrinterDriverAndPort(name, driver, port)) continue;
    const std::wstring model = GetModelIdFromDriver(name, driver);
    if (model.empty()) continue;
    setup.printer = name;
    setup.driver = driver;
    setup.port = port;
    setup.model = model;
    if (!GetProfileName(setup.profile, driver, model, name)) {
      error = L"the driver \"" + driver + L"\" names no profile file for the model " + model;
      return false;
    }
    GetBmpDllPath(setup.bitmaps, driver, model, name);
    GetInstallPath(setup.installPath, driver, model, name);
    return true;
  }
  error = wanted.empty() ? L"no monitored printer is installed (see \"monictl printers\")"
                         : L"\"" + wanted + L"\" is no monitored printer (see \"monictl printers\")";
  return false;
}

bool SameText(const std::wstring& a, const std::wstring& b) { return _wcsicmp(a.c_str(), b.c_str()) == 0; }

// The language sections of the profile with their resource libraries, in file order.
std::vector<Library> LanguageLibraries(const std::wstring& profile) {
  std::vector<Library> libraries;
  const auto text = moni::profile::ReadIniSection(profile, L"Language", 1024 * 1024);
  if (!text) return libraries;
  const std::wstring folder = moni::profile::FolderOfPath(profile);
  for (const auto& line : moni::profile::ParseLanguageLines(moni::profile::SplitSectionLines(*text))) {
    const std::wstring section = ToWide(line.section);
    const std::wstring file = moni::profile::ReadIniString(profile, section, L"ResDll");
    libraries.push_back({section, file.empty() ? L"" : folder + file});
  }
  return libraries;
}

std::wstring FileNameOf(const std::wstring& path) { return path.substr(path.find_last_of(L"\\/") + 1); }

// --- What the gallery detects ------------------------------------------------

struct ResourceSet {
  std::map<UINT, std::wstring> strings;
  std::vector<UINT> dialogs, menus;
};

ResourceSet ResourcesOf(HMODULE library) {
  ResourceSet set;
  auto names = [&](LPCWSTR type, std::vector<UINT>& out) {
    EnumResourceNamesW(
        library, type,
        [](HMODULE, LPCWSTR, LPWSTR name, LONG_PTR param) -> BOOL {
          if (IS_INTRESOURCE(name)) reinterpret_cast<std::vector<UINT>*>(param)->push_back(static_cast<UINT>(reinterpret_cast<ULONG_PTR>(name)));
          return TRUE;
        },
        reinterpret_cast<LONG_PTR>(&out));
  };
  std::vector<UINT> blocks;
  names(RT_STRING, blocks);
  for (UINT block : blocks) {
    for (UINT id = (block - 1) * 16; id < block * 16; ++id) {
      const wchar_t* text = nullptr;
      const int n = LoadStringW(library, id, reinterpret_cast<LPWSTR>(&text), 0);
      if (n > 0 && text) set.strings[id] = std::wstring(text, static_cast<size_t>(n));
    }
  }
  names(RT_DIALOG, set.dialogs);
  names(RT_MENU, set.menus);
  return set;
}

std::wstring Shortened(const std::wstring& text) {
  std::wstring one;
  for (wchar_t c : text) one += c == L'\r' || c == L'\n' ? L' ' : c;
  return one.size() > 60 ? one.substr(0, 57) + L"..." : one;
}

// What the library lacks that the reference library has.
void CompareWithReference(const Library& library, HMODULE module, const ResourceSet& reference, const std::wstring& referenceName,
                          Page& page) {
  const ResourceSet mine = ResourcesOf(module);
  const std::wstring who = library.section + L" (" + FileNameOf(library.path) + L"): ";
  for (const auto& [id, text] : reference.strings) {
    if (mine.strings.count(id) == 0) {
      page.problems.push_back(U(who + L"string " + std::to_wstring(id) + L" is missing (" + referenceName + L": \"" + Shortened(text) + L"\")"));
    }
  }
  auto compare = [&](const std::vector<UINT>& want, const std::vector<UINT>& have, const wchar_t* what) {
    for (UINT id : want) {
      if (std::find(have.begin(), have.end(), id) == have.end()) {
        page.problems.push_back(U(who + what + L" " + std::to_wstring(id) + L" is missing (" + referenceName + L" has it)"));
      }
    }
  };
  compare(reference.dialogs, mine.dialogs, L"dialog template");
  compare(reference.menus, mine.menus, L"menu");
}

// A control whose text is measured: a text static or a push, check or radio button.
bool HoldsText(HWND control) {
  wchar_t name[32] = {};
  GetClassNameW(control, name, 32);
  const LONG style = GetWindowLongW(control, GWL_STYLE);
  if (SameText(name, L"Static")) {
    const LONG type = style & SS_TYPEMASK;
    return (type == SS_LEFT || type == SS_CENTER || type == SS_RIGHT) && (style & SS_ELLIPSISMASK) == 0;
  }
  if (SameText(name, L"Button")) {
    const LONG type = style & BS_TYPEMASK;
    return type != BS_GROUPBOX && type != BS_OWNERDRAW && (style & (BS_BITMAP | BS_ICON)) == 0;
  }
  return false;
}

// The visible texts of the window's controls that do not fit them.
void CheckTexts(HWND window, Shot& shot) {
  std::vector<HWND> controls;
  EnumChildWindows(
      window,
      [](HWND child, LPARAM param) -> BOOL {
        reinterpret_cast<std::vector<HWND>*>(param)->push_back(child);
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&controls));
  for (HWND control : controls) {
    if (!IsWindowVisible(control) || !HoldsText(control) || GetWindowTextLengthW(control) == 0) continue;
    if (picture::TextFits(control)) continue;
    wchar_t text[512] = {};
    GetWindowTextW(control, text, 512);
    shot.problems.push_back(U(L"the text \"" + Shortened(text) + L"\" does not fit its control (" + std::to_wstring(GetDlgCtrlID(control)) + L")"));
  }
}

// Takes the window's picture into the shot's file.
void Save(HWND window, const std::wstring& folder, Shot& shot) {
  RECT rect = {};
  GetWindowRect(window, &rect);
  const picture::Picture picture = picture::CaptureWindow(window);
  switch (picture::SavePicture(picture, folder + ToWide(shot.file))) {
    case picture::SaveResult::kSaved:
      shot.written = true;
      shot.width = picture.width;
      shot.height = picture.height;
      if (picture.width != rect.right - rect.left || picture.height != rect.bottom - rect.top) {
        shot.problems.push_back(U(L"the window (" + std::to_wstring(rect.right - rect.left) + L" x " +
                                  std::to_wstring(rect.bottom - rect.top) + L") reaches past the screen"));
      }
      break;
    case picture::SaveResult::kBlank: shot.problems.push_back(u"the picture is blank: the window showed nothing"); break;
    case picture::SaveResult::kNotWritten: shot.problems.push_back(u"the picture could not be written"); break;
  }
}

bool HasResource(HMODULE module, int id, LPCWSTR type) { return FindResourceW(module, MAKEINTRESOURCEW(id), type) != nullptr; }

std::u16string MissingTemplate(int id) { return u"dialog template " + U(std::to_wstring(id)) + u" is missing from the library"; }

// The first visible window of the thread with the class, or null.
HWND VisibleWindowOf(DWORD threadId, const wchar_t* className) {
  struct Search {
    const wchar_t* className;
    HWND found;
  } search{className, nullptr};
  EnumThreadWindows(
      threadId,
      [](HWND window, LPARAM param) -> BOOL {
        auto* s = reinterpret_cast<Search*>(param);
        wchar_t name[32] = {};
        GetClassNameW(window, name, 32);
        if (!IsWindowVisible(window) || std::wstring(name) != s->className) return TRUE;
        s->found = window;
        return FALSE;
      },
      reinterpret_cast<LPARAM>(&search));
  return search.found;
}

template <typename F>
bool WaitUntil(F done, DWORD ms) {
  const ULONGLONG end = GetTickCount64() + ms;
  for (;;) {
    if (done()) return true;
    if (GetTickCount64() >= end) return false;
    Sleep(20);
  }
}

// Runs `show` (which shows a window of `className` modally on its thread) on
// a thread of its own, pictures the window once it shows, and ends it with
// `close`. The shot says so when the window never showed.
void ShootModal(const std::function<void()>& show, const wchar_t* className, const std::function<void(HWND)>& close,
                const std::wstring& folder, Shot& shot, const std::function<void(HWND)>& prepare = {}) {
  std::atomic<DWORD> threadId{0};
  std::atomic<bool> done{false};
  std::thread thread([&] {
    threadId = GetCurrentThreadId();
    show();
    done = true;
  });
  HWND window = nullptr;
  WaitUntil([&] { return done.load() || (threadId.load() && (window = VisibleWindowOf(threadId, className)) != nullptr); }, kShowMs);
  if (window) {
    if (prepare) prepare(window);
    Sleep(kSettleMs);
    CheckTexts(window, shot);
    Save(window, folder, shot);
    // Closed as the user closes it; a window that does not go is asked again.
    do close(window);
    while (!WaitUntil([&] { return done.load(); }, 2000));
  } else if (!done.load()) {
    shot.problems.push_back(u"the window did not show");
    while (!WaitUntil([&] { return done.load(); }, 2000)) {
      if (HWND late = VisibleWindowOf(threadId, className)) close(late);
    }
  } else if (shot.problems.empty()) {
    shot.problems.push_back(u"the window could not be shown");
  }
  thread.join();
}

void CloseDialog(HWND dialog) { PostMessageW(dialog, WM_CLOSE, 0, 0); }

// --- The windows --------------------------------------------------------------

struct Language {
  const Library& library;
  HMODULE resource;
  HMODULE bitmaps;  // the bitmap library, else the resource library
};

void ShootStatusWindows(const Setup& setup, const Language& language, std::vector<Shot*>& shots, const std::wstring& folder) {
  if (shots.empty()) return;
  const bool german = SameText(language.library.section, L"DEU");
  moni::view::ViewContext context = SampleContext(language.resource, language.bitmaps, language.library.path);
  context.printerName = setup.printer;
  context.portName = setup.port;
  context.modelId = context.files.modelId = setup.model;
  context.files.profile = context.setupData = setup.profile;
  // One window for all pictures of a language: a window that goes away
  // costs seconds under a display without a window manager.
  ViewHost host;
  const bool made = HasResource(language.resource, kStatusTemplate, RT_DIALOG) && host.Create(context);
  for (Shot* shot : shots) {
    if (!made) {
      shot->problems.push_back(HasResource(language.resource, kStatusTemplate, RT_DIALOG) ? u"the status window's views could not be made"
                                                                                          : MissingTemplate(kStatusTemplate));
      continue;
    }
    if (!ShowSample(host, StatusSamples()[static_cast<size_t>(shot->sample)], shot->dialogType, german)) {
      shot->problems.push_back(u"the sample status could not be made");
      continue;
    }
    if (GetWindowTextLengthW(host.window()) == 0) shot->problems.push_back(u"the window has no caption");
    CheckTexts(host.window(), *shot);
    Save(host.window(), folder, *shot);
  }
}

void ShootPreferences(const Setup& setup, const Language& language, const std::wstring& bitmapsPath, const std::wstring& folder,
                      Shot& shot) {
  if (!HasResource(language.resource, kPreferencesTemplate, RT_DIALOG)) {
    shot.problems.push_back(MissingTemplate(kPreferencesTemplate));
    return;
  }
  ShootModal(
      [&] {
        // The printer's settings as stored; Cancel (the close box) writes nothing.
        CDuvEnvDlg dialog({setup.printer, setup.driver, setup.port, setup.model, setup.profile, language.library.path, bitmapsPath,
                           setup.installPath},
                          moni::prefs::DuvEnvOptions::ForRunningSystem());
        if (dialog.Initialize()) dialog.DoModal(nullptr);
      },
      L"#32770", CloseDialog, folder, shot, [&](HWND dialog) {
        // The taskbar icon ticked as a user ticks it: the design list and the
        // preview follow; closing without OK keeps the stored setting.
        HWND box = GetDlgItem(dialog, kPreferencesTrayBox);
        if (shot.sample == 1 && box && SendMessageW(box, BM_GETCHECK, 0, 0) != BST_CHECKED) SendMessageW(box, BM_CLICK, 0, 0);
      });
}

void ShootTrayQuestion(const Setup& setup, const Language& language, const std::wstring& folder, Shot& shot) {
  if (!HasResource(language.resource, CEntryIconDlg::kTemplate, RT_DIALOG)) {
    shot.problems.push_back(MissingTemplate(CEntryIconDlg::kTemplate));
    return;
  }
  ShootModal(
      [&] {
        CEntryIconDlg dialog(language.resource, setup.printer);
        dialog.DoModal();
      },
      L"#32770", CloseDialog, folder, shot);
}

void ShootInkOrder(const Setup& setup, const Language& language, const std::wstring& folder, Shot& shot) {
  if (!HasResource(language.resource, CInkOrderDialog::kTemplate, RT_DIALOG)) {
    shot.problems.push_back(MissingTemplate(CInkOrderDialog::kTemplate));
    return;
  }
  const InkOrderSample& sample = InkOrderSamples()[static_cast<size_t>(shot.sample)];
  moni::inkorder::CInkOrderInfo info;
  const moni::inkorder::OptionBlock options{sample.mode, sample.inkLeft, u"00000001", u"03040501"};
  if (!info.SetOptions(&options)) {
    shot.problems.push_back(u"the sample order could not be set up");
    return;
  }
  info.printer = U(setup.printer);
  info.driver = U(setup.driver);
  info.port = U(setup.port);
  info.model = U(setup.model);
  moni::inkorder::RebuildOrderInfo(info, language.resource);
  // The ordering dialog of the menu reads the levels: those of the ready sample.
  auto readPrinter = [](const std::wstring&, const std::wstring&, moni::status::StatusBuff& record) {
    const auto ready = StatusOf(StatusSamples().front());
    return ready && ready->GetStatusBuff(&record) != 0;
  };
  // Without the printer's key the dialog stores nothing when it is closed.
  CInkOrderDialog dialog(info, {language.resource, language.bitmaps, L"", {language.library.path, setup.profile, setup.model}, readPrinter});
  ShootModal([&] { dialog.DoModal(); }, L"#32770", CloseDialog, folder, shot);
}

// The tray program's menu, built by its frame from the library and the
// setup data, opened as a popup menu of an owner window of the gallery.
LRESULT CALLBACK MenuOwnerProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  auto* frame = reinterpret_cast<CMainFrame*>(GetWindowLongPtrW(window, GWLP_USERDATA));
  if (frame && message == WM_MEASUREITEM) {
    frame->OnMeasureItem(*reinterpret_cast<MEASUREITEMSTRUCT*>(lParam));
    return TRUE;
  }
  if (frame && message == WM_DRAWITEM) {
    frame->OnDrawItem(*reinterpret_cast<const DRAWITEMSTRUCT*>(lParam));
    return TRUE;
  }
  return DefWindowProcW(window, message, wParam, lParam);
}

void ShootTrayMenu(const Setup& setup, const Language& language, const std::wstring& folder, Shot& shot) {
  if (!HasResource(language.resource, kTrayMenu, RT_MENU)) {
    shot.problems.push_back(u"menu 801 is missing from the library");
    return;
  }
  ShootModal(
      [&] {
        WNDCLASSW wc = {};
        wc.lpfnWndProc = &MenuOwnerProc;
        wc.hInstance = GetModuleHandleW(nullptr);
        wc.lpszClassName = L"MoniGalleryMenuOwner";
        RegisterClassW(&wc);
        WindowHandle owner(CreateWindowExW(WS_EX_TOOLWINDOW, wc.lpszClassName, L"", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr, wc.hInstance, nullptr));
        if (!owner) return;
        CMainFrame frame;
        frame.m_hWnd = owner.get();
        frame.m_szPrinterName = setup.printer;
        frame.m_szDriverName = setup.driver;
        frame.m_szPortName = setup.port;
        frame.m_szModelID = setup.model;
        if (!frame.BuildMenu(language.resource, language.bitmaps)) return;
        SetWindowLongPtrW(owner.get(), GWLP_USERDATA, reinterpret_cast<LONG_PTR>(&frame));
        SetForegroundWindow(owner.get());
        // The command is returned, not carried out.
        TrackPopupMenu(frame.PopupMenu(), TPM_RIGHTBUTTON | TPM_RETURNCMD | TPM_NONOTIFY, 60, 60, 0, owner.get(), nullptr);
        SetWindowLongPtrW(owner.get(), GWLP_USERDATA, 0);
      },
      L"#32768", [](HWND menu) { PostMessageW(menu, WM_KEYDOWN, VK_ESCAPE, 0); }, folder, shot);
}

void RenderLanguage(const Setup& setup, const Library& library, const std::wstring& folder, std::vector<Shot>& shots, Page& page) {
  const Module resource(LoadLibraryExW(library.path.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE));
  const Module bitmapLibrary(setup.bitmaps.empty() ? nullptr : LoadLibraryExW(setup.bitmaps.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE));
  const Language language{library, resource.get(), bitmapLibrary ? bitmapLibrary.get() : resource.get()};
  std::vector<Shot*> status;
  for (Shot& shot : shots) {
    if (shot.kind == WindowKind::StatusWindow) status.push_back(&shot);
  }
  ShootStatusWindows(setup, language, status, folder);
  for (Shot& shot : shots) {
    switch (shot.kind) {
      case WindowKind::StatusWindow: break;
      case WindowKind::Preferences: ShootPreferences(setup, language, bitmapLibrary ? setup.bitmaps : L"", folder, shot); break;
      case WindowKind::TrayQuestion: ShootTrayQuestion(setup, language, folder, shot); break;
      case WindowKind::InkOrder: ShootInkOrder(setup, language, folder, shot); break;
      case WindowKind::TrayMenu: ShootTrayMenu(setup, language, folder, shot); break;
    }
  }
  page.shots.insert(page.shots.end(), shots.begin(), shots.end());
}

bool WriteWholeFile(const std::wstring& path, const std::string& bytes) {
  KernelHandle file(CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
  DWORD written = 0;
  return file && ::WriteFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) && written == bytes.size();
}

bool MakeFolder(const std::wstring& folder) {
  for (size_t i = folder.find(L'\\', 3); i != std::wstring::npos; i = folder.find(L'\\', i + 1)) {
    CreateDirectoryW(folder.substr(0, i).c_str(), nullptr);
  }
  const DWORD attributes = GetFileAttributesW(folder.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

}  // namespace

bool RenderGallery(const GalleryOptions& options, Page& page, std::wstring& error) {
  page = {};
  std::wstring folder = options.outFolder;
  if (folder.empty() || folder.back() != L'\\') folder += L'\\';
  Setup setup;
  if (!FindPrinter(options.printer, setup, error)) return false;
  const std::vector<Library> all = LanguageLibraries(setup.profile);
  if (all.empty()) {
    error = L"the profile " + setup.profile + L" has no language section";
    return false;
  }
  std::vector<Library> chosen;
  std::wstring sections;
  for (const Library& library : all) {
    sections += (sections.empty() ? L"" : L", ") + library.section;
    if (options.language.empty() || SameText(options.language, library.section)) chosen.push_back(library);
  }
  if (chosen.empty()) {
    error = L"the setup data has no language section \"" + options.language + L"\" (it has " + sections + L")";
    return false;
  }
  if (!MakeFolder(folder)) {
    error = L"the folder " + folder + L" cannot be made";
    return false;
  }
  // The reference: the first installed library of the setup data.
  const Library* reference = nullptr;
  for (const Library& library : all) {
    if (!reference && !library.path.empty() && moni::profile::FileExists(library.path)) reference = &library;
  }
  page.title = u"Window gallery: " + U(setup.printer) + u" (" + U(setup.model) + u")";
  page.notes.push_back(U(L"Printer " + setup.printer + L", driver " + setup.driver + L", profile " + setup.profile + L"."));
  if (!options.resource.empty()) {
    chosen.resize(1);
    chosen.front().path = options.resource;
  }
  ResourceSet referenceSet;
  if (reference) {
    const Module module(LoadLibraryExW(reference->path.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE));
    if (module) referenceSet = ResourcesOf(module.get());
  }
  for (const Library& library : chosen) {
    if (library.path.empty() || !moni::profile::FileExists(library.path)) {
      if (!options.resource.empty() || !options.language.empty()) {
        error = library.section + L": the resource library " + (library.path.empty() ? L"(none named)" : library.path) + L" does not exist";
        return false;
      }
      page.notes.push_back(U(library.section + L": " + FileNameOf(library.path) +
                             L" is not installed; users of this language get the language fallback (not pictured)."));
      continue;
    }
    const Module module(LoadLibraryExW(library.path.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE));
    if (!module) {
      error = library.section + L": the resource library " + library.path + L" cannot be loaded (error " + std::to_wstring(GetLastError()) + L")";
      return false;
    }
    page.notes.push_back(U(library.section + L": " + library.path + L"."));
    if (reference && !SameText(reference->path, library.path)) CompareWithReference(library, module.get(), referenceSet, FileNameOf(reference->path), page);
    std::vector<Shot> shots = PlanShots(U(library.section));
    RenderLanguage(setup, library, folder, shots, page);
  }
  if (!WriteWholeFile(folder + L"index.html", IndexHtml(page))) {
    error = L"the page " + folder + L"index.html cannot be written";
    return false;
  }
  return true;
}

}  // namespace moni::gallery
