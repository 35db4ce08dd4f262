// Text status replies: the input follows the "@BDC ST" header, or, when it
// begins with 0xA5, is the whole reply.
// Decoding must read nothing outside the reply, and every decoded record must
// keep its counts within its arrays and map to a status row.
#include <cstddef>
#include <cstdint>

#include "status_fuzz_checks.h"

using namespace moni::status;
using namespace moni::status::fuzzchecks;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  return FuzzReply(data, size, "@BDC ST\r\n");
}
