#include "support/simulador_prueba.h"

#include <fstream>
#include <iterator>

#include "device/lectora.h"
#include "platform/componente.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <unistd.h>

#include <climits>
#include <cstdlib>
#endif

namespace vardel::prueba {

namespace {

constexpr const char* kVariableEscenario = "MTXSIM_SCENARIO";
constexpr const char* kArchivoEscenario = "escenario.scenario";
constexpr const char* kArchivoDiario = "diario.log";

}  // namespace

std::string DirectorioEjecutable() {
#ifdef _WIN32
  char ruta[MAX_PATH + 1] = {};
  const DWORD longitud = GetModuleFileNameA(nullptr, ruta, MAX_PATH);
  std::string completa(ruta, longitud);
#else
  char ruta[PATH_MAX + 1] = {};
  const ssize_t longitud = readlink("/proc/self/exe", ruta, PATH_MAX);
  std::string completa(ruta, longitud > 0 ? static_cast<std::size_t>(longitud) : 0);
#endif
  const std::size_t corte = completa.find_last_of("/\\");
  return corte == std::string::npos ? std::string(".") : completa.substr(0, corte);
}

void PonVariableEntorno(const std::string& nombre, const std::string& valor) {
#ifdef _WIN32
  SetEnvironmentVariableA(nombre.c_str(), valor.empty() ? nullptr : valor.c_str());
#else
  if (valor.empty()) {
    unsetenv(nombre.c_str());
  } else {
    setenv(nombre.c_str(), valor.c_str(), 1);
  }
#endif
}

std::string SimuladorPrueba::RutaSimulador() {
  return DirectorioEjecutable() + platform::kSeparador + device::kArchivoLectora;
}

SimuladorPrueba::SimuladorPrueba(std::string directorio, const std::string& escenario)
    : directorio_(std::move(directorio)),
      lectora_(
          std::make_unique<device::LectoraBiblioteca>(std::vector<std::string>{RutaSimulador()})) {
  Escenario(escenario);
  PonVariableEntorno(kVariableEscenario, RutaEscenario());
  device::SustituyeLectora(lectora_.get());
}

SimuladorPrueba::~SimuladorPrueba() {
  device::SustituyeLectora(nullptr);
  PonVariableEntorno(kVariableEscenario, "");
}

std::string SimuladorPrueba::RutaEscenario() const {
  return directorio_ + platform::kSeparador + kArchivoEscenario;
}

void SimuladorPrueba::Escenario(const std::string& escenario) {
  // The first key of a name wins, so this journal setting holds whatever
  // the scenario says.
  std::ofstream salida(RutaEscenario(), std::ios::binary | std::ios::trunc);
  salida << "[Reader]\njournal=" << kArchivoDiario << "\n" << escenario << "\n";
}

std::vector<std::string> SimuladorPrueba::Diario() const {
  std::ifstream entrada(directorio_ + platform::kSeparador + kArchivoDiario, std::ios::binary);
  std::vector<std::string> lineas;
  std::string linea;
  while (std::getline(entrada, linea)) {
    lineas.push_back(linea);
  }
  return lineas;
}

std::vector<std::string> SimuladorPrueba::Funciones() const {
  std::vector<std::string> funciones;
  for (const std::string& linea : Diario()) {
    funciones.push_back(linea.substr(0, linea.find('\t')));
  }
  return funciones;
}

}  // namespace vardel::prueba
