// The exported functions of monicore.dll, for hosts that link against it or
// look the names up with GetProcAddress (type names below end in Fn).
#pragma once
#include <windows.h>

#ifdef MONICORE_BUILD
#define MONICORE_API extern "C"
#else
#define MONICORE_API extern "C" __declspec(dllimport)
#endif

// Monitoring session.
MONICORE_API int WINAPI PrSetRegDefaultValue(LPCWSTR printerName, LPCWSTR driverName, LPCWSTR portName, LPCWSTR modelId, LPCWSTR datFileName);
MONICORE_API int WINAPI PrReleaseRegistry(LPCWSTR printerName, LPCWSTR driverName, LPCWSTR portName, LPCWSTR modelId);
MONICORE_API int WINAPI PrMonitoringStart(HWND hMonWnd, LPCWSTR printerName, LPCWSTR driverName, LPCWSTR portName, LPCWSTR modelId,
                                          LPCWSTR datFileName, LPCWSTR resourceName, void* jobDescriptor);
MONICORE_API int WINAPI PrGetChannel(DWORD* channelNo);
MONICORE_API int WINAPI PrCheckModelID();
MONICORE_API int WINAPI PrGetStatus(int iEnableGetStatusErr, int* pbPopup, int* pbSoundPlay, int* pbPrinting, int* pnRealStatusNo,
                                    int* pnSimpleStatusNo);
MONICORE_API int WINAPI PrMonitoringEnd();
MONICORE_API int WINAPI PrGetTimerValue(DWORD dwChannelNo, int* pbNetwork);

// One-shot status query. The buffer is the caller's to release with
// PrReleasePrinterStatus whenever it is not null afterwards.
MONICORE_API int WINAPI PrGetPrinterStatus(LPCSTR printerName, BYTE** buffer);
MONICORE_API int WINAPI PrGetPrinterStatus2(LPCWSTR printerName, BYTE** buffer, BYTE* cartridgeFlag);
MONICORE_API void WINAPI PrReleasePrinterStatus(BYTE* buffer);

// Windows and programs for one printer.
MONICORE_API int WINAPI PrStartView(int viewType, LPCWSTR printerName, LPCWSTR driverName, LPCWSTR portName, LPCWSTR modelId,
                                    LPCWSTR datFileName, LPCWSTR resourceName, void* progressData, DWORD progressDataSize);
MONICORE_API int WINAPI PrStartPreference(LPCWSTR printerName, LPCWSTR driverName, LPCWSTR portName, LPCWSTR modelId, LPCWSTR datFileName,
                                          LPCWSTR resourceName);
MONICORE_API int WINAPI PrDocumentProperties(LPCWSTR printerName);
MONICORE_API int WINAPI PrDisplaySpoolJob(LPCWSTR printerName, HWND owner);
MONICORE_API int WINAPI PrEntryIconDlg(LPCWSTR printerName, LPCWSTR driverName, LPCWSTR portName, LPCWSTR modelId);
MONICORE_API int WINAPI PrIconInstall(LPCWSTR printerName, LPCWSTR driverName, LPCWSTR modelId);

// The option block of PrKioskaPopUp: four pointer-sized members.
struct KioskaOption {
  LPCWSTR mode;
  LPCWSTR inkLeft;
  LPCWSTR notifyCode;
  LPCWSTR inkCode;
};
MONICORE_API int WINAPI PrKioskaPopUp(LPCWSTR printerName, LPCWSTR driverName, LPCWSTR portName, LPCWSTR modelId, const KioskaOption* option);
MONICORE_API int WINAPI PrKiosSameDrvs(LPCWSTR driverName, LPCWSTR modelId, LPCWSTR mode);
MONICORE_API int WINAPI PrPackagePopUp(LPCWSTR printerName, LPCWSTR driverName, LPCWSTR portName, LPCWSTR modelId, LPCWSTR inkNumber,
                                       LPCWSTR inkStatus);

// Cartridge checks: the result size is asked first (-62 and the size), then the result.
MONICORE_API int WINAPI PrCheckGenuineCartridgeA(LPCSTR printerName, BYTE* result, DWORD* size);
MONICORE_API int WINAPI PrCheckGenuineCartridgeW(LPCWSTR printerName, BYTE* result, DWORD* size);
