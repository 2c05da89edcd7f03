#pragma once

#include <string>

namespace vardel::cli::puente {

// One line of the bridge's log on standard error, stamped with the moment:
// refused connections and their reasons, documents no page acknowledged.
// A service manager keeps it (the journal of the systemd user unit).
// Safe from any thread.
void Registra(const std::string& texto);

}  // namespace vardel::cli::puente
