#pragma once

#include <string>

namespace vardel::platform {

// This account's own folder for the component's state, created when
// missing: $XDG_STATE_HOME/vardel (or ~/.local/state/vardel) on POSIX,
// %LOCALAPPDATA%\Vardel on Windows. "" when the account has none. The
// activity log falls back to it when its own folder cannot take a line.
std::string CarpetaEstadoUsuario();

}  // namespace vardel::platform
