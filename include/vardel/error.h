#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>

#include "vardel/export.h"

namespace vardel {
inline namespace v1 {

// Numbers of the run-time errors the component raises. They are the numbers
// of the platform's automation runtime, so a host sees the error it expects.
namespace errores {
inline constexpr int32_t kArgumentoNoValido = 5;
inline constexpr int32_t kDesbordamiento = 6;
inline constexpr int32_t kMemoriaInsuficiente = 7;
inline constexpr int32_t kSubindiceFueraDeIntervalo = 9;
inline constexpr int32_t kTiposNoCoinciden = 13;
inline constexpr int32_t kErrorCargandoBiblioteca = 48;
inline constexpr int32_t kArchivoNoEncontrado = 53;
inline constexpr int32_t kDiscoLleno = 61;
inline constexpr int32_t kDemasiadosArchivos = 67;
inline constexpr int32_t kPermisoDenegado = 70;
inline constexpr int32_t kErrorAccesoRuta = 75;
inline constexpr int32_t kRutaNoEncontrada = 76;
inline constexpr int32_t kPuntoEntradaNoEncontrado = 453;
inline constexpr int32_t kClaveDuplicada = 457;
}  // namespace errores

// The Spanish description the automation runtime gives for a number; a
// generic text for numbers it has no description for.
VARDEL_API std::string DescripcionError(int32_t numero);

// A run-time error: a number and its description. It ends the operation
// where it happens and reaches the host unchanged. A raise site that knows
// more (the file, folder, setting or library concerned) adds it as a detail
// for an operator to act on; the detail never changes the number, the
// description, or what a COM host or an event sees.
class VARDEL_API ErrorEjecucion : public std::runtime_error {
 public:
  explicit ErrorEjecucion(int32_t numero);
  ErrorEjecucion(int32_t numero, std::string descripcion);

  int32_t Numero() const { return numero_; }
  const std::string& Descripcion() const { return descripcion_; }
  const std::string& Detalle() const { return detalle_; }
  void AnadeDetalle(const std::string& detalle) {
    detalle_ += (detalle_.empty() ? "" : "; ") + detalle;
  }

 private:
  int32_t numero_;
  std::string descripcion_;
  std::string detalle_;
};

}  // namespace v1
}  // namespace vardel
