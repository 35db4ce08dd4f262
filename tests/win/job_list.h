// The tests' stand-in for the spooler's job queries, which Wine's spooler
// does not answer: an initialisation file in which a printer exists when the
// file has a section of its name, and its jobs are that section's keys (the
// job id in decimal) with the job's data type as value. Installed into the
// test program's own copy of the spooler adapter only.
#pragma once
#include <windows.h>

#include <string>

#include "platform/spooler.h"

namespace moni::test {

class JobList : public spooler::JobSource {
 public:
  explicit JobList(std::wstring file) : m_file(std::move(file)) {}
  std::optional<std::vector<bool>> JobsPresent(const std::wstring& printer, const std::vector<DWORD>& jobIds) override;
  bool GetJobDataType(const std::wstring& printer, DWORD jobId, std::wstring& dataType) override;

 private:
  bool ListedPrinter(const std::wstring& printer) const;
  bool ListedJob(const std::wstring& printer, DWORD jobId, std::wstring& dataType) const;

  std::wstring m_file;
};

}  // namespace moni::test
