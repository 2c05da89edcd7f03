#pragma once

#include <windows.h>

namespace vardel::platform {

// The module this code is linked into: Vardel.dll in the component, the
// program itself in a test. Window classes, dialogs and the component's own
// path belong to it, never to the host's program.
HMODULE ModuloPropio();

}  // namespace vardel::platform
