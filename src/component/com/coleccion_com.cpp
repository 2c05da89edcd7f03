#include "component/com/coleccion_com.h"

#include <optional>
#include <string>

#include "component/com/enumerador_com.h"
#include "component/com/modulo.h"
#include "component/com/puntero_com.h"
#include "component/com/texto_com.h"
#include "component/com/variante_com.h"
#include "core/lanza_error.h"

namespace vardel::com {
namespace {

// An index or a Before/After argument: a key when it is text, otherwise a
// 1-based position.
struct Indice {
  std::optional<std::string> clave;
  std::int32_t posicion = 0;
};

Indice LeeIndice(const VARIANT& valor) {
  VarianteLocal directo;
  if (FAILED(VariantCopyInd(&directo.v, const_cast<VARIANT*>(&valor)))) {
    LanzaError(errores::kTiposNoCoinciden);
  }
  if (directo.v.vt == VT_BSTR) {
    return {DeBstr(directo.v.bstrVal), 0};
  }
  VarianteLocal numero;
  if (FAILED(VariantChangeType(&numero.v, &directo.v, 0, VT_I4))) {
    LanzaError(errores::kTiposNoCoinciden);
  }
  return {std::nullopt, numero.v.lVal};
}

std::optional<std::string> LeeClave(const VARIANT* valor) {
  if (FaltaArgumento(valor)) {
    return std::nullopt;
  }
  VarianteLocal texto;
  if (FAILED(VariantChangeType(&texto.v, const_cast<VARIANT*>(valor), 0, VT_BSTR))) {
    LanzaError(errores::kTiposNoCoinciden);
  }
  return DeBstr(texto.v.bstrVal);
}

// The position of the item an index names (errors 5 and 9 as Item gives).
std::int32_t PosicionDe(const Collection& datos, const Indice& indice) {
  if (!indice.clave) {
    datos.Item(indice.posicion);
    return indice.posicion;
  }
  const Variant* buscado = &datos.Item(*indice.clave);
  for (std::int32_t i = 1; i <= datos.Count(); ++i) {
    if (&datos.Item(i) == buscado) {
      return i;
    }
  }
  LanzaError(errores::kArgumentoNoValido);
}

// The i-th argument from the left of a dispatch call, or null when absent.
const VARIANT* Argumento(const DISPPARAMS& parametros, UINT i) {
  if (i >= parametros.cArgs) {
    return nullptr;
  }
  return &parametros.rgvarg[parametros.cArgs - 1 - i];
}

}  // namespace

ColeccionCom* ColeccionCom::DeObjeto(IUnknown* objeto) {
  // The caller still holds its own reference to the object.
  Puntero<_Collection> propia;
  if (objeto == nullptr || FAILED(objeto->QueryInterface(kIidColeccionPropia, propia.put_void()))) {
    return nullptr;
  }
  return static_cast<ColeccionCom*>(propia.get());
}

HRESULT ColeccionCom::GetTypeInfoCount(UINT* cuenta) {
  return UnaInfoDeTipo(cuenta);
}

HRESULT ColeccionCom::GetTypeInfo(UINT indice, LCID, ITypeInfo** info) {
  return InfoDeTipo(indice, info,
                    [](ITypeInfo** salida) { return InfoTipo(IID__Collection, salida); });
}

HRESULT ColeccionCom::GetIDsOfNames(REFIID, LPOLESTR* nombres, UINT cuenta, LCID, DISPID* ids) {
  Puntero<ITypeInfo> info;
  HRESULT resultado = InfoTipo(IID__Collection, info.put());
  if (SUCCEEDED(resultado)) {
    resultado = DispGetIDsOfNames(info.get(), nombres, cuenta, ids);
  }
  return resultado;
}

HRESULT ColeccionCom::Invoke(DISPID id, REFIID iid, LCID, WORD modo, DISPPARAMS* parametros,
                             VARIANT* resultado, EXCEPINFO* excepcion, UINT*) {
  if (!IsEqualIID(iid, IID_NULL)) {
    return DISP_E_UNKNOWNINTERFACE;
  }
  if (excepcion != nullptr) {
    *excepcion = EXCEPINFO{};  // out-only: it may arrive uninitialised
  }
  DISPPARAMS sin_argumentos{};
  const DISPPARAMS& recibidos = parametros != nullptr ? *parametros : sin_argumentos;
  FalloCom fallo;
  const HRESULT hr =
      Protege(IID__Collection, &fallo, [&] { return Despacha(id, modo, recibidos, resultado); });
  if (FAILED(hr) && fallo.numero != 0) {
    LlenaExcepcion(fallo, excepcion);
    return DISP_E_EXCEPTION;
  }
  return hr;
}

HRESULT ColeccionCom::Despacha(DISPID id, WORD modo, const DISPPARAMS& parametros,
                               VARIANT* resultado) {
  if ((modo & (DISPATCH_METHOD | DISPATCH_PROPERTYGET)) == 0) {
    return DISP_E_MEMBERNOTFOUND;
  }
  if (parametros.cNamedArgs != 0) {
    return DISP_E_NONAMEDARGS;
  }
  VarianteLocal descartado;
  VARIANT* salida = resultado != nullptr ? resultado : &descartado.v;
  const UINT n = parametros.cArgs;
  switch (id) {
    case 0:
      if (n != 1) {
        return DISP_E_BADPARAMCOUNT;
      }
      LeeItem(*Argumento(parametros, 0), salida);
      break;
    case 1:
      if (n < 1 || n > 4) {
        return DISP_E_BADPARAMCOUNT;
      }
      Agrega(*Argumento(parametros, 0), Argumento(parametros, 1), Argumento(parametros, 2),
             Argumento(parametros, 3));
      break;
    case 2:
      if (n != 0) {
        return DISP_E_BADPARAMCOUNT;
      }
      VariantInit(salida);
      salida->vt = VT_I4;
      salida->lVal = datos_->Count();
      break;
    case 3:
      if (n != 1) {
        return DISP_E_BADPARAMCOUNT;
      }
      Quita(*Argumento(parametros, 0));
      break;
    case DISPID_NEWENUM:
      VariantInit(salida);
      salida->punkVal = NuevoEnumerador();
      salida->vt = VT_UNKNOWN;
      break;
    default:
      return DISP_E_MEMBERNOTFOUND;
  }
  return S_OK;
}

HRESULT ColeccionCom::Item(VARIANT* Index, VARIANT* pvarRet) {
  if (Index == nullptr || pvarRet == nullptr) {
    return E_POINTER;
  }
  return Protege(IID__Collection, nullptr, [&] {
    LeeItem(*Index, pvarRet);
    return S_OK;
  });
}

HRESULT ColeccionCom::Add(VARIANT* Item, VARIANT* Key, VARIANT* Before, VARIANT* After) {
  if (Item == nullptr) {
    return E_POINTER;
  }
  return Protege(IID__Collection, nullptr, [&] {
    Agrega(*Item, Key, Before, After);
    return S_OK;
  });
}

HRESULT ColeccionCom::Count(LONG* pi4) {
  if (pi4 == nullptr) {
    return E_POINTER;
  }
  *pi4 = datos_->Count();
  return S_OK;
}

HRESULT ColeccionCom::Remove(VARIANT* Index) {
  if (Index == nullptr) {
    return E_POINTER;
  }
  return Protege(IID__Collection, nullptr, [&] {
    Quita(*Index);
    return S_OK;
  });
}

HRESULT ColeccionCom::_NewEnum(IUnknown** ppunk) {
  if (ppunk == nullptr) {
    return E_POINTER;
  }
  *ppunk = nullptr;
  return Protege(IID__Collection, nullptr, [&] {
    *ppunk = NuevoEnumerador();
    return S_OK;
  });
}

HRESULT ColeccionCom::InterfaceSupportsErrorInfo(REFIID iid) {
  return IsEqualIID(iid, IID__Collection) ? S_OK : S_FALSE;
}

void ColeccionCom::LeeItem(const VARIANT& indice, VARIANT* resultado) const {
  const Indice i = LeeIndice(indice);
  const Variant& item = i.clave ? datos_->Item(*i.clave) : datos_->Item(i.posicion);
  AVariantCom(item, resultado);
}

void ColeccionCom::Agrega(const VARIANT& item, const VARIANT* clave, const VARIANT* antes,
                          const VARIANT* despues) {
  Variant valor = DeVariantCom(item);
  std::optional<std::string> texto_clave = LeeClave(clave);
  const bool con_antes = !FaltaArgumento(antes);
  const bool con_despues = !FaltaArgumento(despues);
  if (con_antes && con_despues) {
    LanzaError(errores::kArgumentoNoValido);
  }
  std::optional<std::int32_t> posicion_antes;
  std::optional<std::int32_t> posicion_despues;
  if (con_antes) {
    posicion_antes = PosicionDe(*datos_, LeeIndice(*antes));
  }
  if (con_despues) {
    posicion_despues = PosicionDe(*datos_, LeeIndice(*despues));
  }
  datos_->Add(std::move(valor), std::move(texto_clave), posicion_antes, posicion_despues);
}

void ColeccionCom::Quita(const VARIANT& indice) {
  const Indice i = LeeIndice(indice);
  if (i.clave) {
    datos_->Remove(*i.clave);
  } else {
    datos_->Remove(i.posicion);
  }
}

IUnknown* ColeccionCom::NuevoEnumerador() const {
  return static_cast<IEnumVARIANT*>(new EnumeradorColeccion(datos_));
}

}  // namespace vardel::com
