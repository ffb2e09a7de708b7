// quill vtoken: the virtual token program, run in this process.
#include "commands.h"
#include "vtoken/program.h"

namespace quill {

int RunVtoken(const CommandArgs& args) {
  return RunVirtualTokenProgram(args);
}

}  // namespace quill
