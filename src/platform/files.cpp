#include "platform/files.h"

#include "platform/handles.h"

namespace moni::files {

std::wstring TempFolder() {
  wchar_t buf[MAX_PATH + 1] = {};
  const DWORD n = GetTempPathW(MAX_PATH + 1, buf);
  if (n == 0 || n > MAX_PATH) return {};
  return std::wstring(buf, n);
}

std::wstring TempFolderOrCurrent() {
  std::wstring folder = TempFolder();
  return folder.empty() ? L".\\" : folder;
}

bool ReadWholeFile(const std::wstring& path, std::string& bytes, DWORD maxBytes) {
  bytes.clear();
  KernelHandle file(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                                FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) return false;
  LARGE_INTEGER size = {};
  if (!GetFileSizeEx(file.get(), &size) || size.QuadPart < 0 || size.QuadPart > maxBytes) return false;
  bytes.resize(static_cast<size_t>(size.QuadPart));
  size_t got = 0;
  while (got < bytes.size()) {
    DWORD n = 0;
    if (!ReadFile(file.get(), bytes.data() + got, static_cast<DWORD>(bytes.size() - got), &n, nullptr)) return false;
    if (n == 0) break;  // the file shrank meanwhile
    got += n;
  }
  bytes.resize(got);
  return true;
}

std::wstring WriteNewTempFile(const wchar_t* prefix, std::string_view bytes) {
  wchar_t path[MAX_PATH] = {};
  if (GetTempFileNameW(TempFolderOrCurrent().c_str(), prefix, 0, path) == 0) return {};
  bool written = false;
  {
    KernelHandle file(CreateFileW(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    DWORD n = 0;
    written = file && WriteFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &n, nullptr) &&
              n == bytes.size();
  }
  if (!written) {
    DeleteFileW(path);
    return {};
  }
  return path;
}

bool AppendEntry(const std::wstring& path, std::string_view bytes) {
  KernelHandle file(CreateFileW(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) return false;
  // One byte far past any real end of the file is the writers' lock.
  OVERLAPPED lockAt = {};
  lockAt.Offset = 0xFFFFFFFE;
  lockAt.OffsetHigh = 0x7FFFFFFF;
  if (!LockFileEx(file.get(), LOCKFILE_EXCLUSIVE_LOCK, 0, 1, 0, &lockAt)) return false;
  LARGE_INTEGER zero = {};
  DWORD written = 0;
  const bool ok = SetFilePointerEx(file.get(), zero, nullptr, FILE_END) &&
                  WriteFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) &&
                  written == bytes.size();
  UnlockFileEx(file.get(), 0, 1, 0, &lockAt);
  return ok;
}

std::string Utf16Bytes(std::wstring_view text, bool withTerminator) {
  std::string bytes;
  bytes.reserve((text.size() + 1) * 2);
  for (wchar_t c : text) {
    bytes.push_back(static_cast<char>(c & 0xFF));
    bytes.push_back(static_cast<char>((c >> 8) & 0xFF));
  }
  if (withTerminator) bytes.append(2, '\0');
  return bytes;
}

}  // namespace moni::files
