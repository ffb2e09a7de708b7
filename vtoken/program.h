// The virtual token program, callable from any front end.
#pragma once

#include <string>
#include <vector>

namespace quill {

// Runs until SIGINT, SIGTERM or the control command quit; returns the exit
// status (0 after a stop, 1 when a port cannot be taken, 2 for bad arguments
// or a state file that cannot be read, parsed or written).
int RunVirtualTokenProgram(const std::vector<std::string>& args);

}  // namespace quill
