#include "settings/registro.h"

#include "platform/ansi.h"
#include "platform/carpeta.h"
#include "platform/componente.h"
#include "platform/estado_usuario.h"
#include "platform/reloj.h"
#include "settings/configuracion.h"

namespace vardel::Configuracion {

namespace {

constexpr const char* kNombreLog = "Lectora.log";

// The log's folder resolved once for the line. A folder Config.ini names
// (DirectorioLog) must be one its editors may write: a root read must not
// append where they could not.
void AnadeEn(const std::string& carpeta, bool nombradaEnAjustes, const std::string& bytes) {
  const platform::Carpeta destino(carpeta);
  if (nombradaEnAjustes) {
    platform::CompruebaAlcance(destino, RutaConfig(), "DirectorioLog");
  }
  destino.AnadeLinea(kNombreLog, bytes);
}

}  // namespace

std::string& strDirectorioLog() {
  thread_local std::string directorio;
  return directorio;
}

namespace {

std::string CarpetaLog() {
  const std::string& directorio = strDirectorioLog();
  return directorio.empty() ? CarpetaLogPredeterminada() : directorio;
}

}  // namespace

std::string RutaLog() {
  return CarpetaLog() + platform::kSeparador + kNombreLog;
}

std::string RutaLogRespaldo() {
  const std::string carpeta = platform::CarpetaEstadoUsuario();
  return carpeta.empty() ? std::string() : carpeta + platform::kSeparador + kNombreLog;
}

std::optional<ErrorEjecucion> EscribeTraza(const std::string& texto) {
  const std::string bytes = platform::AAnsi(texto);
  try {
    const std::string carpeta = CarpetaLog();
    AnadeEn(carpeta, carpeta != CarpetaLogPredeterminada(), bytes);
    return std::nullopt;
  } catch (const ErrorEjecucion& error) {
    const std::string respaldo = platform::CarpetaEstadoUsuario();
    if (respaldo.empty()) {
      return error;
    }
    try {
      AnadeEn(respaldo, false, bytes);
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
