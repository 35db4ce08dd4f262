#include "job_list.h"

#include <cwchar>
#include <vector>

namespace moni::test {

bool JobList::ListedPrinter(const std::wstring& printer) const {
  std::vector<wchar_t> names(64 * 1024);
  const DWORD n = GetPrivateProfileSectionNamesW(names.data(), static_cast<DWORD>(names.size()), m_file.c_str());
  for (const wchar_t* name = names.data(); name < names.data() + n && *name; name += wcslen(name) + 1) {
    if (printer == name) return true;
  }
  return false;
}

bool JobList::ListedJob(const std::wstring& printer, DWORD jobId, std::wstring& dataType) const {
  constexpr wchar_t kMissing[] = L"\x01";
  wchar_t value[256] = {};
  GetPrivateProfileStringW(printer.c_str(), std::to_wstring(jobId).c_str(), kMissing, value, 256, m_file.c_str());
  if (wcscmp(value, kMissing) == 0) return false;
  dataType = value;
  return true;
}

std::optional<std::vector<bool>> JobList::JobsPresent(const std::wstring& printer, const std::vector<DWORD>& jobIds) {
  if (!ListedPrinter(printer)) return std::nullopt;
  std::vector<bool> present;
  std::wstring dataType;
  for (DWORD id : jobIds) present.push_back(ListedJob(printer, id, dataType));
  return present;
}

bool JobList::GetJobDataType(const std::wstring& printer, DWORD jobId, std::wstring& dataType) {
  return ListedPrinter(printer) && ListedJob(printer, jobId, dataType);
}

}  // namespace moni::test
