// "hbm" status replies: the input follows "hbm", or, when it begins with 0xA5,
// is the whole reply. Reading must stay within the reply, a status comes only
// from a 0xFE entry that holds it, and every status has a row of kind 2.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "status/status_decode.h"

using namespace moni::status;

namespace {
void Check(bool condition) {
  if (!condition) __builtin_trap();
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::vector<std::uint8_t> reply;
  if (size > 0 && data[0] == 0xA5) {
    reply.assign(data + 1, data + size);
  } else {
    reply = {'h', 'b', 'm'};
    reply.insert(reply.end(), data, data + size);
  }
  reply.shrink_to_fit();

  int status = -1000;
  const bool ok = ReadHbmStatus(reply.data(), reply.size(), status);
  if (!ok) {
    Check(status == -1000);
    return 0;
  }
  Check(status >= 0 && status <= 255);
  Check(reply.size() >= 6);
  // The status byte is the data byte of a 0xFE entry: somewhere the reply holds 0xFE, a length >= 1 and it.
  bool found = false;
  for (std::size_t i = 3; i + 2 < reply.size() && !found; ++i)
    found = reply[i] == 0xFE && reply[i + 1] >= 1 && reply[i + 2] == status;
  Check(found);
  int index = SearchStatusInfo(2, status);
  if (index < 0) index = SearchStatusInfo(2, -1);
  Check(index >= 0 && StatusInfoAt(index).kind == 2);
  return 0;
}
