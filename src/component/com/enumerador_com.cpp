#include "component/com/enumerador_com.h"

#include "component/com/error_com.h"
#include "component/com/variante_com.h"

namespace vardel::com {

HRESULT EnumeradorColeccion::Next(ULONG cuantos, VARIANT* variantes, ULONG* leidos) {
  if (variantes == nullptr || (cuantos > 1 && leidos == nullptr)) {
    return E_POINTER;
  }
  ULONG hechos = 0;
  const HRESULT resultado = Protege(IID_IEnumVARIANT, nullptr, [&] {
    while (hechos < cuantos && siguiente_ <= datos_->Count()) {
      AVariantCom(datos_->Item(siguiente_), &variantes[hechos]);
      ++hechos;
      ++siguiente_;
    }
    return S_OK;
  });
  if (FAILED(resultado)) {
    for (ULONG i = 0; i < hechos; ++i) {
      VariantClear(&variantes[i]);
    }
    hechos = 0;
  }
  if (leidos != nullptr) {
    *leidos = hechos;
  }
  if (FAILED(resultado)) {
    return resultado;
  }
  return hechos == cuantos ? S_OK : S_FALSE;
}

HRESULT EnumeradorColeccion::Skip(ULONG cuantos) {
  const std::int64_t destino = static_cast<std::int64_t>(siguiente_) + cuantos;
  const std::int64_t fin = static_cast<std::int64_t>(datos_->Count()) + 1;
  siguiente_ = static_cast<std::int32_t>(destino < fin ? destino : fin);
  return destino <= fin ? S_OK : S_FALSE;
}

HRESULT EnumeradorColeccion::Reset() {
  siguiente_ = 1;
  return S_OK;
}

HRESULT EnumeradorColeccion::Clone(IEnumVARIANT** copia) {
  if (copia == nullptr) {
    return E_POINTER;
  }
  *copia = nullptr;
  return Protege(IID_IEnumVARIANT, nullptr, [&] {
    *copia = new EnumeradorColeccion(datos_, siguiente_);
    return S_OK;
  });
}

}  // namespace vardel::com
