#include "view_gallery.h"

#include <commctrl.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "picture/window_picture.h"
#include "platform/text.h"
#include "status/status_info.h"
#include "ui/common/sector_graph.h"

namespace moni::gallery {
namespace {

constexpr std::uint32_t kLocalChannel = 0x10000005;

struct Language {
  const wchar_t* code;
  const wchar_t* library;
  bool german;
};
constexpr Language kLanguages[] = {{L"en", L"V_SMPRES.DLL", false}, {L"de", L"V_SMPRDE.DLL", true}};

// The product gallery's states and a two-ink model.
const std::vector<StatusSample>& Samples() {
  static const std::vector<StatusSample> samples = [] {
    std::vector<StatusSample> all = StatusSamples();
    all.push_back({u"twoink", u"Two inks", "010104" "0F0703" "010023" "030146", 0, false, false, 35, 70, false});
    return all;
  }();
  return samples;
}

std::vector<BYTE> Reply(const char* fields) {
  std::vector<BYTE> reply = {'@', 'B', 'D', 'C', ' ', 'S', 'T', '2', '\r', '\n', 0, 0};
  for (const char* p = fields; p[0] && p[1]; p += 2) {
    const char pair[3] = {p[0], p[1], 0};
    reply.push_back(static_cast<BYTE>(std::strtoul(pair, nullptr, 16)));
  }
  const size_t length = reply.size() - 12;
  reply[10] = static_cast<BYTE>(length & 0xFF);
  reply[11] = static_cast<BYTE>(length >> 8);
  return reply;
}

// A sample job (the document and media names given), or an empty record
// that is not valid.
CProgressInfo SampleProgress(const wchar_t* document, const wchar_t* media, bool valid) {
  CProgressInfo progress;
  std::memset(&progress.m_Record, 0, sizeof progress.m_Record);
  progress.m_bValid = valid;
  progress.m_bJobAccepted = true;
  if (!valid) return progress;
  auto copy = [](char16_t* to, const wchar_t* from) {
    for (size_t i = 0; i + 1 < 64 && from[i]; ++i) to[i] = static_cast<char16_t>(from[i]);
  };
  moni::progress::JobRecord& r = progress.m_Record;
  r.dwJobId = 7;
  r.dwParam = 1;
  copy(r.szDocument, document);
  r.wPaperCodes[0] = 1;
  r.wPaperCodes[1] = 2;
  r.wPaperCodes[2] = 3;
  copy(r.szMediaType, media);
  copy(r.szPaperSize, L"A4");
  r.dwSheets[0] = 2;
  r.dwSheets[1] = 3;
  r.dwProgress[0] = 2;
  r.dwProgress[1] = 3;
  r.bInfo104 = 1;
  r.dwInfo104 = 95;
  return progress;
}

// A status object of a status number without a reply (21 communication
// error, 1000 searching).
std::unique_ptr<CPrinterStatus> StatusFromNumber(int statusNo) {
  const CStatusInfo info(nullptr, moni::status::SpoolerSteps::None());
  return info.CreateStatusObject(0, nullptr, 0, statusNo, 0, FALSE);
}

INT_PTR CALLBACK MinimalProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_INITDIALOG:
      SetWindowLongPtrW(hwnd, DWLP_USER, lParam);
      return FALSE;
    case WM_CTLCOLORDLG:
      return reinterpret_cast<INT_PTR>(GetStockObject(WHITE_BRUSH));
    case WM_DRAWITEM: {
      auto* view = reinterpret_cast<CDialogView*>(GetWindowLongPtrW(hwnd, DWLP_USER));
      SetWindowLongPtrW(hwnd, DWLP_MSGRESULT, view && view->DrawItem(*reinterpret_cast<const DRAWITEMSTRUCT*>(lParam)));
      return TRUE;
    }
    default:
      return FALSE;
  }
}

void Note(Result& result, const Report& report, const std::wstring& name, picture::SaveResult saved) {
  if (saved == picture::SaveResult::kSaved) {
    ++result.saved;
    if (report) report(name);
  } else {
    result.failures.push_back(name + (saved == picture::SaveResult::kBlank ? L": blank" : L": not written"));
    if (report) report(result.failures.back());
  }
}

}  // namespace

void Pump() {
  MSG msg;
  while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
}

std::unique_ptr<CPrinterStatus> StatusFromFields(const char* hexFields, bool troubleshooting) {
  const std::vector<BYTE> reply = Reply(hexFields);
  const CStatusInfo info(nullptr, moni::status::SpoolerSteps::None());
  auto status = info.CreateStatusObject(kLocalChannel, reply.data(), reply.size(), 0, 0, FALSE);
  if (!status || !troubleshooting) return status;
  // The same status with a troubleshooting aid (the sample profile has none).
  moni::status::StatusBuff record{};
  status->GetStatusBuff(&record);
  moni::status::StatusClassInfo classInfo;
  classInfo.pStatusBuff = status->HaveStatus() ? &record : nullptr;
  classInfo.row = status->Row();
  classInfo.kindRow = status->KindRow();
  classInfo.ts.dwType = moni::status::kTsResource;
  return std::make_unique<CPrinterStatus>(classInfo);
}

ViewHost::~ViewHost() {
  m_view.Destroy();
  m_window.reset();
}

bool ViewHost::Create(const moni::view::ViewContext& context) {
  static const bool controls = [] {
    INITCOMMONCONTROLSEX init = {sizeof init, ICC_PROGRESS_CLASS};
    return InitCommonControlsEx(&init) != FALSE;
  }();
  (void)controls;
  m_window.reset(CreateDialogParamW(context.resource, MAKEINTRESOURCEW(102), nullptr, &MinimalProc, reinterpret_cast<LPARAM>(&m_view)));
  if (!m_window) return false;
  SetWindowPos(m_window.get(), nullptr, 40, 40, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  return m_view.Create(m_window.get(), context);
}

moni::view::ViewContext SampleContext(HMODULE resource, HMODULE bitmaps, const std::wstring& path) {
  moni::view::ViewContext context;
  context.resource = resource;
  context.bitmaps = bitmaps;
  context.printerName = L"TALMER Sample Printer";
  context.portName = L"USB001";
  context.files.resourceLibrary = path;
  context.files.modelId = L"SMP-100";
  context.modelId = L"SMP-100";
  return context;
}

std::vector<std::wstring> StateNames() {
  std::vector<std::wstring> names;
  for (const StatusSample& sample : Samples()) names.push_back(ToWide(sample.key));
  return names;
}

std::unique_ptr<CPrinterStatus> StatusOf(const StatusSample& sample) {
  return sample.fields ? StatusFromFields(sample.fields, sample.troubleshooting) : StatusFromNumber(sample.statusNo);
}

bool ShowSample(ViewHost& host, const StatusSample& sample, int type, bool german) {
  const std::unique_ptr<CPrinterStatus> status = StatusOf(sample);
  if (!status) return false;
  CDialogView& view = host.view();
  // The progress type belongs to a job being printed.
  const CProgressInfo progress = SampleProgress(german ? L"Quartalsbericht.docx" : L"Quarterly report.docx",
                                                german ? L"Normalpapier" : L"Plain paper", sample.printing || type == 3);
  view.SetInkOrderButtons(sample.inkOrder, L"");
  view.SetViewStatus(status.get(), &progress);
  view.ChangeDialogType(type);
  view.InkView().ChangeTankTagchipRemain(sample.black, sample.colour);
  SetWindowTextW(host.window(), view.Caption().c_str());
  Pump();
  return true;
}

Result RenderViews(const std::wstring& libraryFolder, const std::wstring& outFolder, const Report& report) {
  Result result;
  const Module bitmaps(LoadLibraryExW((libraryFolder + L"V_SMPBMP.DLL").c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE));
  for (const Language& language : kLanguages) {
    const std::wstring libraryPath = libraryFolder + language.library;
    const Module resource(LoadLibraryExW(libraryPath.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE));
    if (!resource) {
      result.failures.push_back(std::wstring(language.library) + L": not loaded");
      continue;
    }
    // One window for all pictures of a language: a window that goes away
    // costs seconds under a display without a window manager.
    ViewHost host;
    if (!host.Create(SampleContext(resource.get(), bitmaps.get(), libraryPath))) {
      result.failures.push_back(std::wstring(language.library) + L": view not made");
      continue;
    }
    for (const StatusSample& sample : Samples()) {
      for (const DialogTypeName& type : StatusDialogTypes()) {
        const std::wstring name = std::wstring(language.code) + L"-" + ToWide(sample.key) + L"-" + ToWide(type.key) + L".png";
        if (!ShowSample(host, sample, type.type, language.german)) {
          result.failures.push_back(ToWide(sample.key) + L": status not made");
          continue;
        }
        Note(result, report, name, picture::SaveWindowPicture(host.window(), outFolder + name));
      }
    }
  }
  return result;
}

Result RenderGauges(const std::wstring& libraryFolder, const std::wstring& outFolder, const Report& report) {
  Result result;
  const Module bitmaps(LoadLibraryExW((libraryFolder + L"V_SMPBMP.DLL").c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE));
  WNDCLASSW wc = {};
  wc.lpfnWndProc = &DefWindowProcW;
  wc.hInstance = GetModuleHandleW(nullptr);
  wc.hbrBackground = reinterpret_cast<HBRUSH>(static_cast<INT_PTR>(COLOR_BTNFACE + 1));
  wc.lpszClassName = L"MoniGaugeGallery";
  RegisterClassW(&wc);
  WindowHandle window(CreateWindowExW(WS_EX_TOPMOST, wc.lpszClassName, L"Ink gauge", WS_POPUP | WS_CAPTION | WS_VISIBLE, 40, 40,
                                      4 * 190 + 20, 2 * 110 + 40, nullptr, nullptr, wc.hInstance, nullptr));
  if (!window) {
    result.failures.push_back(L"gauge window not made");
    return result;
  }
  // With the rule's full turn for 0 to 100 and the centre low in the control,
  // a half-round gauge shows a level L as the value 50 + L / 2.
  struct Gauge {
    int value, state;
  };
  const Gauge gauges[] = {{100, 0}, {88, 2}, {75, 0}, {56, 3}, {1, 0}, {60, 1}, {50, 4}, {70, 6}};
  std::unique_ptr<CSectorGraph> graphs[std::size(gauges)];
  for (size_t i = 0; i < std::size(gauges); ++i) {
    const int id = 31002 + static_cast<int>(i);
    const int x = 10 + static_cast<int>(i % 4) * 190, y = 10 + static_cast<int>(i / 4) * 110;
    CreateWindowExW(0, L"Static", L"", WS_CHILD, x, y, 180, 80, window.get(), reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), nullptr,
                    nullptr);
    wchar_t label[40];
    std::swprintf(label, 40, L"value %d, state %d", gauges[i].value, gauges[i].state);
    HWND text = CreateWindowExW(0, L"Static", label, WS_CHILD | WS_VISIBLE | SS_CENTER, x, y + 84, 180, 16, window.get(), nullptr,
                                nullptr, nullptr);
    SendMessageW(text, WM_SETFONT, reinterpret_cast<WPARAM>(GetStockObject(DEFAULT_GUI_FONT)), FALSE);
    graphs[i] = std::make_unique<CSectorGraph>();
    if (!graphs[i]->Create(window.get(), id, bitmaps.get())) {
      result.failures.push_back(L"gauge not made");
      return result;
    }
    graphs[i]->SetLowThreshold(60);
    graphs[i]->SetMarker(true, {40, 30});
    graphs[i]->Set(gauges[i].value, gauges[i].state);
  }
  Pump();
  Note(result, report, L"gauge.png", picture::SaveWindowPicture(window.get(), outFolder + L"gauge.png"));
  return result;
}

}  // namespace moni::gallery
