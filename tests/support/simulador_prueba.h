#pragma once

#include <memory>
#include <string>
#include <vector>

#include "device/lectora_biblioteca.h"

namespace vardel::prueba {

// The folder of the running test executable, where the build puts the
// reader simulator and the test libraries.
std::string DirectorioEjecutable();

// The reader simulator built beside the tests, driven by a scenario of the
// test's own, for integration tests:
//
//   DirectorioPrueba dir;
//   SimuladorPrueba simulador(dir.Ruta(), "[Document1]\nmicr=C1E0049C...\n");
//   ... code under test calls device::LectoraActual() ...
//   EXPECT_THAT(simulador.Funciones(), Contains("MTMICRProcessCheck"));
//
// While it lives, the simulator reads the scenario written into the folder
// (through the simulator's own setting MTXSIM_SCENARIO) and this thread's
// reader is a binding to that simulator. Every call is journalled.
class SimuladorPrueba {
 public:
  SimuladorPrueba(std::string directorio, const std::string& escenario);
  ~SimuladorPrueba();
  SimuladorPrueba(const SimuladorPrueba&) = delete;
  SimuladorPrueba& operator=(const SimuladorPrueba&) = delete;

  // Replaces the scenario; the simulator sees it at its next call.
  void Escenario(const std::string& escenario);
  std::string RutaEscenario() const;
  // The journal's lines (tab-separated fields: function, arguments,
  // "result=N", outputs), and just the function names.
  std::vector<std::string> Diario() const;
  std::vector<std::string> Funciones() const;
  device::LectoraBiblioteca& Lectora() { return *lectora_; }

  // The simulator library's path beside the tests.
  static std::string RutaSimulador();

 private:
  std::string directorio_;
  std::unique_ptr<device::LectoraBiblioteca> lectora_;
};

// Sets or clears (empty value) an environment variable of this process, in
// the way the simulator reads it on each platform.
void PonVariableEntorno(const std::string& nombre, const std::string& valor);

}  // namespace vardel::prueba
