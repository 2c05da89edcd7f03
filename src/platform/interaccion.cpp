#include "vardel/interaccion.h"

namespace vardel::platform {

namespace {
thread_local Interaccion* sustituta = nullptr;
}  // namespace

Interaccion& v1::InteraccionActual() {
  return sustituta != nullptr ? *sustituta : InteraccionPlataforma();
}

void v1::SustituyeInteraccion(Interaccion* nueva) {
  sustituta = nueva;
}

}  // namespace vardel::platform
