// What every export shares: its debug log scope with entry and exit lines.
#pragma once
#include "foundation/debug_log.h"

namespace moni::api {

// An export that this build does not provide yet: writes its entry and exit
// lines and returns the export's failure value.
inline int NotAvailable(const char* exportName, int failure) {
  CDebugLog log(exportName);
  log.Write("%s : Enter\n", exportName);
  log.Write("%s : not available in this build, result = %d\n", exportName, failure);
  return failure;
}

}  // namespace moni::api
