#include "salida.h"

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <ctime>
#include <iomanip>
#include <locale>
#include <sstream>
#include <stdexcept>

#include "momento.h"
#include "ordenes.h"
#include "parada.h"
#include "vardel/comunica.h"
#include "vardel/configuracion.h"
#include "vardel/fecha.h"

namespace vardel::cli {

namespace {

// Beyond this no cheque's amount lies, and a double no longer holds cents:
// such a value is written as a whole number, which never takes exponent
// form either.
constexpr double kImporteConCentimos = 1e13;

// An amount rounded to cents, as a JSON number that prints in plain
// decimals with at most two of them; null when no such number holds it.
ordered_json Importe(double valor) {
  if (!std::isfinite(valor)) {
    return nullptr;
  }
  if (std::fabs(valor) < kImporteConCentimos) {
    // The nearest double to a whole number of cents: its shortest form,
    // which is what the writer prints, has at most two decimals.
    return std::round(valor * 100.0) / 100.0;
  }
  if (std::fabs(valor) < 9.2e18) {
    return static_cast<std::int64_t>(std::llround(valor));
  }
  return nullptr;
}

// The error's own detail, then the command's.
std::string DetalleCompleto(const ErrorEjecucion& error, const std::string& detalleOrden) {
  std::string detalle = error.Detalle();
  if (!detalleOrden.empty()) {
    detalle += (detalle.empty() ? "" : "; ") + detalleOrden;
  }
  return detalle;
}

}  // namespace

std::string ImporteEnTexto(double valor) {
  // The environment's locale for this one stream: the program's own stays
  // "C", which the settings' number reading relies on.
  std::ostringstream texto;
  try {
    texto.imbue(std::locale(""));
  } catch (const std::runtime_error&) {
    // a locale the system lacks: the plain form
  }
  texto << std::fixed << std::setprecision(2) << valor;
  return texto.str();
}

ordered_json JsonDe(const Variant& valor) {
  switch (valor.tipo()) {
    case Variant::Tipo::Empty:
      return nullptr;
    case Variant::Tipo::Integer:
      return valor.AsInteger();
    case Variant::Tipo::Long:
      return valor.AsLong();
    case Variant::Tipo::Double:
      return valor.AsDouble();
    case Variant::Tipo::Boolean:
      return EsVerdadero(valor.AsBoolean());
    case Variant::Tipo::Date: {
      const FechaCivil c = CivilDesdeFecha(valor.AsDate());
      char texto[16];
      std::snprintf(texto, sizeof texto, "%04d-%02d-%02d", c.anio, c.mes, c.dia);
      return texto;
    }
    case Variant::Tipo::String:
      if (valor.AsString().empty()) {
        return nullptr;
      }
      return valor.AsString();
    case Variant::Tipo::Object:
      return valor.AsObject() ? JsonDe(*valor.AsObject()) : ordered_json(nullptr);
  }
  return nullptr;
}

ordered_json JsonDe(const Collection& col) {
  ordered_json objeto = ordered_json::object();
  for (std::int32_t i = 1; i <= col.Count(); ++i) {
    const auto& clave = col.Clave(i);
    const Variant& item = col.Item(i);
    const bool importe = clave && *clave == "Importe" && item.tipo() == Variant::Tipo::Double;
    objeto[clave ? *clave : std::to_string(i)] = importe ? Importe(item.AsDouble()) : JsonDe(item);
  }
  return objeto;
}

std::string TextoLinea(const ordered_json& linea) {
  // Replaced rather than stopping the read.
  return linea.dump(-1, ' ', false, ordered_json::error_handler_t::replace);
}

void EmiteLinea(const ordered_json& linea, std::FILE* destino) {
  const std::string texto = TextoLinea(linea);
  std::fprintf(destino, "%s\n", texto.c_str());
  if (destino == stdout) {
    VuelcaSalida();
  } else {
    std::fflush(destino);
  }
}

void VuelcaSalida() {
  if (std::fflush(stdout) != 0 || std::ferror(stdout) != 0) {
    SalidaCerrada();
  }
}

std::string ConAvisoConfiguracion(const std::string& detalle) {
  const std::string aviso = AvisoConfiguracion();
  return aviso.empty() ? detalle : detalle + "; " + aviso;
}

std::string DetalleSinLectora() {
  return ConAvisoConfiguracion("la biblioteca de la lectora se ha cargado, pero la lectora \"" +
                               LeeAjuste("Name") + "\" (Name en " + RutaConfiguracion() +
                               ") no responde: compruebe que está enchufada, encendida y libre");
}

std::string AvisoNombre() {
  const std::string nombre = LeeAjuste("Name");
  if (nombre == kDispositivoVigilado) {
    return "";
  }
  return "Name en " + RutaConfiguracion() + " es \"" + nombre +
         "\", pero la comprobación de presencia vigila \"" + kDispositivoVigilado +
         "\": la lectura abre \"" + nombre + "\"";
}

ordered_json LineaEstado(bool conectada, const std::string& aviso) {
  return {{"tipo", "estado"},
          {"conectada", conectada},
          {"detalle", conectada ? ordered_json(nullptr) : ordered_json(DetalleSinLectora())},
          {"aviso", aviso.empty() ? ordered_json(nullptr) : ordered_json(aviso)}};
}

ordered_json LineaLectora(bool conectada) {
  return {
      {"tipo", "lectora"}, {"momento", MomentoIso(std::time(nullptr))}, {"conectada", conectada}};
}

ordered_json LineaError(const ErrorEjecucion& error, const std::string& detalleOrden) {
  const std::string detalle = DetalleCompleto(error, detalleOrden);
  return {{"tipo", "error"},
          {"numero", error.Numero()},
          {"descripcion", error.Descripcion()},
          {"detalle", detalle.empty() ? ordered_json(nullptr) : ordered_json(detalle)}};
}

int InformaError(const ErrorEjecucion& error, bool json, const std::string& detalleOrden) {
  if (json) {
    EmiteLinea(LineaError(error, detalleOrden));
  } else {
    std::fprintf(stderr, "vardel: error %d: %s\n", error.Numero(), error.Descripcion().c_str());
    if (const std::string detalle = DetalleCompleto(error, detalleOrden); !detalle.empty()) {
      std::fprintf(stderr, "  %s\n", detalle.c_str());
    }
  }
  return kSalidaError;
}

}  // namespace vardel::cli
