// The spooler job helpers of PrMonitoringStart: whether the job that a host
// hands over prints to a port file, and following that job to its end
// through a progress meter.
#pragma once
#include <windows.h>

#include <string>

// Reads the job description (a request block in the caller's memory) and
// returns 1 when its data area carries the port-file mark and it names a job;
// else 0. `jobNumber` gets the job's number, 0 when none was found or the
// block was refused (total size 0, unreadable, or pointing outside itself).
int IsPrintingPortFile(const void* jobDescription, DWORD* jobNumber);

// Follows the job with a progress meter whose worker clears every wait
// reason by itself, then destroys the meter (which ends its worker). Returns 1.
int WaitForPrintingCompletion(const std::wstring& printer, const std::wstring& port, DWORD jobNumber);
