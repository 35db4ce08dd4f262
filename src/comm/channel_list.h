// The channel list that the communication library reports for a printer, read
// safely from its buffer (portable core).
#pragma once
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

#include "comm/bqapi.h"

namespace moni::comm {

// The entries of a BQGetAvailableChannel buffer. The library's count is not
// trusted beyond what the buffer holds: at most bufferBytes / 8 entries are
// read, and a count below 1 gives none.
std::vector<bqapi::ChannelEntry> ReadChannelList(const std::uint8_t* buffer, std::size_t bufferBytes, long long count);

// The first entry for the channel number, if the printer offers it.
const bqapi::ChannelEntry* FindChannel(const std::vector<bqapi::ChannelEntry>& list, std::uint32_t channel);

// The first of the status channel candidates, in their order, that the printer
// offers with the status mode bit.
std::optional<bqapi::ChannelEntry> FirstStatusChannel(const std::vector<bqapi::ChannelEntry>& list);

// The model of an IEEE 1284 device identifier: the text after "MDL:" up to the
// next ";" (or the end); empty when there is no "MDL:".
std::string_view ModelFromDeviceId(std::string_view deviceId);

// Equal when the texts differ at most in the case of ASCII letters.
bool EqualIgnoringAsciiCase(std::u16string_view a, std::u16string_view b);

// Whether the device identifier names the model: 1 it does (ASCII letter
// case aside), -2 it names another model, -1 it names none ("MDL:" missing
// or empty).
int MatchModel(std::u16string_view deviceId, std::u16string_view model);

}  // namespace moni::comm
