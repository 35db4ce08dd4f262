// Setup data parsing over arbitrary bytes: the first byte picks the platform,
// the rest is the file. Parsing and the lookups must neither fail nor read
// outside the text, and whatever is kept must satisfy the tables' rules.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "foundation/setup_data.h"

namespace {

using namespace moni::setupdata;

void Check(bool condition) {
  if (!condition) __builtin_trap();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 1) return 0;
  const std::uint8_t selector = data[0];
  const std::string_view bytes(reinterpret_cast<const char*>(data + 1), size - 1);

  Context context{u"C:\\drv", u"C:\\Windows\\System32", {(selector & 1) == 0, (selector >> 1) & 7u, (selector >> 4) & 3u}};
  if (selector & 0x40) context.driverDir.clear();
  Tables tables;
  const bool ok = Parse(WidenBytes(bytes), context, tables);

  const auto paths = tables.Paths();
  const auto values = tables.Values();
  Check(ok == (!paths.empty() && !values.empty()));
  if (!ok) Check(paths.empty() && values.empty());
  for (const PathEntry& p : paths) Check(!p.id.empty() && !p.path.empty());
  for (size_t i = 0; i < values.size(); ++i) {
    const ValueEntry& v = values[i];
    Check(!v.pathId.empty() && !v.name.empty());
    Check(v.type == kTypeString ? (!v.string.empty() && v.dword == 0) : (v.type == kTypeDword && v.string.empty()));
    // No two entries share path identifier and name (with case).
    for (size_t k = i + 1; k < values.size() && k < i + 64; ++k)
      Check(!(values[k].pathId == v.pathId && values[k].name == v.name));
  }

  // A kept value is found through the first path of its identifier, unless an
  // earlier path with the same text belongs to another identifier.
  std::u16string text;
  std::uint32_t number = 0;
  for (size_t i = 0; i < values.size() && i < 16; ++i) {
    const ValueEntry& v = values[i];
    const PathEntry* own = nullptr;
    for (const PathEntry& p : paths)
      if (!own && EqualNoCase(p.id, v.pathId)) own = &p;
    if (!own) continue;
    const PathEntry* first = own;
    for (const PathEntry& p : paths)
      if (EqualNoCase(p.path, own->path)) {
        first = &p;
        break;
      }
    if (!EqualNoCase(first->id, v.pathId)) continue;
    const auto found = tables.Find(own->path, v.name);
    Check(found.has_value() && EqualNoCase(found->pathId, v.pathId) && EqualNoCase(found->name, v.name));
  }
  LookupString(tables, u"Software\\TALMER\\VGL3\\Driver\\TALMER VGL3 Sample", u"InstallPath", text);
  LookupDword(tables, u"Software\\TALMER\\VGL3\\Driver\\TALMER VGL3 Sample", u"BQAPI_VERSION", number);
  if (!paths.empty()) {
    LookupString(tables, paths.back().path, u"ModelID", text);
    LookupDword(tables, paths.front().path, values.empty() ? u"" : values.front().name, number);
  }
  return 0;
}
