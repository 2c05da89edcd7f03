#pragma once

#include <cstdint>

namespace vardel {
inline namespace v1 {

// The 16-bit Boolean of the automation world: True is -1, False is 0. It is
// an enum so that any 16-bit value a host stores can be held, and tests of
// "exactly True" compare with -1.
enum class Boolean : std::int16_t { False = 0, True = -1 };

constexpr Boolean ABoolean(bool valor) {
  return valor ? Boolean::True : Boolean::False;
}
constexpr bool EsVerdadero(Boolean valor) {
  return valor == Boolean::True;
}

}  // namespace v1
}  // namespace vardel
