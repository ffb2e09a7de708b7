// The groups of checks of the Windows ports.
#pragma once

#include "checks.h"

namespace quill {

void RunRegistryChecks(Checks& checks);
void RunLogChecks(Checks& checks);
void RunSystemChecks(Checks& checks);

}  // namespace quill
