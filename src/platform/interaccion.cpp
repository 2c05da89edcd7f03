#include "vardel/interaccion.h"

namespace vardel::platform {

namespace {
thread_local Interaccion* sustituta = nullptr;
}  // namespace

Interaccion& InteraccionActual() {
  return sustituta != nullptr ? *sustituta : InteraccionPlataforma();
}

void SustituyeInteraccion(Interaccion* nueva) {
  sustituta = nueva;
}

}  // namespace vardel::platform
