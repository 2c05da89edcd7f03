#include "device/lectora.h"
#include "device/lectora_biblioteca.h"

namespace vardel::device {

namespace {

thread_local Lectora* sustituta_hilo = nullptr;

}  // namespace

Lectora& LectoraActual() {
  if (sustituta_hilo != nullptr) {
    return *sustituta_hilo;
  }
  // One binding for the whole process, never destroyed: the library stays
  // loaded until the process ends, whatever static objects still use it.
  static LectoraBiblioteca* const cargada = new LectoraBiblioteca();
  return *cargada;
}

void SustituyeLectora(Lectora* sustituta) {
  sustituta_hilo = sustituta;
}

}  // namespace vardel::device
