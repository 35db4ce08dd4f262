#include "platform/text.h"

#include <climits>

namespace moni {

bool WideToAnsi(std::wstring_view text, std::string& out, bool exact) {
  out.clear();
  if (text.empty()) return true;
  if (text.size() > INT_MAX) return false;
  const DWORD flags = exact ? WC_NO_BEST_FIT_CHARS : 0;
  BOOL usedDefault = FALSE;
  BOOL* pUsedDefault = exact ? &usedDefault : nullptr;
  const int n = WideCharToMultiByte(CP_ACP, flags, text.data(), static_cast<int>(text.size()), nullptr, 0, nullptr, pUsedDefault);
  if (n <= 0 || usedDefault) return false;
  out.resize(static_cast<size_t>(n));
  if (WideCharToMultiByte(CP_ACP, flags, text.data(), static_cast<int>(text.size()), out.data(), n, nullptr, pUsedDefault) != n ||
      usedDefault) {
    out.clear();
    return false;
  }
  return true;
}

bool AnsiToWide(std::string_view text, std::wstring& out) {
  out.clear();
  if (text.empty()) return true;
  if (text.size() > INT_MAX) return false;
  const int n = MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
  if (n <= 0) return false;
  out.resize(static_cast<size_t>(n));
  if (MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), out.data(), n) != n) {
    out.clear();
    return false;
  }
  return true;
}

std::wstring LoadResourceString(HMODULE library, UINT id) {
  if (!library) return {};
  // With no buffer the call hands out the resource's own text, which is not
  // terminated: its length is the only bound.
  const wchar_t* text = nullptr;
  const int length = LoadStringW(library, id, reinterpret_cast<LPWSTR>(&text), 0);
  return length > 0 && text ? std::wstring(text, static_cast<size_t>(length)) : std::wstring();
}

}  // namespace moni
