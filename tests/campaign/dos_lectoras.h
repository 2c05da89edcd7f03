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
  int cheques = 0;          // cheques both readers delivered
  int cortadas = 0;         // reads that ended before every cheque was delivered
  bool dosEquipos = false;  // run as two machines of one host name
  std::vector<std::string> violaciones;
};

// One round: copies the installation (host, component, simulator) twice
// into a folder of its own beside the campaign's, runs both hosts at once
// and checks. `cheques` is the tray of each reader. With `dosEquipos`, and
// where root may, each reader runs as a machine of its own sharing the
// folder: its own process ids, its own machine identity, and both named
// "debian", as two cloned counter PCs are (unshare --uts --pid --mount).
RondaDosLectoras DosLectoras(const Instalacion& instalacion, const std::string& anfitrion,
                             int cheques, bool dosEquipos);

}  // namespace campana
