// The progress library wrapper (TLMA_Load ... TLMA_EndProgress): the local
// library fetched by ordinal, or the remote service on the print server over
// RPC. Every call into either goes through the structured-exception guard; a
// call that raises (in the library, or an RPC failure) counts as failed.
// One wrapper belongs to one worker thread for the thread's life.
#pragma once
#include <windows.h>

#include <string>

#include "platform/handles.h"
#include "ui/progress/tlma.h"

class CProgressLibrary {
 public:
  CProgressLibrary() = default;
  ~CProgressLibrary() { Free(); }
  CProgressLibrary(const CProgressLibrary&) = delete;
  CProgressLibrary& operator=(const CProgressLibrary&) = delete;

  struct LoadArgs {
    std::wstring library;      // file name of the local library (and passed to the service)
    std::wstring printer;
    DWORD startJob = 0;        // the Windows job that decides local or remote
    std::wstring serviceName;  // the remote service's name; empty: the default
    std::wstring folder;       // where the local library lies, ending in "\"
  };
  // Remote when the printer is on a server and the start job is rendered
  // there (its data type contains "EMF"), else local. False when neither the
  // library nor the service can be reached.
  bool Load(const LoadArgs& args);
  // Leaves the service or unloads the library; nothing when not loaded.
  void Free();
  bool IsLoaded() const { return m_module.valid() || m_binding.valid(); }
  bool IsRemote() const { return m_binding.valid(); }

  // Whether a job of that data type is rendered on the server.
  static bool RenderedOnServer(const std::wstring& dataType);
  // The folder of the running program, ending in "\".
  static std::wstring ProgramFolder();

  HANDLE Open(const std::wstring& printer, const std::wstring& port, DWORD level, DWORD jobId);
  void Close(HANDLE handle);
  BOOL Test(HANDLE handle);
  DWORD GetCurrentJob(HANDLE handle);
  BOOL TestJob(HANDLE handle, DWORD job);
  BOOL SetJobInfo(HANDLE handle, DWORD job, DWORD info, DWORD value);
  BOOL GetJobInfo(HANDLE handle, DWORD job, DWORD info, BYTE* buffer, DWORD size, DWORD* needed);
  void StartProgress(HANDLE handle, DWORD job);
  void EndProgress(HANDLE handle, DWORD job);

 private:
  bool LoadLocal(const LoadArgs& args);
  bool LoadRemote(const LoadArgs& args, const std::wstring& server);

  moni::Module m_module;
  tlma::OpenFn m_pOpen = nullptr;
  tlma::CloseFn m_pClose = nullptr;
  tlma::TestFn m_pTest = nullptr;
  tlma::GetCurrentJobFn m_pGetCurrentJob = nullptr;
  tlma::TestJobFn m_pTestJob = nullptr;
  tlma::SetJobInfoFn m_pSetJobInfo = nullptr;
  tlma::GetJobInfoFn m_pGetJobInfo = nullptr;
  tlma::ProgressFn m_pStartProgress = nullptr;
  tlma::ProgressFn m_pEndProgress = nullptr;

  moni::RpcBinding m_binding;
  unsigned long m_ulInstance = 0;  // the service's context from its load procedure
};
