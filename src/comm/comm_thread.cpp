#include "comm/comm_thread.h"

namespace moni::comm {

void ResultTarget::Deliver(UINT message, WPARAM wParam, LPARAM lParam) const {
  if (window)
    PostMessageW(window, message, wParam, lParam);
  else if (callback)
    callback(context, message, wParam, lParam);
}

Worker::Worker() : m_stop(CreateEventW(nullptr, TRUE, FALSE, nullptr)) {}

Worker::~Worker() { Stop(true); }

bool Worker::Start(void (*body)(void*), void* arg) {
  Stop(true);
  m_body = body;
  m_arg = arg;
  if (m_stop) ResetEvent(m_stop.get());
  m_running = true;
  if (!m_thread.start(&Worker::Main, this)) {
    m_running = false;
    return false;
  }
  return true;
}

void Worker::Stop(bool wait) {
  m_running = false;
  if (m_stop) SetEvent(m_stop.get());
  if (wait) m_thread.join();
}

bool Worker::Pause(DWORD ms) const {
  if (!m_running.load()) return false;
  if (m_stop)
    WaitForSingleObject(m_stop.get(), ms);
  else
    Sleep(ms);
  return m_running.load();
}

DWORD WINAPI Worker::Main(void* self) {
  auto* worker = static_cast<Worker*>(self);
  worker->m_body(worker->m_arg);
  worker->m_running = false;
  return 0;
}

}  // namespace moni::comm
