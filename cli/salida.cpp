#include "salida.h"

#include <cstdio>

#include "vardel/fecha.h"

namespace vardel::cli {

std::string Json(const std::string& texto) {
  std::string salida = "\"";
  for (const char c : texto) {
    switch (c) {
      case '"':
        salida += "\\\"";
        break;
      case '\\':
        salida += "\\\\";
        break;
      case '\n':
        salida += "\\n";
        break;
      case '\r':
        salida += "\\r";
        break;
      case '\t':
        salida += "\\t";
        break;
      default:
        if (static_cast<unsigned char>(c) < 0x20) {
          char escape[8];
          std::snprintf(escape, sizeof escape, "\\u%04x", static_cast<unsigned char>(c));
          salida += escape;
        } else {
          salida += c;
        }
    }
  }
  return salida + "\"";
}

std::string JsonDe(const Variant& valor) {
  switch (valor.tipo()) {
    case Variant::Tipo::Empty:
      return "null";
    case Variant::Tipo::Integer:
    case Variant::Tipo::Long:
    case Variant::Tipo::Double:
      return ATexto(valor);
    case Variant::Tipo::Boolean:
      return EsVerdadero(valor.AsBoolean()) ? "true" : "false";
    case Variant::Tipo::Date: {
      const FechaCivil c = CivilDesdeFecha(valor.AsDate());
      char texto[16];
      std::snprintf(texto, sizeof texto, "%04d-%02d-%02d", c.anio, c.mes, c.dia);
      return Json(texto);
    }
    case Variant::Tipo::String:
      return Json(valor.AsString());
    case Variant::Tipo::Object:
      return valor.AsObject() ? JsonDe(*valor.AsObject()) : "null";
  }
  return "null";
}

std::string JsonDe(const Collection& col) {
  std::string salida = "{";
  for (std::int32_t i = 1; i <= col.Count(); ++i) {
    if (i > 1) {
      salida += ", ";
    }
    const auto& clave = col.Clave(i);
    salida += Json(clave ? *clave : std::to_string(i)) + ": " + JsonDe(col.Item(i));
  }
  return salida + "}";
}

int InformaError(const ErrorEjecucion& error, bool json) {
  if (json) {
    std::printf("{\"error\": %d, \"descripcion\": %s}\n", error.Numero(),
                Json(error.Descripcion()).c_str());
  } else {
    std::fprintf(stderr, "vardel: error %d: %s\n", error.Numero(), error.Descripcion().c_str());
  }
  return 1;
}

}  // namespace vardel::cli
