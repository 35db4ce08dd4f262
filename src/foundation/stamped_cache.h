// Values derived from files, kept while the file stays the same (portable
// core, no windows.h).
//
// A value is kept with a key (the file's path and whatever else it was derived
// from) and the file's stamp when it was read: its size and last-write time.
// A lookup with another stamp misses, so a file written meanwhile (a driver
// updated) is read anew: it has a new size or a new last-write time, or both.
// The cache holds a few values; the one kept longest goes first.
#pragma once
#include <cstddef>
#include <cstdint>
#include <deque>
#include <initializer_list>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <utility>

namespace moni::filecache {

struct Stamp {
  std::uint64_t size = 0;
  std::uint64_t lastWrite = 0;  // in the file system's own units

  bool operator==(const Stamp&) const = default;
};

// Safe to use from several threads; values are copied in and out.
template <typename Value>
class StampedCache {
 public:
  explicit StampedCache(std::size_t capacity) : m_capacity(capacity) {}
  StampedCache(const StampedCache&) = delete;
  StampedCache& operator=(const StampedCache&) = delete;

  // The value kept for the key when it was kept with this stamp.
  std::optional<Value> Find(std::u16string_view key, const Stamp& stamp) const {
    std::lock_guard<std::mutex> hold(m_lock);
    for (const Entry& entry : m_entries)
      if (entry.key == key) return entry.stamp == stamp ? std::optional<Value>(entry.value) : std::nullopt;
    return std::nullopt;
  }

  // Keeps the value for the key and stamp, in place of what the key held.
  void Put(std::u16string key, const Stamp& stamp, Value value) {
    if (m_capacity == 0) return;
    std::lock_guard<std::mutex> hold(m_lock);
    for (auto it = m_entries.begin(); it != m_entries.end(); ++it) {
      if (it->key == key) {
        m_entries.erase(it);
        break;
      }
    }
    if (m_entries.size() == m_capacity) m_entries.pop_front();
    m_entries.push_back(Entry{std::move(key), stamp, std::move(value)});
  }

  std::size_t Size() const {
    std::lock_guard<std::mutex> hold(m_lock);
    return m_entries.size();
  }

 private:
  struct Entry {
    std::u16string key;
    Stamp stamp;
    Value value;
  };

  const std::size_t m_capacity;
  mutable std::mutex m_lock;
  std::deque<Entry> m_entries;  // oldest first
};

// The key of a value derived from several texts (a path and the folders it
// was read with): the texts joined by a zero character, which none contains.
inline std::u16string JoinKey(std::initializer_list<std::u16string_view> parts) {
  std::u16string key;
  bool first = true;
  for (std::u16string_view part : parts) {
    if (!first) key.push_back(u'\0');
    key.append(part);
    first = false;
  }
  return key;
}

}  // namespace moni::filecache
