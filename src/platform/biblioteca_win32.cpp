#include <windows.h>

#include "core/error.h"
#include "platform/biblioteca.h"

namespace vardel::platform {

BibliotecaDinamica::BibliotecaDinamica(std::vector<std::string> candidatos)
    : candidatos_([lista = std::move(candidatos)] { return lista; }) {}

BibliotecaDinamica::BibliotecaDinamica(std::function<std::vector<std::string>()> candidatos)
    : candidatos_(std::move(candidatos)) {}

BibliotecaDinamica::~BibliotecaDinamica() {
  if (modulo_ != nullptr) {
    FreeLibrary(static_cast<HMODULE>(modulo_));
  }
}

void BibliotecaDinamica::Carga() {
  if (modulo_ != nullptr) {
    return;
  }
  // No "insert the disk" box from the system while probing candidates.
  const UINT modo_anterior = SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX);
  for (const std::string& candidato : candidatos_()) {
    if (candidato.empty()) {
      continue;
    }
    modulo_ = LoadLibraryA(candidato.c_str());
    if (modulo_ != nullptr) {
      break;
    }
  }
  SetErrorMode(modo_anterior);
  if (modulo_ == nullptr) {
    LanzaError(errores::kErrorCargandoBiblioteca);
  }
}

void* BibliotecaDinamica::Funcion(const char* nombre) {
  std::lock_guard<std::mutex> cerrojo(mutex_);
  Carga();
  FARPROC funcion = GetProcAddress(static_cast<HMODULE>(modulo_), nombre);
  if (funcion == nullptr) {
    LanzaError(errores::kPuntoEntradaNoEncontrado);
  }
  return reinterpret_cast<void*>(funcion);
}

}  // namespace vardel::platform
