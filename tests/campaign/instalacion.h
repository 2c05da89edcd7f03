#pragma once

#include <string>
#include <vector>

#include "escenarios.h"

// The campaign's scratch tree: a counter machine's folder with the host,
// the component and the simulator side by side, the image folders, and the
// odd paths the faults name.
namespace campana {

class Instalacion {
 public:
  // bin: the build's folder of programs; the host's, the simulator's and
  // the component's file names in it (a Windows host has the component
  // inside). windows: the host runs under Wine.
  Instalacion(const std::string& bin, const std::string& anfitrion, const std::string& simulador,
              const std::vector<std::string>& bibliotecas, bool windows);
  ~Instalacion();
  Instalacion(const Instalacion&) = delete;
  Instalacion& operator=(const Instalacion&) = delete;

  const Rutas& LasRutas() const { return rutas_; }
  const std::string& Raiz() const { return raiz_; }
  std::string Anfitrion() const { return rutas_.instalacion + "/" + anfitrion_; }
  // The simulator as built (a run may have put a variant in its place).
  std::string Simulador() const { return bin_ + "/" + simulador_; }
  // The image folders a read may write into.
  std::vector<std::string> Permitidas() const;

  // Writes a run's files and puts the simulator (or the variant lacking a
  // function) in place; clears the last run's journal, log and output.
  void Prepara(const Lectura& lectura);
  // Every file a run's log lines may go to.
  std::vector<std::string> Registros() const;
  // Puts back what a run's faults moved or filled.
  void Restaura();
  // Empties the image folders (the error numbers would run out).
  void VaciaImagenes();
  // Keeps the tree for a look after a violation.
  void Conserva() { conservar_ = true; }

 private:
  std::string bin_;
  std::string anfitrion_;
  std::string simulador_;
  std::string raiz_;
  Rutas rutas_;
  bool montado_ = false;
  bool conservar_ = false;
};

}  // namespace campana
