#include "settings/registro.h"

#include "platform/ansi.h"
#include "platform/archivos.h"
#include "platform/componente.h"
#include "platform/reloj.h"
#include "vardel/error.h"

namespace vardel::Configuracion {

std::string& strDirectorioLog() {
  thread_local std::string directorio;
  return directorio;
}

void EscribeLog(const std::string& texto) {
  const std::string& directorio = strDirectorioLog();
  const std::string carpeta = directorio.empty() ? platform::DirectorioComponente() : directorio;
  try {
    platform::AnadeLinea(carpeta + platform::kSeparador + "Lectora.log", platform::AAnsi(texto));
  } catch (const ErrorEjecucion&) {
    // Dropped: the cheque being read matters more than its log line.
  }
}

std::string LineaLog(std::int32_t numero, std::string_view mensaje) {
  return LineaLog(std::to_string(numero), mensaje);
}

std::string LineaLog(std::string_view numero, std::string_view mensaje) {
  return platform::FechaHoraGeneral(platform::Ahora()) + " - " + std::string(numero) +
         std::string(mensaje);
}

}  // namespace vardel::Configuracion
