#include "commands.h"

namespace monictl {

int CmdStatus(const Args&) { return UsageError("not available yet"); }

}  // namespace monictl
