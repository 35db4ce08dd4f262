#include "comm/channel_list.h"

#include <cstring>
#include <string_view>

namespace moni::comm {

std::vector<bqapi::ChannelEntry> ReadChannelList(const std::uint8_t* buffer, std::size_t bufferBytes, long long count) {
  std::vector<bqapi::ChannelEntry> list;
  if (buffer == nullptr || count < 1) return list;
  const std::size_t held = bufferBytes / sizeof(bqapi::ChannelEntry);
  const std::size_t n = static_cast<unsigned long long>(count) < held ? static_cast<std::size_t>(count) : held;
  list.resize(n);
  if (n) std::memcpy(list.data(), buffer, n * sizeof(bqapi::ChannelEntry));
  return list;
}

const bqapi::ChannelEntry* FindChannel(const std::vector<bqapi::ChannelEntry>& list, std::uint32_t channel) {
  for (const auto& entry : list)
    if (entry.channel == channel) return &entry;
  return nullptr;
}

std::optional<bqapi::ChannelEntry> FirstStatusChannel(const std::vector<bqapi::ChannelEntry>& list) {
  for (const bqapi::StatusChannel& candidate : bqapi::kStatusChannels) {
    const auto* entry = FindChannel(list, candidate.channel);
    if (entry && (entry->mode & bqapi::kModeStatus)) return *entry;
  }
  return std::nullopt;
}

std::string_view ModelFromDeviceId(std::string_view deviceId) {
  const std::size_t start = deviceId.find("MDL:");
  if (start == std::string_view::npos) return {};
  std::string_view rest = deviceId.substr(start + 4);
  return rest.substr(0, rest.find(';'));
}

bool EqualIgnoringAsciiCase(std::u16string_view a, std::u16string_view b) {
  if (a.size() != b.size()) return false;
  auto upper = [](char16_t c) { return c >= u'a' && c <= u'z' ? static_cast<char16_t>(c - u'a' + u'A') : c; };
  for (std::size_t i = 0; i < a.size(); ++i)
    if (upper(a[i]) != upper(b[i])) return false;
  return true;
}

int MatchModel(std::u16string_view deviceId, std::u16string_view model) {
  const std::size_t start = deviceId.find(u"MDL:");
  if (start == std::u16string_view::npos) return -1;
  std::u16string_view found = deviceId.substr(start + 4);
  found = found.substr(0, found.find(u';'));
  if (found.empty()) return -1;
  return EqualIgnoringAsciiCase(found, model) ? 1 : -2;
}

}  // namespace moni::comm
