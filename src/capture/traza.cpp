#include "capture/traza.h"

#include <cmath>
#include <cstdio>
#include <limits>

#include "capture/estado_ciclo.h"
#include "core/text.h"
#include "settings/registro.h"

namespace vardel::capture {

namespace {

std::string Pase(const EstadoCiclo& estado, const std::string& linea) {
  return ", número de error " + std::to_string(estado.intIndiceError) + ", línea \"" +
         SinControles(linea) + "\"";
}

// The status as a number when it is a whole 32-bit one, else as read.
std::string NumeroDeEstado(const std::string& estadoDocumento) {
  const double numero = NumeroInicial(estadoDocumento);
  if (std::trunc(numero) == numero && numero >= std::numeric_limits<std::int32_t>::min() &&
      numero <= std::numeric_limits<std::int32_t>::max()) {
    return std::to_string(static_cast<std::int32_t>(numero));
  }
  return SinControles(Recorta(estadoDocumento));
}

void Escribe(const std::string& linea, EstadoCiclo& estado) {
  estado.trazado = true;
  if (auto error = Configuracion::EscribeTraza(linea); error && !estado.trazaPerdida) {
    estado.trazaPerdida = std::move(error);
  }
}

}  // namespace

std::string SinControles(const std::string& texto) {
  std::string limpio;
  for (std::size_t i = 0; i < texto.size(); ++i) {
    const char c = texto[i];
    const auto byte = static_cast<unsigned char>(c);
    // A backslash that the text follows with "x" is written \x5C too, so
    // "\x1B" sent as text never reads as an escaped ESC: every "\x" of
    // the line starts an escape. A lone backslash (a Windows path) stays.
    const bool barraAmbigua = c == '\\' && i + 1 < texto.size() && texto[i + 1] == 'x';
    if (byte < 0x20 || byte == 0x7F || barraAmbigua) {
      char escrito[5];
      std::snprintf(escrito, sizeof escrito, "\\x%02X", byte);
      limpio += escrito;
    } else {
      limpio += c;
    }
  }
  return limpio;
}

void TrazaCapturaFallida(std::int32_t resultado, EstadoCiclo& estado) {
  Escribe(
      Configuracion::LineaLog(resultado, " - Captura fallida" + Pase(estado, "") +
                                             " Si un talón salió de la bandeja, vuelva a pasarlo "),
      estado);
}

void TrazaSinDatos(const std::string& estadoDocumento, EstadoCiclo& estado) {
  Escribe(Configuracion::LineaLog(NumeroDeEstado(estadoDocumento),
                                  " - Documento sin datos" + Pase(estado, estado.lineaCodigo) +
                                      " Vuelva a pasar el talón "),
          estado);
}

void TrazaImagenNoGuardada(std::int32_t numero, int k, const std::string& ruta,
                           EstadoCiclo& estado) {
  Escribe(Configuracion::LineaLog(
              numero, " - Imagen " + std::to_string(k) + " no guardada (" + SinControles(ruta) +
                          ")" + Pase(estado, estado.lineaCodigo) + " Vuelva a pasar el talón "),
          estado);
}

}  // namespace vardel::capture
