// Painting helpers shared by the windows' own controls: a window class of
// this module that is registered while windows of it exist, a double buffer
// for flicker-free painting, and the dialog's font.
#pragma once
#include <windows.h>

#include <mutex>

#include "platform/handles.h"

namespace moni::view {

// A window class of the module that holds the window procedure. Acquire
// registers it with the first user, Release unregisters it with the last, so
// a library that is unloaded leaves no class behind that points into it.
class CWindowClass {
 public:
  CWindowClass(const wchar_t* name, WNDPROC proc) : m_name(name), m_proc(proc) {}
  bool Acquire();
  void Release();
  const wchar_t* Name() const { return m_name; }
  HINSTANCE Instance() const;

 private:
  const wchar_t* m_name;
  WNDPROC m_proc;
  std::mutex m_lock;
  int m_users = 0;
};

// Paints into a memory bitmap of the target rectangle's size and copies it to
// the target in one step when it goes out of scope.
class CPaintBuffer {
 public:
  CPaintBuffer(HDC target, const RECT& rect);
  ~CPaintBuffer();
  CPaintBuffer(const CPaintBuffer&) = delete;
  CPaintBuffer& operator=(const CPaintBuffer&) = delete;

  // Where to draw: the memory context (coordinates as in the target), or the
  // target itself when no memory context could be made.
  HDC dc() const { return m_memory ? m_memory.get() : m_target; }

 private:
  HDC m_target;
  RECT m_rect;
  MemoryDc m_memory;
  GdiHandle m_bitmap;
  HGDIOBJ m_oldBitmap = nullptr;
  POINT m_oldOrigin{};
};

// The font of a window's parent (the dialog's font), or the default GUI font.
HFONT ParentFont(HWND window);

}  // namespace moni::view
