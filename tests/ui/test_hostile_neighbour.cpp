// A hostile neighbour: for a while, another program's thread throws random
// WM_COPYDATA blocks (0 bytes to 1 MiB, lengths in the block that lie, texts
// without terminators) and the monitor's own messages with random parameters
// at a live status window and a live tray program, and plants records of its
// own in the monitor map. Both must survive, answer at once, and still do
// their work: the status window shows the printer's next status, the tray
// program takes its icon message, and a second status request is handed to
// the open window through the map.
//
// The run is seeded; the seed is printed so that a failure can be replayed:
//   MONI_HOSTILE_SEED=<seed> MONI_HOSTILE_SECONDS=30 ctest --preset windows -R HostileNeighbour
// MONI_HOSTILE_SECONDS sets how long the neighbour works (default 6 s).
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <iterator>
#include <mutex>
#include <random>
#include <string>
#include <vector>

#include "api/start_view.h"
#include "comm/comm_thread.h"
#include "foundation/monitor_map_core.h"
#include "foundation/request_block.h"
#include "kit.h"
#include "tray/main_frame.h"
#include "tray_process.h"
#include "ui/progress/progress_meter.h"
#include "ui/prefs/startup_entry.h"
#include "ui/status/detail.h"
#include "window_support.h"

namespace moni::test {
namespace {

namespace mm = moni::monitormap;
namespace rq = moni::request;

// "@BDC ST2" replies of the sample model: ready (status 1) and paper out (18).
constexpr char kReadyReply[] = "4042444320535432" "0D0A" "1100" "010104" "0F0D03" "030150" "04025A" "050355" "01003C";
constexpr char kPaperOutReply[] =
    "4042444320535432" "0D0A" "1400" "010100" "020101" "0F0D03" "030150" "04025A" "050355" "01003C";

// The status window's own messages and the threads' results it takes.
constexpr UINT kStatusMessages[] = {WM_USERADDJOB,        WM_USERDETAIL,         WM_USERPOPUP,        WM_WAITDLG_REGISTER,
                                    WM_WAITDLG_ERROR,     WM_DETAIL_EMERGENCY,   WM_RESULT_BQSENDREV, WM_RESULT_BQDEVICEID,
                                    WM_RESULT_BQSTCHANNEL, WM_RESULT_BQSTATUS,   WM_PROGRESSIF_STATUS, WM_PROGRESSIF_WAIT,
                                    WM_PROGRESSIF_JOBFOUND};
constexpr UINT kTrayMessages[] = {moni::tray::kIconCallbackMessage, moni::tray::kReloadIconMessage};
// How long a window may take to answer before it counts as hung.
constexpr UINT kAnswerMs = 5000;

DWORD EnvNumber(const wchar_t* name, DWORD fallback) {
  wchar_t text[32] = {};
  if (GetEnvironmentVariableW(name, text, 32) == 0) return fallback;
  return static_cast<DWORD>(wcstoul(text, nullptr, 10));
}

bool Answers(HWND window) {
  DWORD_PTR result = 0;
  return SendMessageTimeoutW(window, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, kAnswerMs, &result) != 0;
}

// The neighbour's random moves.
class Neighbour {
 public:
  explicit Neighbour(std::uint32_t seed) : m_random(seed) {}

  std::uint32_t Number() { return static_cast<std::uint32_t>(m_random()); }
  std::uint64_t Wide() { return (static_cast<std::uint64_t>(Number()) << 32) | Number(); }
  size_t Below(size_t n) { return n ? static_cast<size_t>(m_random() % n) : 0; }
  bool OneIn(size_t n) { return Below(n) == 0; }

  // A size with weight on the bounds: none, around the header, small, up to 1 MiB, 1 MiB itself and one past.
  size_t BlockSize() {
    switch (Below(8)) {
      case 0: return Below(2);
      case 1: return rq::kHeaderSize - 1 + Below(3);
      case 2: return rq::kMaxBlockSize - 1 + Below(3);
      case 3: case 4: return Below(4096);
      default: return Below(rq::kMaxBlockSize + 1);
    }
  }

  // Random bytes, or a request block whose numbers lie about its size, its
  // table, its entries or its texts (which carry no terminator).
  std::vector<std::uint8_t> Block() {
    std::vector<std::uint8_t> bytes(BlockSize());
    for (auto& b : bytes) b = static_cast<std::uint8_t>(Number());
    if (bytes.size() < rq::kHeaderSize + rq::kEntrySize || OneIn(3)) return bytes;
    const size_t entries = 1 + Below(std::min<size_t>(8, (bytes.size() - rq::kHeaderSize) / rq::kEntrySize));
    const size_t tableSize = entries * rq::kEntrySize, data = rq::kHeaderSize + tableSize;
    Put(bytes, 0, Near(static_cast<std::uint32_t>(bytes.size())));
    Put(bytes, 4, Near(static_cast<std::uint32_t>(rq::kHeaderSize)));
    Put(bytes, 8, Near(static_cast<std::uint32_t>(tableSize)));
    Put(bytes, 16, Near(static_cast<std::uint32_t>(entries)));
    Put(bytes, 20, Near(static_cast<std::uint32_t>(bytes.size() - data)));
    for (size_t i = 0; i < entries; ++i) {
      const size_t at = rq::kHeaderSize + i * rq::kEntrySize;
      const std::uint32_t offset = static_cast<std::uint32_t>(data + Below(bytes.size() - data));
      Put(bytes, at, Near(offset));
      Put(bytes, at + 4, Near(static_cast<std::uint32_t>(bytes.size() - offset)));
      Put(bytes, at + 8, OneIn(2) ? rq::kKeyJobId + static_cast<std::uint32_t>(Below(2)) : Number());
      // Digits up to the very end of the block: a number without terminator.
      for (size_t k = offset; k < bytes.size() && OneIn(2); ++k) bytes[k] = static_cast<std::uint8_t>('0' + Below(10));
    }
    return bytes;
  }

  // A record for the map: a key without terminator, a near copy of a real
  // key, or a short key; handles random, of a live window or null.
  std::vector<std::uint8_t> Record(const std::wstring& realKey, HWND live) {
    std::vector<std::uint8_t> record(mm::kRecordSize);
    for (auto& b : record) b = static_cast<std::uint8_t>(Number());
    std::u16string key;
    switch (Below(3)) {
      case 0:  // every character set, no terminator in the field
        key.assign(mm::kKeyBytes / 2, u'x');
        for (auto& c : key) c = static_cast<char16_t>(1 + Below(0xFFFE));
        break;
      case 1:  // the real key followed by more, up to the field's end
        key.assign(realKey.begin(), realKey.end());
        key.resize(mm::kKeyBytes / 2, u'Z');
        break;
      default:
        key.assign(1 + Below(mm::kKeyMaxChars), u'k');
        key.push_back(0);
        break;
    }
    if (key[0] == mm::kFree || key[0] == mm::kEndMarker) key[0] = u'H';
    for (size_t i = 0; i < key.size(); ++i) {
      record[2 * i] = static_cast<std::uint8_t>(key[i]);
      record[2 * i + 1] = static_cast<std::uint8_t>(key[i] >> 8);
    }
    for (size_t field : {mm::kStatusHandleOffset, mm::kPrefsHandleOffset, mm::kTrayHandleOffset}) {
      const std::uint64_t handle = OneIn(3) ? reinterpret_cast<std::uintptr_t>(live) : OneIn(2) ? 0 : Wide();
      for (int i = 0; i < 8; ++i) record[field + i] = static_cast<std::uint8_t>(handle >> (8 * i));
    }
    return record;
  }

 private:
  // The true value, one off either way, or anything.
  std::uint32_t Near(std::uint32_t value) {
    switch (Below(5)) {
      case 0: return value - 1;
      case 1: return value + 1;
      case 2: return Number();
      default: return value;
    }
  }
  static void Put(std::vector<std::uint8_t>& b, size_t at, std::uint32_t v) {
    for (int i = 0; i < 4; ++i) b[at + i] = static_cast<std::uint8_t>(v >> (8 * i));
  }

  std::mt19937 m_random;
};

// Records planted in the sample drivers' section, removed again on the way out.
class PlantedRecords {
 public:
  PlantedRecords() : m_section(OpenFileMappingW(FILE_MAP_ALL_ACCESS, FALSE, kMapName)) {
    if (m_section) m_view = mm::MapTable(m_section.get());
  }
  ~PlantedRecords() { Clear(); }
  // Frees the planted records (a free record before the end marker is what a release leaves too).
  void Clear() {
    for (size_t record : m_planted) Bytes()[record * mm::kRecordSize] = Bytes()[record * mm::kRecordSize + 1] = 0;
    m_planted.clear();
  }
  bool ok() const { return static_cast<bool>(m_view); }

  // Puts the record into a free place before the end marker (or at the end
  // marker, which moves on). Records of others stay as they are.
  bool Plant(const std::vector<std::uint8_t>& record, size_t pick) {
    const std::span<std::uint8_t> map(Bytes(), mm::kSectionSize);
    std::vector<size_t> free;
    size_t end = 0;
    for (; end < mm::kRecordCount && mm::FirstChar(map, end) != mm::kEndMarker; ++end) {
      if (mm::FirstChar(map, end) == mm::kFree) free.push_back(end);
    }
    if (free.empty() && end + 1 >= mm::kRecordCount) return false;
    const size_t at = free.empty() ? end : free[pick % free.size()];
    if (at == end) {  // the end marker moves one record on first
      map[(end + 1) * mm::kRecordSize] = static_cast<std::uint8_t>(mm::kEndMarker);
      map[(end + 1) * mm::kRecordSize + 1] = 0;
    }
    std::copy(record.begin(), record.end(), map.begin() + static_cast<std::ptrdiff_t>(at * mm::kRecordSize));
    m_planted.push_back(at);
    return true;
  }
  size_t count() const { return m_planted.size(); }

 private:
  std::uint8_t* Bytes() { return static_cast<std::uint8_t*>(m_view.get()); }

  KernelHandle m_section;
  MappedView m_view;
  std::vector<size_t> m_planted;
};

class HostileNeighbour : public ::testing::Test {
 protected:
  void SetUp() override {
    folder = kit::MakeScenarioFolder(TempFolder() + L"bqsim_" + UniqueTestName());
    printer = L"Hostile " + UniqueTestName();
    port = L"USB4" + std::to_wstring(GetCurrentProcessId() % 90 + 10);
    ASSERT_TRUE(kit::AddPrinter(printer, kit::kDriver, port));
    // In the start-up list, so that the status window does not ask about the tray icon.
    moni::prefs::RegStartupEntry(1, Identity());
    WriteScenario(kReadyReply);
  }
  void TearDown() override {
    moni::prefs::RegStartupEntry(0, Identity());
    RemoveTargetKeysOf(printer);
    kit::DeletePrinter(printer);
    kit::RemoveScenarioFolder(folder);
  }
  void WriteScenario(const char* reply) {
    const std::string text = std::string("[Printer]\nDeviceID=MFG:TALMER;CMD:ESCPL2,BDC;MDL:SMP-100;\n") +
                             "Channels=0x10000005:0x0007\nAdvance=call\nAtEnd=stay\nReply1=" + reply + "\n";
    ASSERT_TRUE(kit::WriteScenario(kit::kOpenByPrinter, printer, text));
  }
  moni::prefs::TrayIdentity Identity() const { return {printer, kit::kDriver, port, kit::kModelID}; }
  api::ViewArguments Args() const {
    api::ViewArguments args;
    args.printer = printer;
    args.driver = kit::kDriver;
    args.port = port;
    args.model = kit::kModelID;
    return args;
  }
  view::DetailOptions Options() {
    view::DetailOptions options;
    options.statusStartMs = 50;
    options.statusTickMs = 100;
    options.commandStartMs = 20;
    options.playSound = [](HMODULE, WORD) { return true; };
    options.onUpdate = [this](const view::UpdateNote& note) {
      std::lock_guard lock(m_lock);
      shown.push_back(note.statusNo);
    };
    return options;
  }
  bool Shown(int statusNo) {
    std::lock_guard lock(m_lock);
    return std::find(shown.begin(), shown.end(), statusNo) != shown.end();
  }

  std::wstring folder, printer, port;
  std::mutex m_lock;
  std::vector<int> shown;
};

TEST_F(HostileNeighbour, StatusWindowAndTrayProgramSurviveAndStillWork) {
  const DWORD seconds = EnvNumber(L"MONI_HOSTILE_SECONDS", 6);
  const std::uint32_t seed = EnvNumber(L"MONI_HOSTILE_SEED", GetTickCount() ^ GetCurrentProcessId());
  printf("hostile neighbour: seed %u, %u s (replay: MONI_HOSTILE_SEED=%u MONI_HOSTILE_SECONDS=%u)\n", seed, static_cast<unsigned>(seconds), seed, static_cast<unsigned>(seconds));
  fflush(stdout);
  RecordProperty("seed", std::to_string(seed));

  DialogThread view([args = Args(), options = Options()] { return api::StartView(args, options); });
  ASSERT_TRUE(WaitFor([&] { return Shown(1); }, 10000)) << "the status window shows the printer ready";
  const HWND status = picture::DialogOfThread(view.id());
  ASSERT_NE(status, nullptr);
  TrayProcess tray;
  ASSERT_TRUE(tray.Start(L"/P" + std::to_wstring(printer.size()) + L" \"" + printer + L"\""));
  HWND trayWindow = nullptr;
  ASSERT_TRUE(WaitFor([&] { return (trayWindow = RunningTrayWindow(printer)) != nullptr; }, 15000)) << "the tray program registers";

  // The neighbour's own dialog: the status window takes request blocks only from a dialog.
  WindowHandle sender(CreateWindowExW(0, L"#32770", L"neighbour", 0, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr));
  ASSERT_TRUE(sender);
  PlantedRecords map;
  ASSERT_TRUE(map.ok()) << "the sample drivers' monitor map exists while the windows live";
  Neighbour n(seed);
  size_t blocks = 0, messages = 0, bytes = 0;
  const ULONGLONG end = GetTickCount64() + seconds * 1000ull;
  while (GetTickCount64() < end) {
    const bool toTray = n.OneIn(2);
    const HWND target = toTray ? trayWindow : status;
    DWORD_PTR result = 0;
    LRESULT sent = 0;
    std::string what;
    switch (n.Below(4)) {
      case 0: {
        std::vector<std::uint8_t> block = n.Block();
        COPYDATASTRUCT data{n.OneIn(8) ? n.Number() : 0u, static_cast<DWORD>(block.size()), block.empty() ? nullptr : block.data()};
        const HWND from = n.OneIn(8) ? nullptr : n.OneIn(8) ? target : sender.get();
        sent = SendMessageTimeoutW(target, WM_COPYDATA, reinterpret_cast<WPARAM>(from), reinterpret_cast<LPARAM>(&data),
                                   SMTO_ABORTIFHUNG, kAnswerMs, &result);
        what = "WM_COPYDATA of " + std::to_string(block.size()) + " bytes";
        ++blocks;
        bytes += block.size();
        break;
      }
      case 1:
      case 2: {
        UINT message = toTray ? kTrayMessages[n.Below(std::size(kTrayMessages))] : kStatusMessages[n.Below(std::size(kStatusMessages))];
        LPARAM lParam = n.OneIn(2) ? static_cast<LPARAM>(WM_MOUSEFIRST + n.Below(16)) : static_cast<LPARAM>(n.Wide());
        // A click on the icon (the low word of lParam) starts the status program or opens the
        // menu: a user's move, which the tray tests cover; the neighbour sends every other one.
        const UINT mouse = static_cast<UINT>(lParam);
        if (message == moni::tray::kIconCallbackMessage && (mouse == WM_LBUTTONDBLCLK || mouse == WM_RBUTTONDOWN)) lParam = WM_MOUSEMOVE;
        const WPARAM wParam = n.OneIn(2) ? static_cast<WPARAM>(n.Wide()) : static_cast<WPARAM>(static_cast<int>(n.Below(8)) - 4);
        sent = SendMessageTimeoutW(target, message, wParam, lParam, SMTO_ABORTIFHUNG, kAnswerMs, &result);
        what = "message " + std::to_string(message);
        ++messages;
        break;
      }
      default:
        map.Plant(n.Record(printer, n.OneIn(2) ? status : trayWindow), n.Number());
        if (map.count() > 40) map.Clear();  // a few at a time: the section is shared with other tests
        what = "a planted record";
        break;
    }
    if (what != "a planted record") {
      ASSERT_NE(sent, 0) << (toTray ? "the tray program" : "the status window") << " did not answer " << what << " (seed " << seed << ")";
    }
    ASSERT_TRUE(IsWindow(status)) << "the status window went after " << what << " (seed " << seed << ")";
    ASSERT_FALSE(tray.Ended()) << "the tray program ended after " << what << " (seed " << seed << ")";
  }
  printf("hostile neighbour: %zu blocks (%zu bytes), %zu messages, %zu records planted at the end\n", blocks, bytes, messages, map.count());

  EXPECT_TRUE(Answers(status));
  EXPECT_TRUE(Answers(trayWindow));
  // The tray program still takes its own message (the icon reload) and still holds its record.
  DWORD_PTR result = 0;
  EXPECT_NE(SendMessageTimeoutW(trayWindow, moni::tray::kReloadIconMessage, 0, 0, SMTO_ABORTIFHUNG, kAnswerMs, &result), 0);
  EXPECT_EQ(RunningTrayWindow(printer), trayWindow);
  // A second request for the printer walks the map past the planted records
  // and is handed to the open window.
  DialogThread second([args = Args(), options = view::DetailOptions{}] { return api::StartView(args, options); });
  EXPECT_TRUE(second.Finish(10000)) << "the second request is handed over";
  EXPECT_EQ(picture::DialogOfThread(second.id()), nullptr);
  // The status window still follows the printer.
  WriteScenario(kPaperOutReply);
  EXPECT_TRUE(WaitFor([&] { return Shown(18); }, 10000)) << "the status window shows paper out (seed " << seed << ")";

  PostMessageW(status, WM_CLOSE, 0, 0);
  EXPECT_TRUE(view.Finish(10000));
  PostMessageW(trayWindow, WM_CLOSE, 0, 0);
  EXPECT_EQ(tray.WaitForExit(10000), 0u);
}

}  // namespace
}  // namespace moni::test
