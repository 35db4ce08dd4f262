// The command channel: a worker thread opens a command channel, sends the
// queued requests one at a time, queues their answers and tells the window by
// a posted WM_RESULT_BQSENDREV (or calls the callback). The job reset command
// ("rj") is built here in the form that fits the connection.
//
// Two locks: the send lock guards the send queue, the answer lock the answer
// queue; neither is held with the other, nor while talking to the printer.
#pragma once
#include <windows.h>

#include <cstdint>
#include <deque>
#include <mutex>
#include <vector>

#include "comm/bqapi_ex.h"
#include "comm/comm_thread.h"

class CBqCmdChnl : public CBqApiEx2 {
 public:
  // One request: the bytes sent, the answer and the result of sending.
  struct Request {
    std::vector<std::uint8_t> request;
    std::vector<std::uint8_t> answer;
    int result = 0;
    std::uint64_t sequence = 0;  // the order of queueing
  };

  // The printer by open type and name; `channel` (0: none) is selected with `mode`.
  CBqCmdChnl(int openType, const wchar_t* name, std::uint32_t channel = 0, std::uint16_t mode = 3);
  // Ends the thread (waiting for it); the channel is closed afterwards.
  ~CBqCmdChnl() override;

  // Both forms end a thread that ran before and empty the queues first:
  // requests are queued once the thread runs.
  //
  // Starts the thread for the channel already selected, reporting to the
  // window (or the callback), polling every 500 ms: 1 started, 0 running or
  // not started.
  int StartBlockingThread(HWND hWnd, BqResultCallback callback, void* context);
  // Starts the thread that opens the first of the channels in `channels`
  // (ended by a channel 0; `bytes` the array's size) that the printer offers
  // with mode 3, polling every 1000 ms.
  int StartBlockingThread(HWND hWnd, const std::uint32_t* channels, std::uint32_t bytes);
  // Stops the thread (with `wait` 1 waits for it) and empties both queues:
  // requests not sent yet are dropped.
  void EndBlockingThread(int wait);
  bool IsRunning() const { return m_worker.Running(); }

  // Queues a copy of the bytes; false when there are none.
  bool QueueRequest(const std::uint8_t* data, std::uint32_t length);
  // The oldest answer, removed from the queue: 1, or 0 when there is none.
  int TakeAnswer(Request& out);
  // Removes the oldest answer: 1, or 0 when there is none.
  int RemoveAnswer();
  size_t PendingRequests() const;

  // Queues the job reset command for the job: the network forms on the
  // network channel (packed for a "D4" print server, else the plain print
  // server's GetRequest), otherwise the local form. 1 queued; 0 when the
  // job name does not fit the 256-byte command (in its network encoding on
  // the network), so that nothing is written past it or sent cut short.
  int ResetPrinterRJ(std::uint32_t jobNumber, std::uint8_t nameType, const std::uint8_t* name, std::uint32_t nameLength);
  // Queues info command `index` (0 to 10): packed on the network channel with
  // a "D4" print server, else its 6 bytes. 1 queued, 0 an unknown index.
  int SendInfoCommand(int index);

  // The thread's pause before its first step, and a poll interval that
  // replaces the 500 / 1000 ms of the two start forms (0 keeps them).
  void SetPeriods(DWORD startDelayMs, DWORD pollMs);

 private:
  static void ThreadBody(void* self) { static_cast<CBqCmdChnl*>(self)->BqBlockingThreadMain(); }
  void BqBlockingThreadMain();
  int Start(HWND hWnd, BqResultCallback callback, void* context, DWORD pollMs);
  // Opens the first candidate that the printer offers; false when none opens.
  bool OpenCandidate();

  mutable std::mutex m_sendLock;
  mutable std::mutex m_answerLock;
  std::deque<Request> m_sendQueue;
  std::deque<Request> m_answerQueue;
  std::uint64_t m_nextSequence = 0;  // under the send lock
  moni::comm::ResultTarget m_target;
  std::vector<std::uint32_t> m_candidates;
  DWORD m_pollMs = 1000;
  DWORD m_startDelayMs = 500;
  DWORD m_pollOverrideMs = 0;
  moni::comm::Worker m_worker;
};
