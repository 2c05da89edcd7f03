#pragma once

#include <string>

namespace vardel::platform {

// The short form of a path (GetShortPathName, 260 characters). On POSIX,
// which has no short names, the path itself when it exists. "" when the
// path does not exist.
std::string RutaCortaPlataforma(const std::string& ruta);

}  // namespace vardel::platform
