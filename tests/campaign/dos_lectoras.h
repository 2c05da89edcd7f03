#pragma once

#include <string>
#include <vector>

#include "instalacion.h"

// Two readers at once on one image folder, as two counter PCs sharing a
// folder: each reads a tray of cheques whose lines cannot be read, so
// every cheque takes an error number. No number may be shared, and every
// error image of both must be kept, holding what its reader served.
namespace campana {

struct RondaDosLectoras {
  int cheques = 0;  // cheques both readers delivered
  std::vector<std::string> violaciones;
};

// One round: copies the installation (host, component, simulator) twice
// into a folder of its own beside the campaign's, runs both hosts at once
// and checks. `cheques` is the tray of each reader.
RondaDosLectoras DosLectoras(const Instalacion& instalacion, const std::string& anfitrion,
                             int cheques);

}  // namespace campana
