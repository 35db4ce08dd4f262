// A library that misbehaves on purpose, standing in for a closed library that
// faults: an access violation, a raised exception, and a well-behaved call.
#include <windows.h>

extern "C" {

__declspec(dllexport) int FaultyWriteNull(int value) {
  volatile int* p = nullptr;
  *p = value;  // access violation inside the library
  return value;
}

__declspec(dllexport) int FaultyRaise(DWORD code) {
  RaiseException(code, 0, 0, nullptr);
  return 0;
}

__declspec(dllexport) int FaultyAdd(int a, int b) { return a + b; }

}
