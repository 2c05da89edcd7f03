#include "core/lanza_error.h"

#include <utility>

namespace vardel {
inline namespace v1 {

std::string DescripcionError(int32_t numero) {
  switch (numero) {
    case errores::kArgumentoNoValido:
      return "Argumento o llamada a procedimiento no válida";
    case errores::kDesbordamiento:
      return "Desbordamiento";
    case errores::kMemoriaInsuficiente:
      return "Memoria insuficiente";
    case errores::kSubindiceFueraDeIntervalo:
      return "Subíndice fuera del intervalo";
    case errores::kTiposNoCoinciden:
      return "No coinciden los tipos";
    case errores::kErrorCargandoBiblioteca:
      return "Error al cargar la DLL";
    case errores::kArchivoNoEncontrado:
      return "No se ha encontrado el archivo";
    case errores::kDiscoLleno:
      return "Disco lleno";
    case errores::kDemasiadosArchivos:
      return "Demasiados archivos";
    case errores::kPermisoDenegado:
      return "Permiso denegado";
    case errores::kErrorAccesoRuta:
      return "Error de acceso a la ruta o el archivo";
    case errores::kRutaNoEncontrada:
      return "No se ha encontrado la ruta de acceso";
    case errores::kPuntoEntradaNoEncontrado:
      return "No se encuentra el punto de entrada de la DLL";
    case errores::kClaveDuplicada:
      return "Esta clave ya está asociada con un elemento de esta colección";
    default:
      return "Error definido por la aplicación o el objeto";
  }
}

ErrorEjecucion::ErrorEjecucion(int32_t numero) : ErrorEjecucion(numero, DescripcionError(numero)) {}

ErrorEjecucion::ErrorEjecucion(int32_t numero, std::string descripcion)
    : std::runtime_error(std::to_string(numero) + " " + descripcion),
      numero_(numero),
      descripcion_(std::move(descripcion)) {}

}  // namespace v1

void LanzaError(int32_t numero) {
  throw ErrorEjecucion(numero);
}

void LanzaError(int32_t numero, std::string descripcion) {
  throw ErrorEjecucion(numero, std::move(descripcion));
}

}  // namespace vardel
