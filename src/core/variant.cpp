#include "vardel/variant.h"

#include <cstdio>

#include "core/lanza_error.h"
#include "vardel/collection.h"
#include "vardel/fecha.h"

namespace vardel {
inline namespace v1 {

namespace {

template <typename T, typename Valor>
const T& Como(const Valor& valor) {
  if (const T* tipo = std::get_if<T>(&valor)) {
    return *tipo;
  }
  LanzaError(errores::kTiposNoCoinciden);
}

}  // namespace

std::int16_t Variant::AsInteger() const {
  return Como<std::int16_t>(valor_);
}
std::int32_t Variant::AsLong() const {
  return Como<std::int32_t>(valor_);
}
double Variant::AsDouble() const {
  return Como<double>(valor_);
}
Fecha Variant::AsDate() const {
  return Como<Fecha>(valor_);
}
const std::string& Variant::AsString() const {
  return Como<std::string>(valor_);
}
vardel::Boolean Variant::AsBoolean() const {
  return Como<vardel::Boolean>(valor_);
}
const std::shared_ptr<Collection>& Variant::AsObject() const {
  return Como<std::shared_ptr<Collection>>(valor_);
}

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

}  // namespace v1
}  // namespace vardel
