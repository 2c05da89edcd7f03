#include <dlfcn.h>

#include "core/error.h"
#include "platform/biblioteca.h"

namespace vardel::platform {

BibliotecaDinamica::BibliotecaDinamica(std::vector<std::string> candidatos)
    : candidatos_([lista = std::move(candidatos)] { return lista; }) {}

BibliotecaDinamica::BibliotecaDinamica(std::function<std::vector<std::string>()> candidatos)
    : candidatos_(std::move(candidatos)) {}

BibliotecaDinamica::~BibliotecaDinamica() {
  if (modulo_ != nullptr) {
    dlclose(modulo_);
  }
}

void BibliotecaDinamica::Carga() {
  if (modulo_ != nullptr) {
    return;
  }
  for (const std::string& candidato : candidatos_()) {
    if (candidato.empty()) {
      continue;
    }
    modulo_ = dlopen(candidato.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (modulo_ != nullptr) {
      return;
    }
  }
  LanzaError(errores::kErrorCargandoBiblioteca);
}

void* BibliotecaDinamica::Funcion(const char* nombre) {
  std::lock_guard<std::mutex> cerrojo(mutex_);
  Carga();
  void* funcion = dlsym(modulo_, nombre);
  if (funcion == nullptr) {
    LanzaError(errores::kPuntoEntradaNoEncontrado);
  }
  return funcion;
}

}  // namespace vardel::platform
