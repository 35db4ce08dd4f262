// monictl setupdata: the registry entries the monitor reads from a setup data
// file, all of them (--json) or one value (--get).
#include <windows.h>

#include <cstdio>
#include <string>

#include "commands.h"
#include "foundation/dat_reader.h"
#include "platform/text.h"

namespace monictl {

namespace {

std::wstring FullPath(const std::wstring& file) {
  std::wstring full(MAX_PATH, L'\0');
  for (int attempt = 0; attempt < 3; ++attempt) {
    const DWORD n = GetFullPathNameW(file.c_str(), static_cast<DWORD>(full.size()), full.data(), nullptr);
    if (n == 0) return file;
    if (n < full.size()) {
      full.resize(n);
      return full;
    }
    full.assign(n, L'\0');
  }
  return file;
}

std::wstring FolderOf(const std::wstring& path) {
  const size_t slash = path.find_last_of(L"\\/");
  return slash == std::wstring::npos ? std::wstring() : path.substr(0, slash);
}

void PrintJson(const moni::setupdata::Tables& tables) {
  std::string out = "{\"paths\":[";
  bool first = true;
  for (const auto& path : tables.Paths()) {
    out += first ? "" : ",";
    first = false;
    out += "{\"id\":" + JsonString(moni::ToWide(path.id)) + ",\"path\":" + JsonString(moni::ToWide(path.path)) + "}";
  }
  out += "],\"entries\":[";
  first = true;
  for (const auto& entry : tables.Values()) {
    out += first ? "" : ",";
    first = false;
    out += "{\"pathId\":" + JsonString(moni::ToWide(entry.pathId)) + ",\"name\":" + JsonString(moni::ToWide(entry.name)) +
           ",\"type\":" + std::to_string(entry.type) + ",\"string\":" + JsonString(moni::ToWide(entry.string)) +
           ",\"dword\":" + std::to_string(entry.dword) + "}";
  }
  out += "]}\n";
  fputs(out.c_str(), stdout);
}

}  // namespace

int CmdSetupData(const Args& args) {
  std::wstring file, driverDir, systemDir, regPath, name;
  bool json = false, get = false, haveDriverDir = false, haveSystemDir = false;
  for (size_t i = 0; i < args.size(); ++i) {
    const std::wstring& arg = args[i];
    if (arg == L"--json") {
      json = true;
    } else if (arg == L"--get") {
      if (i + 2 >= args.size()) return UsageError("--get takes REGPATH and NAME");
      get = true;
      regPath = args[++i];
      name = args[++i];
    } else if (arg == L"--driver-dir" || arg == L"--system-dir") {
      if (i + 1 >= args.size()) return UsageError(("setupdata " + Utf8(arg) + " takes a folder").c_str());
      (arg == L"--driver-dir" ? driverDir : systemDir) = args[++i];
      (arg == L"--driver-dir" ? haveDriverDir : haveSystemDir) = true;
    } else if (arg.size() > 1 && arg[0] == L'-') {
      return UsageError(("setupdata does not know " + Utf8(arg)).c_str());
    } else if (file.empty()) {
      file = arg;
    } else {
      return UsageError("setupdata takes one FILE");
    }
  }
  if (file.empty()) return UsageError("setupdata needs a FILE");
  if (json == get) return UsageError("setupdata takes either --json or --get REGPATH NAME");

  const std::wstring path = FullPath(file);
  if (!haveDriverDir) driverDir = FolderOf(path);
  if (!haveSystemDir) systemDir = CDatReader::SystemDirectory();

  CDatReader reader;
  if (!reader.OpenFile(path, driverDir, systemDir)) {
    if (reader.failure() == CDatReader::Failure::Unreadable)
      fprintf(stderr, "monictl: %s cannot be read: %s\n", Utf8(path).c_str(),
              ReadProblem(path, CDatReader::kMaxFileSize, "setup data file").c_str());
    else
      fprintf(stderr, "monictl: %s has no registry entries (REGPATH and REGENTER lines in [Install])\n", Utf8(path).c_str());
    return 1;
  }
  if (json) {
    PrintJson(reader.tables());
    return 0;
  }
  const auto entry = reader.tables().Find(moni::ToU16(regPath), moni::ToU16(name));
  if (!entry) {
    // The file's paths lie below HKEY_LOCAL_MACHINE and are kept without it.
    for (const std::wstring root : {L"HKEY_LOCAL_MACHINE\\", L"HKLM\\"}) {
      if (regPath.size() >= root.size() && moni::setupdata::EqualNoCase(moni::ToU16(regPath.substr(0, root.size())),
                                                                          moni::ToU16(root))) {
        fprintf(stderr, "monictl: REGPATH is given without its root \"%s\": --get \"%s\" \"%s\"\n",
                Utf8(root).c_str(), Utf8(regPath.substr(root.size())).c_str(), Utf8(name).c_str());
        return 2;
      }
    }
    fprintf(stderr, "monictl: %s\\%s is not set by %s\n", Utf8(regPath).c_str(), Utf8(name).c_str(), Utf8(path).c_str());
    return 1;
  }
  if (entry->type == moni::setupdata::kTypeDword) printf("%lu\n", static_cast<unsigned long>(entry->dword));
  else {
    const std::string text = Utf8(moni::ToWide(entry->string)) + "\n";
    fwrite(text.data(), 1, text.size(), stdout);
  }
  return 0;
}

}  // namespace monictl
