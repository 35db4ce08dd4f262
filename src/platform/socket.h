// A Winsock socket owned like every other handle. Include this before any
// header that includes windows.h (winsock2.h must come first).
#pragma once
#include <winsock2.h>

#include "platform/handles.h"

namespace moni {

namespace handle_traits {
struct WinSocket {
  using type = SOCKET;
  static type Empty() { return INVALID_SOCKET; }
  static bool IsEmpty(type s) { return s == INVALID_SOCKET; }
  static void Close(type s) { closesocket(s); }
};
}  // namespace handle_traits

using Socket = UniqueHandle<handle_traits::WinSocket>;

}  // namespace moni
