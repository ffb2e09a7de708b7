// quill-vtoken: virtual Quill tokens on the loopback interface.
#include <string>
#include <vector>

#include "program.h"

int main(int argc, char** argv) {
  return quill::RunVirtualTokenProgram(std::vector<std::string>(argv + 1, argv + argc));
}
