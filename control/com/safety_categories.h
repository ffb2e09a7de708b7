// The two component categories that declare the control safe for scripting
// and safe for initialising, each registered with its description (locale
// 1033) and then declared as implemented by the class.
#pragma once

#include <windows.h>

#include "registration_scope.h"

namespace quill {

// The result is that of the safe-for-initialising steps; the
// safe-for-scripting class declaration is made only when its category was
// registered. For the machine the system's category manager does the work;
// for the current user the same keys are written under the classes root,
// which the caller has redirected to the user's classes (the category
// manager may not follow that redirection: Wine's does not).
HRESULT RegisterSafetyCategories(RegistrationScope scope);

}  // namespace quill
