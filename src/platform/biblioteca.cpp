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
  // Every path tried and the loader's reason for each, for the operator.
  std::string intentos;
  for (const std::string& candidato : candidatos_()) {
    if (!candidato.empty()) {
      std::string motivo;
      modulo_ = detalle::AbreModulo(candidato, motivo);
      if (modulo_ != nullptr) {
        cargada_ = candidato;
        return;
      }
      intentos += (intentos.empty() ? "" : "; ") + candidato + " (" + motivo + ")";
    }
  }
  ErrorEjecucion error(errores::kErrorCargandoBiblioteca);
  error.AnadeDetalle("no se ha podido cargar la biblioteca; probado: " + intentos +
                     ". Instale la biblioteca de la lectora junto al componente");
  throw error;
}

void* BibliotecaDinamica::Funcion(const char* nombre) {
  std::lock_guard<std::mutex> cerrojo(mutex_);
  Carga();
  void* funcion = detalle::SimboloDe(modulo_, nombre);
  if (funcion == nullptr) {
    ErrorEjecucion error(errores::kPuntoEntradaNoEncontrado);
    error.AnadeDetalle("falta la función " + std::string(nombre) + " en " + cargada_);
    throw error;
  }
  return funcion;
}

}  // namespace vardel::platform
