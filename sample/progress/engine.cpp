#include "engine.h"

#include <windows.h>
#include <shlobj.h>

#include <chrono>
#include <cstdio>
#include <cstring>
#include <map>
#include <mutex>
#include <optional>

#include "job_scenario.h"
#include "platform/handles.h"

namespace pgsim {

namespace {

using Clock = std::chrono::steady_clock;
constexpr ULONGLONG kMaxFileSize = 1 << 20;

std::string Utf8(const std::wstring& text) {
  if (text.empty()) return {};
  const int n = WideCharToMultiByte(CP_UTF8, 0, text.c_str(), static_cast<int>(text.size()), nullptr, 0, nullptr, nullptr);
  std::string out(n > 0 ? n : 0, '\0');
  if (n > 0) WideCharToMultiByte(CP_UTF8, 0, text.c_str(), static_cast<int>(text.size()), out.data(), n, nullptr, nullptr);
  return out;
}

std::wstring Folder() {
  wchar_t dir[MAX_PATH + 1] = {};
  const DWORD n = GetEnvironmentVariableW(L"PGSIM_DIR", dir, MAX_PATH + 1);
  if (n > 0 && n <= MAX_PATH) return dir;
  wchar_t common[MAX_PATH] = {};
  if (FAILED(SHGetFolderPathW(nullptr, CSIDL_COMMON_APPDATA, nullptr, SHGFP_TYPE_CURRENT, common))) return {};
  return std::wstring(common) + L"\\PGSim";
}

std::string Hex(std::uint32_t v) {
  char text[11];
  snprintf(text, sizeof text, "0x%08X", static_cast<unsigned>(v));
  return text;
}

// One running job of a printer.
struct JobRun {
  bool started = false, ended = false, paused = false, waitRaised = false;
  double elapsedMs = 0;  // of running: not paused and not waiting
  Clock::time_point last;
  std::uint32_t wait = 0, status = 0;
};

struct PrinterState {
  ULONGLONG stamp = 0, size = 0;
  std::optional<JobScenario> scenario;
  std::vector<JobRun> runs;
  std::map<std::string, unsigned> calls;  // per operation and per operation:information
};

struct State {
  std::mutex lock;
  std::map<std::string, PrinterState> printers;  // by printer name (UTF-8)
  std::map<std::uint32_t, std::string> handles;  // open handle -> printer
  std::uint32_t nextHandle = 0x1000, nextInstance = 0x10;
};

State& Shared() {
  static State& state = *new State;  // never destroyed: calls may come during process end
  return state;
}

void Journal(const std::string& line) {
  const std::wstring folder = Folder();
  if (folder.empty()) return;
  moni::KernelHandle file(CreateFileW((folder + L"\\journal.log").c_str(), FILE_APPEND_DATA,
                                      FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_ALWAYS,
                                      FILE_ATTRIBUTE_NORMAL, nullptr));
  const std::string text = std::to_string(GetCurrentProcessId()) + " " + line + "\r\n";
  DWORD written = 0;
  OVERLAPPED atEnd = {};
  atEnd.Offset = atEnd.OffsetHigh = 0xFFFFFFFF;
  if (file) WriteFile(file.get(), text.data(), static_cast<DWORD>(text.size()), &written, &atEnd);
}

std::string JournalName(const std::string& printer) {
  std::string out;
  for (char c : printer) out += c == ' ' ? std::string("%20") : std::string(1, c);
  return out.empty() ? "-" : out;
}

// The printer's state with its scenario read again when the file changed.
PrinterState* Printer(State& state, const std::string& name) {
  const std::wstring folder = Folder();
  const std::string file = bqsim::ScenarioFileName(1, name);
  const std::wstring path = folder + L"\\" + std::wstring(file.begin(), file.end());
  WIN32_FILE_ATTRIBUTE_DATA data;
  if (folder.empty() || !GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data)) return nullptr;
  const ULONGLONG stamp = static_cast<ULONGLONG>(data.ftLastWriteTime.dwHighDateTime) << 32 | data.ftLastWriteTime.dwLowDateTime;
  const ULONGLONG size = static_cast<ULONGLONG>(data.nFileSizeHigh) << 32 | data.nFileSizeLow;
  PrinterState& printer = state.printers[name];
  if (printer.stamp == stamp && printer.size == size) return &printer;
  printer = PrinterState();
  printer.stamp = stamp;
  printer.size = size;
  if (size > kMaxFileSize) return &printer;
  moni::KernelHandle handle(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                        nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  std::string text(static_cast<size_t>(size), '\0');
  DWORD got = 0;
  if (!handle || (size && !ReadFile(handle.get(), text.data(), static_cast<DWORD>(size), &got, nullptr))) return &printer;
  text.resize(got);
  std::string error;
  printer.scenario = ParseJobScenario(text, error);
  if (!printer.scenario) Journal("scenario " + JournalName(name) + " invalid: " + error);
  printer.runs.assign(printer.scenario ? printer.scenario->jobs.size() : 0, JobRun());
  return &printer;
}

// Brings the printer's jobs up to now: the current job runs while it neither
// waits nor is paused, and ends after its duration; then the next one starts.
void Advance(PrinterState& printer) {
  const auto& jobs = printer.scenario->jobs;
  const auto now = Clock::now();
  for (size_t i = 0; i < jobs.size(); ++i) {
    JobRun& run = printer.runs[i];
    if (run.ended) continue;
    if (!run.started) {
      run.started = true;
      run.last = now;
      run.status = jobs[i].status;
    }
    if (!run.paused && run.wait == 0) run.elapsedMs += std::chrono::duration<double, std::milli>(now - run.last).count();
    run.last = now;
    if (!run.waitRaised && jobs[i].wait != 0 && run.elapsedMs >= jobs[i].waitAfterMs) {
      run.waitRaised = true;
      run.wait = jobs[i].wait;
    }
    if (jobs[i].durationMs && run.wait == 0 && run.elapsedMs >= *jobs[i].durationMs) {
      run.ended = true;
      continue;
    }
    return;  // the current job
  }
}

// The call's context: the printer behind a handle, the job it names.
struct Call {
  State& state;
  std::lock_guard<std::mutex> guard;
  std::string printerName;
  PrinterState* printer = nullptr;
  std::optional<bqsim::Injected> injected;
  explicit Call(State& s) : state(s), guard(s.lock) {}
};

// Starts a call on an open handle: finds its printer, counts the call and
// looks for an injected result.
void Begin(Call& call, const char* operation, std::uint32_t handle, std::optional<std::uint32_t> info = std::nullopt) {
  const auto it = call.state.handles.find(handle);
  if (it == call.state.handles.end()) return;
  call.printerName = it->second;
  call.printer = Printer(call.state, call.printerName);
  if (!call.printer || !call.printer->scenario) {
    call.printer = nullptr;
    return;
  }
  const unsigned nth = ++call.printer->calls[operation];
  const unsigned nthInfo = info ? ++call.printer->calls[std::string(operation) + ":" + std::to_string(*info)] : 0;
  call.injected = call.printer->scenario->InjectionFor(operation, info, nth, nthInfo);
  Advance(*call.printer);
}

int JobIndex(const PrinterState& printer, std::uint32_t job) {
  const auto& jobs = printer.scenario->jobs;
  for (size_t i = 0; i < jobs.size(); ++i) {
    if (jobs[i].libJobId == job && printer.runs[i].started && !printer.runs[i].ended) return static_cast<int>(i);
  }
  return -1;
}

Outcome Finish(const Call& call, const char* operation, const std::string& fields, Outcome outcome) {
  if (call.injected) outcome = {static_cast<std::uint32_t>(call.injected->result), call.injected->seh};
  Journal(std::string(operation) + " " + JournalName(call.printerName) + " " + fields + " " +
          (outcome.seh ? "seh" : std::to_string(outcome.result)));
  return outcome;
}

std::string Fields(std::uint32_t job, std::optional<std::uint32_t> info = std::nullopt, std::optional<std::uint32_t> value = std::nullopt) {
  return Hex(job) + " " + (info ? std::to_string(*info) : "-") + " " + (value ? Hex(*value) : "-");
}

// The bytes of job information `info` of a running job; nullopt when the job
// has none.
std::optional<std::string> InfoBytes(const JobScript& job, const JobRun& run, std::uint32_t info) {
  auto word = [](std::uint32_t v) { return std::string(reinterpret_cast<const char*>(&v), 4); };
  auto text = [](const std::u16string& s) { return std::string(reinterpret_cast<const char*>(s.c_str()), (s.size() + 1) * 2); };
  switch (info) {
    case 3: return word(job.winJobId);
    case 4: return job.host;
    case 21:
      if (!job.paperCodes) return std::nullopt;
      return std::string(reinterpret_cast<const char*>(job.paperCodes->data()), 6);
    case 22: {
      if (!job.inkSet) return std::nullopt;
      std::string bytes(64, '\0');
      std::memcpy(bytes.data(), job.inkSet->data(), job.inkSet->size() * 2);
      return bytes;
    }
    case 23: return text(job.document);
    case 24: return text(job.paperSource);
    case 25: return text(job.mediaType);
    case 26: return text(job.paperSize);
    case 101: return word(run.status);
    case 102: return word(job.sheets[0]) + word(job.sheets[1]);
    case 103: {
      const double share = job.durationMs ? (*job.durationMs ? std::min(1.0, run.elapsedMs / *job.durationMs) : 1.0) : 0.0;
      return word(static_cast<std::uint32_t>(job.total * share)) + word(job.total);
    }
    case 104:
      if (!job.info104) return std::nullopt;
      return word(*job.info104);
    case 203: return word(run.wait);
    default: return std::nullopt;
  }
}

}  // namespace

Outcome Load(const std::wstring& printer, const std::wstring& library) {
  State& state = Shared();
  std::lock_guard<std::mutex> guard(state.lock);
  const std::uint32_t instance = state.nextInstance++;
  Journal("TLMA_Load " + JournalName(Utf8(printer)) + " " + Hex(instance) + " - " + Utf8(library) + " " + std::to_string(instance));
  return {instance, false};
}

Outcome Free(std::uint32_t instance) {
  Journal("TLMA_Free - " + Hex(instance) + " - - 0");
  return {0, false};
}

Outcome Open(const std::wstring& printerName, const std::wstring& port, std::uint32_t level, std::uint32_t jobId) {
  Call call(Shared());
  call.printerName = Utf8(printerName);
  call.printer = Printer(call.state, call.printerName);
  Outcome outcome;
  if (call.printer && call.printer->scenario) {
    const unsigned nth = ++call.printer->calls["TLMA_Open"];
    call.injected = call.printer->scenario->InjectionFor("TLMA_Open", std::nullopt, nth, 0);
    outcome.result = call.state.nextHandle++;
  }
  const Outcome result = Finish(call, "TLMA_Open", Fields(jobId, level, std::nullopt), outcome);
  if (result.result != 0 && !result.seh) call.state.handles[result.result] = call.printerName;
  return result;
}

Outcome Close(std::uint32_t handle) {
  Call call(Shared());
  Begin(call, "TLMA_Close", handle);
  const bool known = call.state.handles.erase(handle) != 0;
  return Finish(call, "TLMA_Close", Fields(handle), {known ? 1u : 0u, false});
}

Outcome Test(std::uint32_t handle) {
  Call call(Shared());
  Begin(call, "TLMA_Test", handle);
  bool any = false;
  if (call.printer) {
    for (const JobRun& run : call.printer->runs) any = any || !run.ended;
  }
  return Finish(call, "TLMA_Test", Fields(handle), {any ? 1u : 0u, false});
}

Outcome GetCurrentJob(std::uint32_t handle) {
  Call call(Shared());
  Begin(call, "TLMA_GetCurrentJob", handle);
  std::uint32_t job = 0;
  if (call.printer) {
    for (size_t i = 0; i < call.printer->runs.size() && job == 0; ++i) {
      if (!call.printer->runs[i].ended) job = call.printer->scenario->jobs[i].libJobId;
    }
  }
  return Finish(call, "TLMA_GetCurrentJob", Fields(handle), {job, false});
}

Outcome TestJob(std::uint32_t handle, std::uint32_t job) {
  Call call(Shared());
  Begin(call, "TLMA_TestJob", handle);
  const bool running = call.printer && JobIndex(*call.printer, job) >= 0;
  return Finish(call, "TLMA_TestJob", Fields(job), {running ? 1u : 0u, false});
}

Outcome SetJobInfo(std::uint32_t handle, std::uint32_t job, std::uint32_t info, std::uint32_t value) {
  Call call(Shared());
  Begin(call, "TLMA_SetJobInfo", handle, info);
  const int index = call.printer ? JobIndex(*call.printer, job) : -1;
  bool ok = index >= 0;
  if (ok) {
    const JobScript& script = call.printer->scenario->jobs[index];
    JobRun& run = call.printer->runs[index];
    if (info == 203) {
      run.wait &= ~value;
    } else if (info == 201) {
      if (value == 1 && script.pauses) {
        run.paused = true;
        run.status |= 0x10;
      } else if (value == 2 && script.resumes) {
        run.paused = false;
        run.status &= ~0x10u;
      } else if (value == 3 && script.deletes) {
        run.ended = true;
      }
    } else if (info != 202) {
      ok = false;
    }
  }
  return Finish(call, "TLMA_SetJobInfo", Fields(job, info, value), {ok ? 1u : 0u, false});
}

Outcome GetJobInfo(std::uint32_t handle, std::uint32_t job, std::uint32_t info, std::uint8_t* buffer, std::uint32_t size,
                   std::uint32_t* needed) {
  Call call(Shared());
  Begin(call, "TLMA_GetJobInfo", handle, info);
  const int index = call.printer ? JobIndex(*call.printer, job) : -1;
  std::optional<std::string> bytes;
  if (index >= 0) bytes = InfoBytes(call.printer->scenario->jobs[index], call.printer->runs[index], info);
  if (needed) *needed = bytes ? static_cast<std::uint32_t>(bytes->size()) : 0;
  bool ok = false;
  if (bytes && buffer && size >= bytes->size()) {
    std::memcpy(buffer, bytes->data(), bytes->size());
    ok = true;
  }
  std::optional<std::uint32_t> value;
  if (ok && bytes->size() >= 4) std::memcpy(&value.emplace(), bytes->data(), 4);
  return Finish(call, "TLMA_GetJobInfo", Fields(job, info, value), {ok ? 1u : 0u, false});
}

Outcome StartProgress(std::uint32_t handle, std::uint32_t job) {
  Call call(Shared());
  Begin(call, "TLMA_StartProgress", handle);
  return Finish(call, "TLMA_StartProgress", Fields(job), {0, false});
}

Outcome EndProgress(std::uint32_t handle, std::uint32_t job) {
  Call call(Shared());
  Begin(call, "TLMA_EndProgress", handle);
  return Finish(call, "TLMA_EndProgress", Fields(job), {0, false});
}

}  // namespace pgsim
