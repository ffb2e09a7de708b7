// The groups of checks of the program's shell and resources.
#pragma once

#include "checks.h"

namespace quill {

void RunDeviceBroadcastChecks(Checks& checks);
void RunTrayIconChecks(Checks& checks);
void RunResourceChecks(Checks& checks);

}  // namespace quill
