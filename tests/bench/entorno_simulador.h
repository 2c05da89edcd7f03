#pragma once

#include <memory>
#include <string>

#include "device/lectora_biblioteca.h"
#include "support/directorio_prueba.h"

namespace vardel::banco {

// A component directory with the bundled settings, images going to its
// "img" folder, and the reader simulator loaded through the real binding
// with a scenario of the benchmark's own. The scenario has no journal, so
// the simulator adds only its own work to what is measured.
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

// The process's peak resident memory so far, in KiB.
long MemoriaMaximaKiB();

}  // namespace vardel::banco
