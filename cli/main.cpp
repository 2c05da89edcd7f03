// vardel: a host program of the component. Its main job is reading the
// cheques in the reader's tray.
#include <cstdio>
#include <cstdlib>
#include <string>

#include "ordenes.h"

namespace {

constexpr const char* kAyuda =
    "Uso: vardel ORDEN [--json]\n"
    "\n"
    "Órdenes:\n"
    "  read               lee todos los cheques de la bandeja y muestra cada uno\n"
    "                     (campos, imágenes escritas) y un resumen\n"
    "  status             dice si hay una lectora conectada que responde\n"
    "  watch [--seconds N]\n"
    "                     vigila la lectora y avisa de cada conexión y desconexión\n"
    "                     (hasta Ctrl+C, o N segundos)\n"
    "  settings           muestra la pantalla de configuración\n"
    "\n"
    "Opciones:\n"
    "  --json             salida para programas: un objeto JSON por línea\n"
    "  --help             esta ayuda\n"
    "\n"
    "La configuración es Config.ini, junto a la biblioteca del componente.\n"
    "\n"
    "Códigos de salida:\n"
    "  0    la orden terminó bien\n"
    "  1    un error de ejecución la terminó (número y descripción en la salida de\n"
    "       errores; con --json, {\"error\": N, \"descripcion\": ...})\n"
    "  2    read: no hay ninguna lectora conectada; no se ha alimentado ningún cheque\n"
    "  3    read: la lectora se desconectó durante la lectura; se nombra el último\n"
    "       documento entregado y los siguientes deben pasarse de nuevo\n"
    "  64   uso incorrecto (orden u opción desconocida)\n";

int ErrorDeUso(const std::string& mensaje) {
  std::fprintf(stderr, "vardel: %s\n(vardel --help muestra el uso)\n", mensaje.c_str());
  return vardel::cli::kSalidaUso;
}

}  // namespace

int main(int argc, char** argv) {
  using namespace vardel::cli;
  std::string orden;
  Opciones opciones;
  for (int i = 1; i < argc; ++i) {
    const std::string argumento = argv[i];
    if (argumento == "--help" || argumento == "-h") {
      std::fputs(kAyuda, stdout);
      return kSalidaCorrecta;
    }
    if (argumento == "--json") {
      opciones.json = true;
    } else if (argumento == "--seconds") {
      if (i + 1 >= argc) {
        return ErrorDeUso("--seconds necesita un número de segundos");
      }
      char* fin = nullptr;
      const long segundos = std::strtol(argv[++i], &fin, 10);
      if (*fin != '\0' || segundos <= 0 || segundos > 86400) {
        return ErrorDeUso(std::string("número de segundos no válido: ") + argv[i]);
      }
      opciones.segundos = static_cast<int>(segundos);
    } else if (orden.empty() && argumento.rfind("-", 0) != 0) {
      orden = argumento;
    } else {
      return ErrorDeUso("argumento no reconocido: " + argumento);
    }
  }
  if (orden == "read") {
    return OrdenLeer(opciones);
  }
  if (orden == "status") {
    return OrdenEstado(opciones);
  }
  if (orden == "watch") {
    return OrdenVigilar(opciones);
  }
  if (orden == "settings") {
    return OrdenConfigurar(opciones);
  }
  return ErrorDeUso(orden.empty() ? "falta la orden" : "orden desconocida: " + orden);
}
