// Which generation of the communication library serves a driver, from the
// driver's setup data (portable core).
#pragma once
#include <cstdint>
#include <string_view>

namespace moni::comm {

// The generation that a library file name stands for: 4, 3 or 2 when it
// contains "BQAPI4", "BQAPI3" or "BQAPI2" (letter case aside, as Windows
// compares file names), tried in that order; else 1.
int GenerationFromLibraryName(std::u16string_view libraryName);

// The generation from the driver's "BQAPI_VERSION" (as a signed value; 0 or
// less, or missing, means "not given") and, when that is not given, from its
// "BQAPI32" library name. Always 1 to 4.
int BidGeneration(std::int32_t version, std::u16string_view libraryName);

}  // namespace moni::comm
