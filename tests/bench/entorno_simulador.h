#pragma once

#include <memory>
#include <optional>
#include <string>

#include "device/lectora_biblioteca.h"
#include "support/directorio_prueba.h"

namespace vardel::banco {

// The bundled settings, images going to an "img" folder, and the reader
// simulator loaded through the real binding with a scenario of the
// benchmark's own. The scenario has no journal, so the simulator adds only
// its own work to what is measured. Run from its copy (EjecutaDesdeCopia),
// Config.ini and the log are in the copy's folder, which the component
// works out itself as it does on a counter machine; otherwise the folder
// is put in place for it.
class EntornoSimulador {
 public:
  explicit EntornoSimulador(const std::string& escenario);
  ~EntornoSimulador();
  EntornoSimulador(const EntornoSimulador&) = delete;
  EntornoSimulador& operator=(const EntornoSimulador&) = delete;

  const prueba::DirectorioPrueba& Directorio() const { return dir_; }
  std::string Imagenes() const { return dir_.Archivo("img"); }

 private:
  prueba::DirectorioPrueba dir_;
  std::unique_ptr<device::LectoraBiblioteca> lectora_;
};

// Runs this program again from a copy of it in a fresh folder, with the
// same arguments, and gives the copy's exit code; nullopt in the copy. The
// component then finds its folder (and Config.ini) from its own code's
// file, as it does in use, so that cost is measured too.
std::optional<int> EjecutaDesdeCopia(char** argv);

// The process's peak resident memory so far, in KiB.
long MemoriaMaximaKiB();

}  // namespace vardel::banco
