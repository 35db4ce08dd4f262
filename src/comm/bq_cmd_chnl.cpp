#include "comm/bq_cmd_chnl.h"

#include "comm/printer_commands.h"
#include "foundation/debug_log.h"

namespace {
constexpr DWORD kPollCallback = 500;
constexpr DWORD kPollChannels = 1000;
constexpr std::uint16_t kCommandMode = 3;
}  // namespace

CBqCmdChnl::CBqCmdChnl(int openType, const wchar_t* name, std::uint32_t channel, std::uint16_t mode)
    : CBqApiEx2(openType, name, channel, mode) {}

CBqCmdChnl::~CBqCmdChnl() { EndBlockingThread(1); }

void CBqCmdChnl::SetPeriods(DWORD startDelayMs, DWORD pollMs) {
  m_startDelayMs = startDelayMs;
  m_pollOverrideMs = pollMs;
}

int CBqCmdChnl::Start(HWND hWnd, BqResultCallback callback, void* context, DWORD pollMs) {
  CDebugLog log("CBqCmdChnl::StartBlockingThread");
  m_target = moni::comm::ResultTarget{hWnd, callback, context};
  m_pollMs = m_pollOverrideMs ? m_pollOverrideMs : pollMs;
  if (!m_worker.Start(&CBqCmdChnl::ThreadBody, this)) {
    log.Write("Error : CreateThread %d\n", static_cast<unsigned long>(GetLastError()));
    return 0;
  }
  return 1;
}

int CBqCmdChnl::StartBlockingThread(HWND hWnd, BqResultCallback callback, void* context) {
  if (m_worker.Running()) return 0;
  EndBlockingThread(1);
  return Start(hWnd, callback, context, kPollCallback);
}

int CBqCmdChnl::StartBlockingThread(HWND hWnd, const std::uint32_t* channels, std::uint32_t bytes) {
  if (m_worker.Running()) return 0;
  EndBlockingThread(1);
  // The array ends with a channel 0, which stays in the list as its end mark;
  // a restart replaces the list of the run before.
  m_candidates.clear();
  for (std::uint32_t i = 0; channels && i < bytes / sizeof(std::uint32_t); ++i) {
    m_candidates.push_back(channels[i]);
    if (channels[i] == 0) break;
  }
  return Start(hWnd, nullptr, nullptr, kPollChannels);
}

void CBqCmdChnl::EndBlockingThread(int wait) {
  m_worker.Stop(wait == 1);
  {
    std::lock_guard lock(m_sendLock);
    m_sendQueue.clear();
  }
  std::lock_guard lock(m_answerLock);
  m_answerQueue.clear();
}

bool CBqCmdChnl::QueueRequest(const std::uint8_t* data, std::uint32_t length) {
  if (!data || length == 0) return false;
  Request request;
  request.request.assign(data, data + length);
  std::lock_guard lock(m_sendLock);
  request.sequence = ++m_nextSequence;
  m_sendQueue.push_back(std::move(request));
  return true;
}

int CBqCmdChnl::TakeAnswer(Request& out) {
  std::lock_guard lock(m_answerLock);
  if (m_answerQueue.empty()) return 0;
  out = std::move(m_answerQueue.front());
  m_answerQueue.pop_front();
  return 1;
}

int CBqCmdChnl::RemoveAnswer() {
  std::lock_guard lock(m_answerLock);
  if (m_answerQueue.empty()) return 0;
  m_answerQueue.pop_front();
  return 1;
}

size_t CBqCmdChnl::PendingRequests() const {
  std::lock_guard lock(m_sendLock);
  return m_sendQueue.size();
}

int CBqCmdChnl::ResetPrinterRJ(std::uint32_t jobNumber, std::uint8_t nameType, const std::uint8_t* name, std::uint32_t nameLength) {
  CDebugLog log("CBqCmdChnl::ResetPrinterRJ");
  // A print server's kind is known only on the network channel, once the
  // thread has opened it; the kind alone is read here, as the thread writes
  // the channel fields.
  moni::comm::ResetForm form = moni::comm::ResetForm::kLocal;
  const int server = m_nPrintServerType.load();
  if (server == kServerD4)
    form = moni::comm::ResetForm::kPrintServerD4;
  else if (server == kServerPlain)
    form = moni::comm::ResetForm::kNetwork;
  std::uint8_t command[moni::comm::snmp::kPacketBufferSize];
  const std::size_t length = moni::comm::BuildResetCommand(form, jobNumber, nameType, name, nameLength, command);
  if (length == 0) {
    log.Write("Error : job name of %u bytes does not fit the command\n", nameLength);
    return 0;
  }
  log.Write("RJ command length : %d\n", static_cast<int>(length));
  log.WriteHex(command, static_cast<long>(length), "RJ command");
  return QueueRequest(command, static_cast<std::uint32_t>(length)) ? 1 : 0;
}

int CBqCmdChnl::SendInfoCommand(int index) {
  std::uint8_t command[moni::comm::kInfoCommandLength];
  if (!moni::comm::BuildInfoCommand(index, command)) return 0;
  if (m_nPrintServerType.load() == kServerD4) {
    std::uint8_t packet[moni::comm::snmp::kPacketBufferSize];
    const std::uint32_t length = MakeSnmpPacket(command, sizeof command, packet);
    return QueueRequest(packet, length) ? 1 : 0;
  }
  return QueueRequest(command, sizeof command) ? 1 : 0;
}

bool CBqCmdChnl::OpenCandidate() {
  CDebugLog log("CBqCmdChnl::OpenCandidate");
  if (m_candidates.empty() && IsSelected()) {
    // Started for the channel the constructor selected: that one is opened.
    OpenChannel();
  } else if (m_candidates.empty()) {
    log.Write("Channel selected table NULL\n");
    return false;
  }
  for (std::uint32_t candidate : m_candidates) {
    if (candidate == 0) {
      log.Write("Channel select error\n");
      return false;
    }
    if (SelectChannel(candidate, kCommandMode) == 1 && OpenChannel() > 0) break;
  }
  if (m_hChannel <= 0) return false;
  CheckPrintServer();  // on the network channel: the print server's kind
  return true;
}

void CBqCmdChnl::BqBlockingThreadMain() {
  CDebugLog log("CBqCmdChnl::BqBlockingThreadMain");
  if (!m_worker.Pause(m_startDelayMs)) return;
  while (m_worker.Running()) {
    const bool ready = m_hChannel > 0 || OpenCandidate();
    Request request;
    bool found = false;
    if (ready) {
      std::lock_guard lock(m_sendLock);
      if (!m_sendQueue.empty()) {
        request.request = m_sendQueue.front().request;
        request.sequence = m_sendQueue.front().sequence;
        found = true;
      }
    }
    if (found) {
      log.Write("send request is found !!\n");
      if (!m_worker.Running()) break;
      request.result =
          CommonBQSend(request.request.data(), static_cast<std::uint32_t>(request.request.size()), request.answer);
      if (request.result <= 0) request.answer.clear();
      const int result = request.result;
      const std::uint64_t sent = request.sequence;
      {
        std::lock_guard lock(m_answerLock);
        m_answerQueue.push_back(std::move(request));
      }
      if (!m_worker.Running()) break;
      const int handle = Handle();
      m_target.Deliver(WM_RESULT_BQSENDREV, static_cast<WPARAM>(handle > 0 ? handle : 0), static_cast<LPARAM>(result));
      // Only the request just sent leaves the queue, also when the queue was
      // emptied and filled again meanwhile.
      std::lock_guard lock(m_sendLock);
      if (!m_sendQueue.empty() && m_sendQueue.front().sequence == sent) m_sendQueue.pop_front();
    }
    if (!m_worker.Pause(m_pollMs)) break;
  }
}
