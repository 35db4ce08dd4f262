// The icon design list of the monitoring preferences: a list view in icon
// view holding one item per tray icon design (32 x 32 icons, no labels), with
// fewer than four items spread evenly across its width in one row. The control object is attached
// to the list by subclassing it: a click beside the items does not take the
// selection away, so one design stays chosen.
#pragma once
#include <windows.h>
#include <commctrl.h>

#include "platform/handles.h"

class CIconDesignList {
 public:
  CIconDesignList() = default;
  ~CIconDesignList();
  CIconDesignList(const CIconDesignList&) = delete;
  CIconDesignList& operator=(const CIconDesignList&) = delete;

  // Subclasses the list; false when it cannot be.
  bool Attach(HWND list);
  void Detach();

  // Fills the list with the image list's icons, selects `selected` (none when
  // it is out of range) and enables it. The image list stays the caller's.
  void Fill(HIMAGELIST icons, int selected);
  // Empties and greys the list.
  void Empty();

  // The image index of the selected item, or -1.
  int SelectedDesign() const;

  // The list's custom drawing (its parent passes NM_CUSTOMDRAW on): a frame
  // around the chosen design, since the items have no label to highlight.
  LRESULT OnCustomDraw(const NMLVCUSTOMDRAW& draw) const;

 private:
  static LRESULT CALLBACK SubclassProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR id, DWORD_PTR self);
  void Spread();

  HWND m_hList = nullptr;
};
