// The registry entries of a driver's setup data file (portable core, no
// windows.h).
//
// The setup data file is the INI-like text the driver's installer works from.
// Its section "Install" lists the registry paths (REGPATH lines) and the values
// below them (REGENTER lines) that the installer creates. The monitor reads
// those values from here rather than from the registry, so that they are always
// the ones of the driver actually installed.
//
//   [Install]
//   REGPATH  = 1, "HKEY_LOCAL_MACHINE\Software\TALMER\VGL3\Driver\TALMER VGL3 Sample"
//   REGENTER = 1, "InstallPath", DRIVERDIR + "\"
//   REGENTER = 1, "ModelID", "SMP-100"
//   REGENTER = 1, "BQAPI_VERSION", 0x10, WINNT, WIN9X
//
// Text is UTF-16; the file's bytes are widened one byte per character.
#pragma once
#include <cstdint>
#include <list>
#include <map>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace moni::setupdata {

// The system the conditions of a REGENTER line are evaluated for.
struct Platform {
  bool nt = true;  // NT family (false: Windows 95 family)
  unsigned major = 0;
  unsigned minor = 0;
};

// What the DRIVERDIR and SYSTEMDIR tokens stand for, and the platform.
struct Context {
  std::u16string driverDir;  // folder of the driver's main file; a trailing "\" is ignored
  std::u16string systemDir;  // the system folder; a trailing "\" is ignored
  Platform platform;
};

inline constexpr std::uint32_t kTypeString = 1;  // REG_SZ
inline constexpr std::uint32_t kTypeDword = 4;   // REG_DWORD

struct PathEntry {
  std::u16string id;
  std::u16string path;  // below HKEY_LOCAL_MACHINE, without the root

  bool operator==(const PathEntry&) const = default;
};

struct ValueEntry {
  std::u16string pathId;
  std::u16string name;
  std::uint32_t type = kTypeString;
  std::u16string string;    // kTypeString: never empty; kTypeDword: empty
  std::uint32_t dword = 0;  // kTypeDword: the value; kTypeString: 0

  bool operator==(const ValueEntry&) const = default;
};

// The path table and the value table of one reader. Each table has its own
// lock, taken around every insertion, removal and walk.
class Tables {
 public:
  Tables() = default;
  Tables(const Tables&) = delete;
  Tables& operator=(const Tables&) = delete;

  void Clear();

  void AddPath(PathEntry entry);
  // Appends the entry. An entry with the same path identifier and name (with
  // case) is removed first: the later line wins and moves to the end.
  void PutValue(ValueEntry entry);

  // Copies of the tables in table order.
  std::vector<PathEntry> Paths() const;
  std::vector<ValueEntry> Values() const;
  size_t PathCount() const;
  size_t ValueCount() const;

  // The value named `name` below the first path equal to `path`, both
  // compared without regard to case; nothing when either is not found.
  std::optional<ValueEntry> Find(std::u16string_view path, std::u16string_view name) const;

 private:
  using Key = std::pair<std::u16string, std::u16string>;

  mutable std::mutex m_pathLock;
  std::vector<PathEntry> m_paths;

  mutable std::mutex m_valueLock;
  std::list<ValueEntry> m_values;
  std::map<Key, std::list<ValueEntry>::iterator> m_valueIndex;  // (pathId, name) -> entry
};

// The file's bytes, one character each. A UTF-8 byte-order mark is skipped.
std::u16string WidenBytes(std::string_view bytes);

// Reads the "Install" section of the text into `out` (emptied first). Returns
// true when at least one path and one value were kept; otherwise `out` is left
// empty.
bool Parse(std::u16string_view text, const Context& context, Tables& out);

// The string of a string entry, or the number of a DWORD entry; false (and
// `out` emptied or 0) when the entry is missing or of the other type.
bool LookupString(const Tables& tables, std::u16string_view path, std::u16string_view name, std::u16string& out);
bool LookupDword(const Tables& tables, std::u16string_view path, std::u16string_view name, std::uint32_t& out);

// Comparison without regard to case for ASCII and Latin-1 letters (the
// characters a widened byte can be).
bool EqualNoCase(std::u16string_view a, std::u16string_view b);

}  // namespace moni::setupdata
