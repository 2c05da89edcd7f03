// Arbitrary bytes as a code line: the parser must return null or exactly the
// seven cheque fields, typed as the host expects them, and never throw.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "screen/recoge_datos.h"

namespace {

const char* const kClaves[] = {"NumDoc",  "Entidad", "Oficina", "Cuenta",
                               "Importe", "TipoDoc", "FechaVto"};

bool EsTextoVacio(const vardel::Variant& v) {
  return v.tipo() == vardel::Variant::Tipo::String && v.AsString().empty();
}

void CompruebaResultado(const vardel::Collection& datos) {
  using Tipo = vardel::Variant::Tipo;
  if (datos.Count() != 7) {
    std::abort();
  }
  for (std::int32_t i = 1; i <= 7; ++i) {
    const auto& clave = datos.Clave(i);
    if (!clave || *clave != kClaves[i - 1]) {
      std::abort();
    }
    const vardel::Variant& item = datos.Item(i);
    const bool valido = i == 5   ? item.tipo() == Tipo::Double || EsTextoVacio(item)
                        : i == 7 ? item.tipo() == Tipo::Date || EsTextoVacio(item)
                                 : item.tipo() == Tipo::String;
    if (!valido) {
      std::abort();
    }
  }
  if (datos.Item(5).tipo() == Tipo::Double && datos.Item(5).AsDouble() == 0.0) {
    std::abort();  // a zero amount is reported as the empty text
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* datos, std::size_t tamano) {
  std::string linea(reinterpret_cast<const char*>(datos), tamano);
  try {
    const auto resultado = vardel::RecogeDatos(std::move(linea));
    if (resultado) {
      CompruebaResultado(*resultado);
    }
  } catch (...) {
    std::abort();
  }
  return 0;
}
