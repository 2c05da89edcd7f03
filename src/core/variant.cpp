#include "vardel/variant.h"

#include <cstdio>

#include "vardel/collection.h"
#include "vardel/fecha.h"

namespace vardel {

std::string ATexto(const Variant& v) {
  switch (v.tipo()) {
    case Variant::Tipo::Empty:
      return "";
    case Variant::Tipo::Integer:
      return std::to_string(v.AsInteger());
    case Variant::Tipo::Long:
      return std::to_string(v.AsLong());
    case Variant::Tipo::Double: {
      char texto[64];
      std::snprintf(texto, sizeof texto, "%.15g", v.AsDouble());
      return texto;
    }
    case Variant::Tipo::Date: {
      const FechaCivil c = CivilDesdeFecha(v.AsDate());
      char texto[32];
      std::snprintf(texto, sizeof texto, "%02d/%02d/%04d", c.dia, c.mes, c.anio);
      return texto;
    }
    case Variant::Tipo::String:
      return v.AsString();
    case Variant::Tipo::Boolean:
      return EsVerdadero(v.AsBoolean()) ? "Verdadero" : "Falso";
    case Variant::Tipo::Object:
      return v.AsObject() ? "(Collection)" : "(Nothing)";
  }
  return "";
}

}  // namespace vardel
