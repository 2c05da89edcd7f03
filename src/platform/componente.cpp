#include <mutex>

#include "platform/componente.h"
#include "platform/componente_plataforma.h"

namespace vardel::platform {

namespace {
std::mutex mutexSustituto;
std::optional<std::string> sustituto;
}  // namespace

void SustituyeDirectorioComponente(std::optional<std::string> directorio) {
  const std::lock_guard<std::mutex> cerrojo(mutexSustituto);
  sustituto = std::move(directorio);
}

std::string DirectorioComponente() {
  if (auto sustituto = detalle::DirectorioSustituto()) {
    return *sustituto;
  }
  // A loaded library does not move: worked out once per process, not at
  // every settings read (each costs several readlink and stat calls).
  static const std::string directorio = detalle::CalculaDirectorio();
  return directorio;
}

std::optional<std::string> detalle::DirectorioSustituto() {
  const std::lock_guard<std::mutex> cerrojo(mutexSustituto);
  return sustituto;
}

}  // namespace vardel::platform
