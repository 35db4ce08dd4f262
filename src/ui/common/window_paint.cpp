#include "ui/common/window_paint.h"

namespace moni::view {

HINSTANCE CWindowClass::Instance() const {
  HMODULE module = nullptr;
  GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                     reinterpret_cast<LPCWSTR>(reinterpret_cast<void*>(m_proc)), &module);
  return module;
}

bool CWindowClass::Acquire() {
  std::lock_guard<std::mutex> lock(m_lock);
  if (m_users == 0) {
    WNDCLASSEXW wc = {};
    wc.cbSize = sizeof wc;
    wc.style = CS_HREDRAW | CS_VREDRAW;
    wc.lpfnWndProc = m_proc;
    wc.hInstance = Instance();
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    wc.lpszClassName = m_name;
    if (!RegisterClassExW(&wc) && GetLastError() != ERROR_CLASS_ALREADY_EXISTS) return false;
  }
  ++m_users;
  return true;
}

void CWindowClass::Release() {
  std::lock_guard<std::mutex> lock(m_lock);
  if (m_users > 0 && --m_users == 0) UnregisterClassW(m_name, Instance());
}

CPaintBuffer::CPaintBuffer(HDC target, const RECT& rect) : m_target(target), m_rect(rect) {
  const int w = rect.right - rect.left, h = rect.bottom - rect.top;
  if (w <= 0 || h <= 0) return;
  m_memory.reset(CreateCompatibleDC(target));
  m_bitmap.reset(m_memory ? CreateCompatibleBitmap(target, w, h) : nullptr);
  if (!m_bitmap) {
    m_memory.reset();
    return;
  }
  m_oldBitmap = SelectObject(m_memory.get(), m_bitmap.get());
  SetWindowOrgEx(m_memory.get(), rect.left, rect.top, &m_oldOrigin);
}

CPaintBuffer::~CPaintBuffer() {
  if (!m_memory) return;
  SetWindowOrgEx(m_memory.get(), m_oldOrigin.x, m_oldOrigin.y, nullptr);
  BitBlt(m_target, m_rect.left, m_rect.top, m_rect.right - m_rect.left, m_rect.bottom - m_rect.top, m_memory.get(), 0, 0, SRCCOPY);
  SelectObject(m_memory.get(), m_oldBitmap);
}

HFONT ParentFont(HWND window) {
  HWND parent = GetParent(window);
  HFONT font = parent ? reinterpret_cast<HFONT>(SendMessageW(parent, WM_GETFONT, 0, 0)) : nullptr;
  return font ? font : static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
}

}  // namespace moni::view
