// Text conversion between the Win32 layer's wchar_t and the portable core's
// char16_t (same representation on Windows), and the ANSI code page.
#pragma once
#include <windows.h>

#include <string>
#include <string_view>

namespace moni {

static_assert(sizeof(wchar_t) == sizeof(char16_t), "UTF-16 wchar_t expected");

inline const char16_t* AsU16(const wchar_t* s) { return reinterpret_cast<const char16_t*>(s); }
inline const wchar_t* AsWide(const char16_t* s) { return reinterpret_cast<const wchar_t*>(s); }
inline std::u16string ToU16(std::wstring_view s) { return std::u16string(AsU16(s.data()), s.size()); }
inline std::wstring ToWide(std::u16string_view s) { return std::wstring(AsWide(s.data()), s.size()); }

// Conversions through the ANSI code page (CP_ACP). They return false when the
// text cannot be converted; the output is then empty. Without `exact`,
// characters the code page lacks become its default character; with it they
// fail the conversion (a printer name must not turn into another name).
bool WideToAnsi(std::wstring_view text, std::string& out, bool exact = false);
bool AnsiToWide(std::string_view text, std::wstring& out);

// String `id` of a resource library, of any length; empty when the library is
// null or the string is missing or empty.
std::wstring LoadResourceString(HMODULE library, UINT id);

}  // namespace moni
