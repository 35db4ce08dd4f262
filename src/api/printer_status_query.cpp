#include "api/printer_status_query.h"

#include <vector>

#include "comm/bqapi_library.h"
#include "comm/channel_list.h"
#include "foundation/dat_reader.h"
#include "foundation/debug_log.h"
#include "platform/seh_guard.h"
#include "platform/spooler.h"
#include "platform/text.h"

namespace {

// A library result passed on to the caller: results above 0 would read as a
// reply size, so a size query that answers one stands for "no size".
int PassOn(int result) { return result > 0 ? query_result::kNoSize : result; }

// The printer's driver name, or empty. The driver's files carry it, and the
// setup data is found through them anyway (once per request within a request
// scope); only a printer whose driver files the spooler does not give is
// asked for the name alone.
std::wstring DriverNameOf(const std::wstring& printerName) {
  moni::spooler::DriverFiles files;
  if (CDatReader::DriverFilesOf(CDatReader::Source::Printer, printerName, files)) return files.driverName;
  std::wstring driver, port;
  moni::spooler::GetPrinterDriverAndPort(printerName, driver, port);
  return driver;
}

}  // namespace

std::wstring DriverKeyOf(const std::wstring& printerName) {
  const std::wstring driver = DriverNameOf(printerName);
  return driver.empty() ? std::wstring() : moni::DriverKey(driver);
}

int GetDuvDrvRegData(const std::wstring& printerName, const wchar_t* valueName, std::wstring& value) {
  value.clear();
  const std::wstring key = DriverKeyOf(printerName);
  if (key.empty()) return query_result::kNoDriverName;
  value = CDatReader::GetPrivateRegString(CDatReader::Source::Printer, printerName, key, valueName);
  return 0;
}

CGetPrinterStatus::~CGetPrinterStatus() { EndProc(); }

int CGetPrinterStatus::ProcMain(const wchar_t* printerName, BYTE** buffer) {
  CDebugLog log("CGetPrinterStatus::ProcMain");
  if (printerName == nullptr || printerName[0] == L'\0') return query_result::kNoName;
  if (buffer == nullptr) return query_result::kNoBufferPlace;
  m_strPrinterName = printerName;
  log.Write("PrinterName : %s\n", printerName);
  // The driver values of the query (library file, generation, folder, model)
  // come from one answer of the spooler.
  CDatReader::RequestScope scope;

  int result = StartProc();
  if (result == 0) result = CheckModelID();
  if (result == 0) result = SelectChannel();
  if (result == 0) result = GetPrnStatus(buffer);
  EndProc();

  if (result > 0 && *buffer) {
    log.WriteHex(*buffer, result, "Binary_Data:");
    log.Write("StatusSize : %d\n", result);
  } else {
    log.Write("CGetPrinterStatus::ProcMain : result = %d\n", result);
  }
  return result;
}

// Loads the library, binds the seven exports and initialises it. On failure
// the library is unloaded again and the code returned.
int CGetPrinterStatus::StartProc() {
  CDebugLog log("CGetPrinterStatus::StartProc");
  const int loaded = LoadBqapi();
  if (loaded != 0) return loaded;

  if (!m_api.Bind(m_hModule.get(), bqapi::Exports::kOneShot)) {
    log.Write("Error : GetProcAddress\n");
    m_hModule.reset();
    return query_result::kExportMissing;
  }
  const int init = moni::GuardedCall(query_result::kException, [&] { return m_api.BQInitialize(); });
  if (init != 0) {
    log.Write("Error : BQInitialize = %d\n", init);
    m_hModule.reset();
    // Any other answer than 0 leaves the library unusable; a positive one would
    // read as a reply size.
    return init < 0 ? init : query_result::kLibraryNotLoaded;
  }
  m_bStarted = true;
  return 0;
}

int CGetPrinterStatus::LoadBqapi() {
  CDebugLog log("CGetPrinterStatus::LoadBqapi");
  const std::wstring driver = DriverNameOf(m_strPrinterName);
  if (driver.empty()) {
    log.Write("Error : Get Driver Name\n");
    return query_result::kNoDriverName;
  }
  m_hModule = moni::comm::LoadBqapi(moni::comm::BqapiUse::kOneShot, m_strPrinterName, driver, L"");
  return m_hModule ? 0 : query_result::kLibraryNotLoaded;
}

int CGetPrinterStatus::CheckModelID() {
  CDebugLog log("CGetPrinterStatus::CheckModelID");
  if (!moni::WideToAnsi(m_strPrinterName, m_strOpenName, /*exact=*/true) || m_strOpenName.empty()) {
    log.Write("PrinterName Convert Error : %d\n", GetLastError());
    return query_result::kOutOfMemory;
  }
  std::wstring modelId;
  const int driverData = GetDuvDrvRegData(m_strPrinterName, L"ModelID", modelId);
  if (driverData != 0) return driverData;

  std::uint32_t size = 0;
  int result = moni::GuardedCall(query_result::kException,
                                 [&] { return m_api.BQGetDeviceID(bqapi::kOpenByPrinter, m_strOpenName.c_str(), nullptr, &size); });
  if (result != bqapi::kNeedBuffer) return PassOn(result);
  if (size < 1 || size > (1u << 20)) return query_result::kNoSize;
  std::vector<char> id(size + 1, '\0');
  result = moni::GuardedCall(query_result::kException,
                             [&] { return m_api.BQGetDeviceID(bqapi::kOpenByPrinter, m_strOpenName.c_str(), id.data(), &size); });
  if (result < 0) return result;
  id.back() = '\0';  // the text ends within the buffer whatever the library wrote
  const std::string_view model = moni::comm::ModelFromDeviceId(id.data());
  log.Write("DeviceID : %s\n", id.data());

  std::string expected;
  moni::WideToAnsi(modelId, expected);
  if (model != expected) {
    log.Write("Error : ModelID %s != %s\n", std::string(model), expected);
    return query_result::kOtherModel;
  }
  return 0;
}

int CGetPrinterStatus::SelectChannel() {
  CDebugLog log("CGetPrinterStatus::SelectChannel");
  std::uint32_t size = 0;
  int result = moni::GuardedCall(query_result::kException, [&] {
    return m_api.BQGetAvailableChannel(bqapi::kOpenByPrinter, m_strOpenName.c_str(), nullptr, &size);
  });
  if (result != bqapi::kNeedBuffer) return result > 0 ? query_result::kNoStatusChannel : result;
  if (size > (1u << 20)) return query_result::kNoStatusChannel;
  std::vector<std::uint8_t> buffer(size + 1, 0);
  std::uint32_t asked = size;
  const int count = moni::GuardedCall(query_result::kException, [&] {
    return m_api.BQGetAvailableChannel(bqapi::kOpenByPrinter, m_strOpenName.c_str(), buffer.data(), &asked);
  });
  if (count < 1) return count;
  log.Write("Channel count : %d\n", count);

  // The library's count is read only as far as the buffer holds entries.
  const auto list = moni::comm::ReadChannelList(buffer.data(), size, count);
  const auto choice = moni::comm::FirstStatusChannel(list);
  if (!choice) return query_result::kNoStatusChannel;
  const std::uint32_t channel = choice->channel;
  m_hChannel = moni::GuardedCall(query_result::kException, [&] {
    return m_api.BQOpenChannel(bqapi::kOpenByPrinter, m_strOpenName.c_str(), channel);
  });
  log.Write("Channel : %#x, handle : %d\n", channel, m_hChannel);
  if (m_hChannel <= 0) {
    const int failed = m_hChannel;
    m_hChannel = 0;
    return failed;
  }
  return 0;
}

int CGetPrinterStatus::GetPrnStatus(BYTE** buffer) {
  CDebugLog log("CGetPrinterStatus::GetPrnStatus");
  std::uint32_t size = 0;
  int result = moni::GuardedCall(query_result::kException, [&] { return m_api.BQGetStatus(m_hChannel, nullptr, &size); });
  if (result != bqapi::kNeedBuffer) return PassOn(result);
  if (size < 1 || size > (1u << 20)) return query_result::kNoSize;
  auto* reply = static_cast<BYTE*>(GlobalAlloc(GPTR, size + 1));
  if (reply == nullptr) return query_result::kOutOfMemory;
  *buffer = reply;
  std::uint32_t asked = size;
  result = moni::GuardedCall(query_result::kException, [&] { return m_api.BQGetStatus(m_hChannel, reply, &asked); });
  // The reply ends within the buffer: a library that claims more bytes than
  // it was given room for is cut to the size it announced.
  if (result > static_cast<int>(size)) result = static_cast<int>(size);
  return result;
}

void CGetPrinterStatus::EndProc() {
  if (!m_bStarted) {
    m_api = bqapi::Exports();
    m_hModule.reset();
    return;
  }
  CDebugLog log("CGetPrinterStatus::EndProc");
  if (m_hChannel > 0) {
    const int handle = m_hChannel;
    if (!moni::Guarded([&] { m_api.BQCloseChannel(handle); })) log.Write("Exception Error : BQCloseChannel\n");
    m_hChannel = 0;
  }
  if (!moni::Guarded([&] { m_api.BQRelease(); })) log.Write("Exception Error : BQRelease\n");
  m_bStarted = false;
  m_api = bqapi::Exports();
  m_hModule.reset();
}
