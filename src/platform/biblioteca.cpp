#include "platform/biblioteca.h"

#include "core/lanza_error.h"
#include "platform/biblioteca_plataforma.h"

namespace vardel::platform {

BibliotecaDinamica::BibliotecaDinamica(std::vector<std::string> candidatos)
    : candidatos_([lista = std::move(candidatos)] { return lista; }) {}

BibliotecaDinamica::BibliotecaDinamica(std::function<std::vector<std::string>()> candidatos)
    : candidatos_(std::move(candidatos)) {}

BibliotecaDinamica::~BibliotecaDinamica() {
  if (modulo_ != nullptr) {
    detalle::CierraModulo(modulo_);
  }
}

void BibliotecaDinamica::Carga() {
  if (modulo_ != nullptr) {
    return;
  }
  for (const std::string& candidato : candidatos_()) {
    if (!candidato.empty()) {
      modulo_ = detalle::AbreModulo(candidato);
      if (modulo_ != nullptr) {
        return;
      }
    }
  }
  LanzaError(errores::kErrorCargandoBiblioteca);
}

void* BibliotecaDinamica::Funcion(const char* nombre) {
  std::lock_guard<std::mutex> cerrojo(mutex_);
  Carga();
  void* funcion = detalle::SimboloDe(modulo_, nombre);
  if (funcion == nullptr) {
    LanzaError(errores::kPuntoEntradaNoEncontrado);
  }
  return funcion;
}

}  // namespace vardel::platform
