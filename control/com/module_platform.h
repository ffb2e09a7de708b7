// The control's platform inside this module: the native one, with the
// module's own login dialog. Put in place when the first control is made
// (loading the module does nothing).
#pragma once

namespace quill {

void UseModulePlatform();

}  // namespace quill
