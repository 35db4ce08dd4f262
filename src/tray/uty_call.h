// CUtyCall: runs a maintenance function of the driver's utility library (nozzle
// check, head cleaning, ...) on a worker thread, for a tray menu item whose
// command template names the utility. A named semaphore per printer lets only
// one utility of the printer run at a time, across processes.
#pragma once
#include <windows.h>

#include <string>

#include "platform/handles.h"

class CUtyCall {
 public:
  CUtyCall() = default;
  ~CUtyCall();
  CUtyCall(const CUtyCall&) = delete;
  CUtyCall& operator=(const CUtyCall&) = delete;

  // Whether the template names the model's utility: all four texts given, and
  // the template contains the profile's "UTILITY" value.
  static bool IsUtyCallMenu(const std::wstring& driverName, const std::wstring& printerName,
                            const std::wstring& modelId, const std::wstring& templ);

  // Starts the utility function the template names (library path before
  // " /U", function number after it) on the worker thread. Does nothing while
  // another utility of the printer runs. True when the thread was started.
  bool StartUtyCall(const std::wstring& printerName, const std::wstring& templ);

  // Waits until the worker thread of this process has ended.
  void CheckUtyCall();

  // Export names by function number (1 to 13); null for other numbers.
  static const char* ExportName(int function);
  // Functions that are called; the others are only looked up.
  static bool IsCalled(int function);

 private:
  static DWORD WINAPI UtyCallMain(void* self);

  std::wstring m_szPrinterName;
  std::wstring m_szLibrary;
  int m_nFunction = 0;
  moni::KernelHandle m_hSemaphore;
  moni::Thread m_thread;
};
