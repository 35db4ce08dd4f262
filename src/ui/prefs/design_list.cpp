#include "ui/prefs/design_list.h"

#include <windowsx.h>

#include "ui/prefs/prefs_core.h"

namespace {
constexpr UINT_PTR kSubclassId = 205;
}

CIconDesignList::~CIconDesignList() { Detach(); }

bool CIconDesignList::Attach(HWND list) {
  Detach();
  if (!list || !SetWindowSubclass(list, &CIconDesignList::SubclassProc, kSubclassId, reinterpret_cast<DWORD_PTR>(this))) return false;
  m_hList = list;
  // The image lists stay their owner's: the list does not destroy them.
  SetWindowLongPtrW(list, GWL_STYLE, GetWindowLongPtrW(list, GWL_STYLE) | LVS_SHAREIMAGELISTS);
  return true;
}

void CIconDesignList::Detach() {
  if (m_hList) RemoveWindowSubclass(m_hList, &CIconDesignList::SubclassProc, kSubclassId);
  m_hList = nullptr;
}

void CIconDesignList::Fill(HIMAGELIST icons, int selected) {
  if (!m_hList) return;
  ListView_DeleteAllItems(m_hList);
  ListView_SetImageList(m_hList, icons, LVSIL_NORMAL);
  const int count = icons ? ImageList_GetImageCount(icons) : 0;
  for (int i = 0; i < count; ++i) {
    LVITEMW item = {};
    item.mask = LVIF_IMAGE | LVIF_TEXT;
    item.iItem = i;
    item.iImage = i;
    item.pszText = const_cast<wchar_t*>(L"");
    ListView_InsertItem(m_hList, &item);
  }
  Spread();
  if (selected >= 0 && selected < count) {
    ListView_SetItemState(m_hList, selected, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
  }
  EnableWindow(m_hList, TRUE);
  ListView_SetBkColor(m_hList, GetSysColor(COLOR_WINDOW));
}

void CIconDesignList::Empty() {
  if (!m_hList) return;
  ListView_DeleteAllItems(m_hList);
  EnableWindow(m_hList, FALSE);
  ListView_SetBkColor(m_hList, GetSysColor(COLOR_BTNFACE));
  InvalidateRect(m_hList, nullptr, TRUE);
}

int CIconDesignList::SelectedDesign() const {
  if (!m_hList) return -1;
  const int index = ListView_GetNextItem(m_hList, -1, LVNI_SELECTED);
  if (index < 0) return -1;
  LVITEMW item = {};
  item.mask = LVIF_IMAGE;
  item.iItem = index;
  return ListView_GetItem(m_hList, &item) ? item.iImage : -1;
}

void CIconDesignList::Spread() {
  RECT client = {};
  GetClientRect(m_hList, &client);
  const int spacing = moni::prefs::SpreadIconSpacing(ListView_GetItemCount(m_hList), client.right - client.left);
  if (spacing <= 0) return;
  // The height of the cell keeps the row a single one.
  ListView_SetIconSpacing(m_hList, spacing, client.bottom - client.top);
  ListView_Arrange(m_hList, LVA_ALIGNTOP);
}

LRESULT CIconDesignList::OnCustomDraw(const NMLVCUSTOMDRAW& draw) const {
  switch (draw.nmcd.dwDrawStage) {
    case CDDS_PREPAINT:
      return CDRF_NOTIFYITEMDRAW;
    case CDDS_ITEMPREPAINT:
      return CDRF_NOTIFYPOSTPAINT;
    case CDDS_ITEMPOSTPAINT: {
      const int index = static_cast<int>(draw.nmcd.dwItemSpec);
      if (!(ListView_GetItemState(m_hList, index, LVIS_SELECTED) & LVIS_SELECTED)) return CDRF_DODEFAULT;
      RECT icon = {};
      if (!ListView_GetItemRect(m_hList, index, &icon, LVIR_ICON)) return CDRF_DODEFAULT;
      InflateRect(&icon, -2, -2);
      const bool enabled = IsWindowEnabled(m_hList) != FALSE;
      moni::GdiHandle pen(CreatePen(PS_SOLID, 2, GetSysColor(enabled ? COLOR_HIGHLIGHT : COLOR_GRAYTEXT)));
      const HGDIOBJ oldPen = SelectObject(draw.nmcd.hdc, pen.get());
      const HGDIOBJ oldBrush = SelectObject(draw.nmcd.hdc, GetStockObject(NULL_BRUSH));
      Rectangle(draw.nmcd.hdc, icon.left, icon.top, icon.right, icon.bottom);
      SelectObject(draw.nmcd.hdc, oldBrush);
      SelectObject(draw.nmcd.hdc, oldPen);
      return CDRF_DODEFAULT;
    }
  }
  return CDRF_DODEFAULT;
}

LRESULT CALLBACK CIconDesignList::SubclassProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR id, DWORD_PTR self) {
  switch (message) {
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
    case WM_LBUTTONDBLCLK: {
      // Beside the items the click only gives the list the focus.
      LVHITTESTINFO hit = {};
      hit.pt = {GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
      if (ListView_HitTest(hwnd, &hit) < 0) {
        SetFocus(hwnd);
        return 0;
      }
      break;
    }
    case WM_NCDESTROY:
      reinterpret_cast<CIconDesignList*>(self)->Detach();
      break;
  }
  return DefSubclassProc(hwnd, message, wParam, lParam);
}
