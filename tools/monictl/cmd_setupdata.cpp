#include "commands.h"

namespace monictl {

int CmdSetupData(const Args&) { return UsageError("not available yet"); }

}  // namespace monictl
