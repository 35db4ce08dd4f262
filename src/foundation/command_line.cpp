#include "foundation/command_line.h"

#include "foundation/base_info.h"
#include "foundation/debug_log.h"
#include "foundation/target_keys.h"
#include "platform/files.h"
#include "platform/handles.h"
#include "platform/text.h"

namespace {

constexpr wchar_t kParamFilePrefix[] = L"V_G";

bool FileOpensForReading(const std::wstring& path) {
  moni::KernelHandle file(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                      nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  return file.valid();
}

}  // namespace

int GetSwitch(const std::wstring& text, int index, std::wstring& name, std::wstring& value) {
  name.clear();
  value.clear();
  if (index < 0) return -1;
  std::u16string n, v;
  const std::int64_t len = moni::cmdline::GetSwitch(moni::ToU16(text), static_cast<size_t>(index), n, v);
  if (len < 0) return -1;
  name = moni::ToWide(n);
  value = moni::ToWide(v);
  return static_cast<int>(value.size());
}

bool ReadParameterFile(const std::wstring& path, std::wstring& text, std::wstring& used) {
  text.clear();
  used.clear();
  if (path.empty()) return false;
  std::string bytes;
  if (moni::files::ReadWholeFile(path, bytes, CTrayCommandLineInfo::kMaxParamFileBytes)) {
    used = path;
  } else {
    used = moni::files::TempFolderOrCurrent() + path;
    if (!moni::files::ReadWholeFile(used, bytes, CTrayCommandLineInfo::kMaxParamFileBytes)) return false;
  }
  text = moni::ToWide(moni::cmdline::DecodeParameterFile(bytes));
  return true;
}

void CTrayCommandLineInfo::Parse(const std::wstring& text, bool deleteParamFile) {
  fields = {};
  m_fParamFileRead = false;
  moni::cmdline::ApplySwitches(moni::ToU16(text), fields);
  // A parameter file that cannot be read stops the parse: the identity stays
  // as the command line gives it.
  if (ReadParamFile(deleteParamFile)) CompleteIdentity();
  CopyOut();
}

bool CTrayCommandLineInfo::ReadParamFile(bool deleteAfter) {
  const std::wstring path = moni::ToWide(fields.paramFile);
  if (path.empty()) return true;
  std::wstring fileText, used;
  if (!ReadParameterFile(path, fileText, used)) {
    // Nothing usable: a leftover in the temporary folder is removed.
    if (deleteAfter) DeleteFileW(used.c_str());
    return false;
  }
  m_fParamFileRead = true;
  const bool efOnCommandLine = fields.efGiven;
  moni::cmdline::ApplySwitches(moni::ToU16(fileText), fields);
  // A Run-key entry (it carries "EF") keeps its file for the next log-on.
  if (deleteAfter && !efOnCommandLine && !fields.efGiven) DeleteFileW(used.c_str());
  fields.paramFile = moni::ToU16(path);
  return true;
}

void CTrayCommandLineInfo::CompleteIdentity() {
  if (!fields.printerName.empty() && (fields.driverName.empty() || fields.portName.empty())) {
    std::wstring driver, port;
    if (GetPrinterDriverAndPort(moni::ToWide(fields.printerName), driver, port)) {
      fields.driverName = moni::ToU16(driver);
      fields.portName = moni::ToU16(port);
    }
  }
  if (fields.modelId.empty() && !fields.driverName.empty()) {
    const std::wstring model = GetModelIdFromDriver(moni::ToWide(fields.printerName), moni::ToWide(fields.driverName));
    if (model.size() <= moni::cmdline::kMaxValueChars) fields.modelId = moni::ToU16(model);
  }
}

void CTrayCommandLineInfo::CopyOut() {
  m_szPrinterName = moni::ToWide(fields.printerName);
  m_szDriverName = moni::ToWide(fields.driverName);
  m_szPortName = moni::ToWide(fields.portName);
  m_szModelID = moni::ToWide(fields.modelId);
  m_szParamFile = moni::ToWide(fields.paramFile);
  m_fRemove = fields.remove;
  m_fIconInstall = fields.iconInstall;
  m_IconFrom = fields.iconFrom;
}

void CParamFile::SetIdentity(const std::wstring& printer, const std::wstring& port, const std::wstring& model) {
  m_set.SetText(u"P", moni::ToU16(printer));
  m_set.SetText(u"O", moni::ToU16(port));
  m_set.SetText(u"M", moni::ToU16(model));
}

std::wstring CParamFile::Write() {
  CDebugLog log("CParamFile::Write");
  const std::optional<std::u16string> text = m_set.Build();
  if (!text) {
    log.Write("A line does not fit\n");
    return {};
  }
  return moni::files::WriteNewTempFile(kParamFilePrefix, moni::files::Utf16Bytes(moni::ToWide(*text), false));
}

bool CParamFile::Delete(const std::wstring& path) {
  if (path.empty()) return false;
  if (FileOpensForReading(path)) return DeleteFileW(path.c_str()) != FALSE;
  const std::wstring inTemp = moni::files::TempFolderOrCurrent() + path;
  return FileOpensForReading(inTemp) && DeleteFileW(inTemp.c_str()) != FALSE;
}
