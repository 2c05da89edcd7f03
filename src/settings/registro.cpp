#include "settings/registro.h"

#include "platform/ansi.h"
#include "platform/archivos.h"
#include "platform/componente.h"
#include "platform/estado_usuario.h"
#include "platform/reloj.h"

namespace vardel::Configuracion {

namespace {

constexpr const char* kNombreLog = "Lectora.log";

}  // namespace

std::string& strDirectorioLog() {
  thread_local std::string directorio;
  return directorio;
}

std::string RutaLog() {
  const std::string& directorio = strDirectorioLog();
  const std::string carpeta = directorio.empty() ? CarpetaLogPredeterminada() : directorio;
  return carpeta + platform::kSeparador + kNombreLog;
}

std::string RutaLogRespaldo() {
  const std::string carpeta = platform::CarpetaEstadoUsuario();
  return carpeta.empty() ? std::string() : carpeta + platform::kSeparador + kNombreLog;
}

std::optional<ErrorEjecucion> EscribeTraza(const std::string& texto) {
  const std::string bytes = platform::AAnsi(texto);
  try {
    platform::AnadeLinea(RutaLog(), bytes);
    return std::nullopt;
  } catch (const ErrorEjecucion& error) {
    const std::string respaldo = RutaLogRespaldo();
    if (respaldo.empty()) {
      return error;
    }
    try {
      platform::AnadeLinea(respaldo, bytes);
      return std::nullopt;
    } catch (const ErrorEjecucion& otro) {
      return otro;
    }
  }
}

void EscribeLog(const std::string& texto) {
  // Dropped only when neither file takes it: the cheque being read matters
  // more than its log line.
  (void)EscribeTraza(texto);
}

std::string LineaLog(std::int32_t numero, std::string_view mensaje) {
  return LineaLog(std::to_string(numero), mensaje);
}

std::string LineaLog(std::string_view numero, std::string_view mensaje) {
  return platform::FechaHoraGeneral(platform::Ahora()) + " - " + std::string(numero) +
         std::string(mensaje);
}

}  // namespace vardel::Configuracion
