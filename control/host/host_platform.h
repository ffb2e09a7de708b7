// What the host needs of the operating system besides the askpass program
// and the registration: its standard streams, its language and its path.
// One implementation per platform (host_platform_linux.cpp,
// host_platform_win32.cpp).
#pragma once

#include <memory>
#include <string>

#include "control_strings.h"
#include "frame_io.h"

namespace quill::host {

struct HostStdio {
  std::unique_ptr<ByteSource> requests;
  std::unique_ptr<ByteSink> replies;
};

// Standard input and output in binary mode as the request source and the
// reply sink. Replies go to a private copy of standard output that child
// processes do not inherit; standard output itself then points at standard
// error, so that nothing written to it by mistake can break the framing.
// False, with the reason, when the streams cannot be set up.
bool OpenHostStdio(HostStdio* stdio, std::string* error);

// The language of the user's interface (Chinese or English).
UiLanguage HostUiLanguage();

// The absolute path of the running program (UTF-8); empty when unknown.
std::string HostExecutablePath();

}  // namespace quill::host
