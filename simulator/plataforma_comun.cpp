#include "plataforma.h"

namespace mtxsim {

std::string Resuelve(const std::string& directorio, const std::string& ruta) {
  if (ruta.empty() || EsRutaAbsoluta(ruta) || directorio.empty()) {
    return ruta;
  }
  return directorio + kSeparador + ruta;
}

std::string DirectorioDe(const std::string& ruta) {
  const std::size_t corte = ruta.find_last_of("/\\");
  return corte == std::string::npos ? std::string() : ruta.substr(0, corte);
}

}  // namespace mtxsim
