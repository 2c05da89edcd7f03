#pragma once

#include <string>

// POSIX: whether another account could have put a link, or another file, at
// a path the component writes. Root and this process's own account are
// trusted; any other account (the members of a shared group among them) is
// not trusted to redirect a write.
namespace vardel::platform {

// True when only root or this process's account can change what the folder
// holds: owned by one of them and writable by neither group nor others.
bool CarpetaDeConfianza(const std::string& carpeta);

// The path with its links resolved one at a time, following a link only
// where no other account could have put it or changed what it points at:
// the link is owned by root or this account, and every folder on the way
// is such a folder (or a sticky one whose entry is theirs). What a path
// ends in must be a plain file or nothing yet. `motivo` says, in Spanish,
// why a path was refused ("" when it was not); the result is then "".
std::string ResuelveEnlacesDeConfianza(const std::string& ruta, std::string& motivo);

}  // namespace vardel::platform
