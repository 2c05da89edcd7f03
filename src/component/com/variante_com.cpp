#include "component/com/variante_com.h"

#include "component/com/coleccion_com.h"
#include "component/com/texto_com.h"
#include "core/lanza_error.h"

namespace vardel::com {

void AVariantCom(const Variant& valor, VARIANT* destino) {
  VariantInit(destino);
  switch (valor.tipo()) {
    case Variant::Tipo::Empty:
      return;
    case Variant::Tipo::Integer:
      destino->vt = VT_I2;
      destino->iVal = valor.AsInteger();
      return;
    case Variant::Tipo::Long:
      destino->vt = VT_I4;
      destino->lVal = valor.AsLong();
      return;
    case Variant::Tipo::Double:
      destino->vt = VT_R8;
      destino->dblVal = valor.AsDouble();
      return;
    case Variant::Tipo::Date:
      destino->vt = VT_DATE;
      destino->date = valor.AsDate().serial;
      return;
    case Variant::Tipo::String:
      destino->bstrVal = ABstr(valor.AsString());
      destino->vt = VT_BSTR;
      return;
    case Variant::Tipo::Boolean:
      destino->vt = VT_BOOL;
      destino->boolVal = static_cast<VARIANT_BOOL>(valor.AsBoolean());
      return;
    case Variant::Tipo::Object:
      destino->pdispVal = valor.AsObject() ? new ColeccionCom(valor.AsObject()) : nullptr;
      destino->vt = VT_DISPATCH;
      return;
  }
}

Variant DeVariantCom(const VARIANT& valor) {
  VarianteLocal directo;
  if (FAILED(VariantCopyInd(&directo.v, const_cast<VARIANT*>(&valor)))) {
    LanzaError(errores::kTiposNoCoinciden);
  }
  const VARIANT& v = directo.v;
  switch (v.vt) {
    case VT_EMPTY:
      return Variant();
    case VT_I2:
      return Variant::Integer(v.iVal);
    case VT_UI1:
      return Variant::Integer(v.bVal);
    case VT_I4:
      return Variant::Long(v.lVal);
    case VT_R8:
      return Variant::Double(v.dblVal);
    case VT_R4:
      return Variant::Double(v.fltVal);
    case VT_DATE:
      return Variant::Date(Fecha{v.date});
    case VT_BSTR:
      return Variant::String(DeBstr(v.bstrVal));
    case VT_BOOL:
      return Variant::Bool(static_cast<Boolean>(v.boolVal));
    case VT_DISPATCH:
    case VT_UNKNOWN: {
      if (v.punkVal == nullptr) {
        return Variant::Object(nullptr);
      }
      if (ColeccionCom* propia = ColeccionCom::DeObjeto(v.punkVal)) {
        return Variant::Object(propia->Datos());
      }
      break;
    }
    default:
      break;
  }
  LanzaError(errores::kTiposNoCoinciden);
}

bool FaltaArgumento(const VARIANT* valor) {
  return valor == nullptr || (valor->vt == VT_ERROR && valor->scode == DISP_E_PARAMNOTFOUND);
}

}  // namespace vardel::com
