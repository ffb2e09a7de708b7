// Where registration writes: the machine's classes, or the current user's
// (HKCU\Software\Classes, for DllInstall with "user").
#pragma once

namespace quill {

enum class RegistrationScope { kMachine, kUser };

}  // namespace quill
