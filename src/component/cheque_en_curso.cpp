#include "component/cheque_en_curso.h"

#include <utility>

namespace vardel {

namespace {

std::optional<std::string> Texto(const Collection& Dato, const char* clave) {
  if (!Dato.Contiene(clave) || Dato.Item(clave).tipo() != Variant::Tipo::String) {
    return std::nullopt;
  }
  return Dato.Item(clave).AsString();
}

// The fields of a LectoraDatos collection as a Cheque holds them.
void LeeCampos(const Collection& Dato, Cheque& cheque) {
  if (Dato.Contiene("IDERR")) {
    // The no-data collection: the counter that names the images, and the
    // operator's text.
    const Variant& indice = Dato.Item("IDERR");
    if (indice.tipo() == Variant::Tipo::Integer) {
      cheque.IDERR = indice.AsInteger();
    }
    cheque.Error = Texto(Dato, "Error");
    return;
  }
  cheque.NumDoc = Texto(Dato, "NumDoc");
  cheque.Entidad = Texto(Dato, "Entidad");
  cheque.Oficina = Texto(Dato, "Oficina");
  cheque.Cuenta = Texto(Dato, "Cuenta");
  cheque.TipoDoc = Texto(Dato, "TipoDoc");
  // A missing amount or date is "" in the collection: absent here, never
  // read as a number a host would have to tell from a real one.
  if (Dato.Contiene("Importe") && Dato.Item("Importe").tipo() == Variant::Tipo::Double) {
    cheque.Importe = Dato.Item("Importe").AsDouble();
  }
  if (Dato.Contiene("FechaVto") && Dato.Item("FechaVto").tipo() == Variant::Tipo::Date) {
    cheque.FechaVto = Dato.Item("FechaVto").AsDate();
  }
}

}  // namespace

Cheque& ChequeEnCurso::Actual() {
  if (!cheque_) {
    cheque_.emplace();
  }
  return *cheque_;
}

void ChequeEnCurso::ImagenGuardada(std::int32_t imagen, const std::string& ruta) {
  Actual().imagenes.push_back({imagen, ruta});
}

void ChequeEnCurso::ImagenNoGuardada(std::int32_t imagen, const std::string& ruta,
                                     std::int32_t numero) {
  Actual().imagenesNoGuardadas.push_back({imagen, ruta, numero});
}

Cheque ChequeEnCurso::Completa(const std::shared_ptr<Collection>& Dato) {
  Cheque cheque = std::move(Actual());
  cheque_.reset();
  cheque.documento = ++documentos_;
  cheque.Dato = Dato;
  if (Dato) {
    LeeCampos(*Dato, cheque);
  }
  // Only a read line with every image stored needs nothing more.
  cheque.volverAPasar = !cheque.NumDoc || !cheque.imagenesNoGuardadas.empty();
  return cheque;
}

std::optional<Cheque> ChequeEnCurso::Interrumpido() {
  if (!cheque_) {
    return std::nullopt;
  }
  std::optional<Cheque> cheque = std::move(cheque_);
  cheque_.reset();
  cheque->documento = ++documentos_;
  cheque->volverAPasar = true;
  return cheque;
}

}  // namespace vardel
