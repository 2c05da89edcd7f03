#include "component/com/comunica_com.h"

#include <olectl.h>

#include <vector>

#include "component/com/coleccion_com.h"
#include "component/com/modulo.h"
#include "component/com/texto_com.h"
#include "component/com/variante_com.h"
#include "core/lanza_error.h"
#include "core/recurso.h"

namespace vardel::com {
namespace {

// Objects let go during one of their own events wait here until the
// thread's message loop runs again: the code that raised the event (the
// reader watch's timer among it) is still on the stack.
thread_local std::vector<IUnknown*> pendientes;
thread_local UINT_PTR temporizador_pendientes = 0;

}  // namespace

HRESULT ComunicaCom::Crea(IUnknown* externo, REFIID iid, void** objeto) {
  if (objeto == nullptr) {
    return E_POINTER;
  }
  *objeto = nullptr;
  if (externo != nullptr) {
    return CLASS_E_NOAGGREGATION;
  }
  ComunicaCom* nuevo = nullptr;
  const HRESULT creado = Protege(IID__Comunica, nullptr, [&] {
    nuevo = new ComunicaCom();
    return S_OK;
  });
  if (FAILED(creado)) {
    return creado;
  }
  const HRESULT resultado = nuevo->QueryInterface(iid, objeto);
  nuevo->Release();
  return resultado;
}

ComunicaCom::ComunicaCom()
    : hilo_(GetCurrentThreadId()),
      punto_eventos_(*static_cast<IConnectionPointContainer*>(this), DIID___Comunica) {
  HRESULT resultado = InfoTipo(IID__Comunica, info_despacho_.put());
  HREFTYPE vista_vtable = 0;
  if (SUCCEEDED(resultado)) {
    resultado = info_despacho_->GetRefTypeOfImplType(static_cast<UINT>(-1), &vista_vtable);
  }
  if (SUCCEEDED(resultado)) {
    resultado = info_despacho_->GetRefTypeInfo(vista_vtable, info_vtable_.put());
  }
  if (FAILED(resultado)) {
    LanzaError(errores::kErrorCargandoBiblioteca);
  }
  comunica_ = std::make_unique<Comunica>(static_cast<OyenteComunica*>(this));
}

ComunicaCom::~ComunicaCom() {
  punto_eventos_.DesconectaTodos();
  comunica_.reset();
}

void ComunicaCom::UltimaReferencia() {
  if (eventos_en_curso_ == 0) {
    delete this;
    return;
  }
  try {
    pendientes.push_back(static_cast<_Comunica*>(this));
    if (temporizador_pendientes == 0) {
      temporizador_pendientes = SetTimer(nullptr, 0, 0, &ComunicaCom::DestruyePendientes);
    }
  } catch (...) {
    // No memory to defer it: the object stays alive rather than dying under
    // the code that raised the event.
  }
}

void CALLBACK ComunicaCom::DestruyePendientes(HWND, UINT, UINT_PTR, DWORD) {
  KillTimer(nullptr, temporizador_pendientes);
  temporizador_pendientes = 0;
  std::vector<IUnknown*> lista;
  lista.swap(pendientes);
  for (IUnknown* objeto : lista) {
    auto* comunica = static_cast<ComunicaCom*>(static_cast<_Comunica*>(objeto));
    // A host's handler that pumps messages (a message box) runs this tick
    // inside its own event: that object waits for the next one.
    if (comunica->eventos_en_curso_ > 0) {
      try {
        pendientes.push_back(objeto);
      } catch (...) {
        // No memory to defer it again: it stays alive rather than dying
        // under the handler.
      }
      continue;
    }
    delete comunica;
  }
  if (!pendientes.empty()) {
    temporizador_pendientes = SetTimer(nullptr, 0, 0, &ComunicaCom::DestruyePendientes);
  }
}

template <class Cuerpo>
HRESULT ComunicaCom::Miembro(Cuerpo&& cuerpo) {
  if (GetCurrentThreadId() != hilo_) {
    return RPC_E_WRONG_THREAD;
  }
  // Kept alive until the member returns, even if the host lets go of it
  // inside.
  const Puntero<ComunicaCom> vivo(this);
  FalloCom fallo;
  const HRESULT resultado = Protege(IID__Comunica, &fallo, std::forward<Cuerpo>(cuerpo));
  if (FAILED(resultado) && fallo_de_despacho_ != nullptr) {
    *fallo_de_despacho_ = std::move(fallo);
  }
  return resultado;
}

HRESULT ComunicaCom::GetTypeInfoCount(UINT* cuenta) {
  return UnaInfoDeTipo(cuenta);
}

HRESULT ComunicaCom::GetTypeInfo(UINT indice, LCID, ITypeInfo** info) {
  return InfoDeTipo(indice, info, [this](ITypeInfo** salida) {
    *salida = info_despacho_.copy();
    return S_OK;
  });
}

HRESULT ComunicaCom::GetIDsOfNames(REFIID iid, LPOLESTR* nombres, UINT cuenta, LCID, DISPID* ids) {
  if (!IsEqualIID(iid, IID_NULL)) {
    return DISP_E_UNKNOWNINTERFACE;
  }
  return DispGetIDsOfNames(info_vtable_.get(), nombres, cuenta, ids);
}

HRESULT ComunicaCom::Invoke(DISPID id, REFIID iid, LCID, WORD modo, DISPPARAMS* parametros,
                            VARIANT* resultado, EXCEPINFO* excepcion, UINT* argumento_erroneo) {
  if (!IsEqualIID(iid, IID_NULL)) {
    return DISP_E_UNKNOWNINTERFACE;
  }
  // A member's own failure is reported with its number and description;
  // what DispInvoke finds wrong with the call itself goes back unchanged.
  // EXCEPINFO is out-only: it may arrive uninitialised, and is freed below
  // only after DispInvoke had the chance to fill it.
  if (excepcion != nullptr) {
    *excepcion = EXCEPINFO{};
  }
  FalloCom fallo;
  FalloCom* anterior = fallo_de_despacho_;
  fallo_de_despacho_ = &fallo;
  DISPPARAMS sin_argumentos{};
  HRESULT hr = DispInvoke(static_cast<_Comunica*>(this), info_vtable_.get(), id, modo,
                          parametros != nullptr ? parametros : &sin_argumentos, resultado,
                          excepcion, argumento_erroneo);
  fallo_de_despacho_ = anterior;
  if (FAILED(hr) && fallo.numero != 0) {
    LlenaExcepcion(fallo, excepcion);
    hr = DISP_E_EXCEPTION;
  }
  return hr;
}

HRESULT ComunicaCom::Terminate() {
  return Miembro([&] {
    comunica_->Terminate();
    return S_OK;
  });
}

HRESULT ComunicaCom::MostrarConfiguracion(VARIANT* pResultado) {
  if (pResultado == nullptr) {
    return E_POINTER;
  }
  return Miembro([&] {
    const Variant resultado = comunica_->MostrarConfiguracion();
    AVariantCom(resultado, pResultado);
    return S_OK;
  });
}

HRESULT ComunicaCom::LectoraONOFF(VARIANT_BOOL* pResultado) {
  if (pResultado == nullptr) {
    return E_POINTER;
  }
  return Miembro([&] {
    *pResultado = static_cast<VARIANT_BOOL>(comunica_->LectoraONOFF());
    return S_OK;
  });
}

HRESULT ComunicaCom::get_blnLogActivo(VARIANT_BOOL* pValor) {
  if (pValor == nullptr) {
    return E_POINTER;
  }
  return Miembro([&] {
    *pValor = static_cast<VARIANT_BOOL>(comunica_->blnLogActivo());
    return S_OK;
  });
}

HRESULT ComunicaCom::put_blnLogActivo(VARIANT_BOOL valor) {
  return Miembro([&] {
    comunica_->blnLogActivo(static_cast<Boolean>(valor));
    return S_OK;
  });
}

HRESULT ComunicaCom::EnumConnectionPoints(IEnumConnectionPoints** puntos) {
  return EntregaNuevo(puntos, [this] {
    return new EnumeradorPuntos({Puntero<IConnectionPoint>(&punto_eventos_)});
  });
}

HRESULT ComunicaCom::FindConnectionPoint(REFIID iid, IConnectionPoint** punto) {
  if (punto == nullptr) {
    return E_POINTER;
  }
  *punto = nullptr;
  if (!IsEqualIID(iid, DIID___Comunica)) {
    return CONNECT_E_NOCONNECTION;
  }
  *punto = NuevaReferencia<IConnectionPoint>(&punto_eventos_);
  return S_OK;
}

HRESULT ComunicaCom::GetClassInfo(ITypeInfo** info) {
  if (info == nullptr) {
    return E_POINTER;
  }
  return InfoTipo(CLSID_Comunica, info);
}

HRESULT ComunicaCom::GetGUID(DWORD tipo, GUID* guid) {
  if (guid == nullptr) {
    return E_POINTER;
  }
  if (tipo != GUIDKIND_DEFAULT_SOURCE_DISP_IID) {
    *guid = GUID_NULL;
    return E_INVALIDARG;
  }
  *guid = DIID___Comunica;
  return S_OK;
}

HRESULT ComunicaCom::InterfaceSupportsErrorInfo(REFIID iid) {
  return IsEqualIID(iid, IID__Comunica) ? S_OK : S_FALSE;
}

void ComunicaCom::Dispara(DISPID evento, DISPPARAMS& argumentos) {
  // A reference held across the host's handler. It is given back while the
  // event still counts as running: a host that let go of the object inside
  // the handler makes this the last reference, and the object is then
  // destroyed after the current message (the watch timer's tick, say)
  // returns, never under the code that raised the event.
  AddRef();
  ++eventos_en_curso_;
  const AlSalir fin([this] {
    Release();
    --eventos_en_curso_;
  });
  punto_eventos_.Dispara(evento, argumentos);
}

void ComunicaCom::LectoraDatos(const std::shared_ptr<Collection>& Dato) {
  VarianteLocal argumento;
  AVariantCom(Variant::Object(Dato), &argumento.v);
  DISPPARAMS argumentos{&argumento.v, nullptr, 1, 0};
  Dispara(1, argumentos);
}

void ComunicaCom::LectoraError(std::int32_t Error, const std::string& Descripcion) {
  // Dispatch order: the last argument first.
  VARIANT argumentos_evento[2];
  argumentos_evento[0].vt = VT_BSTR;
  argumentos_evento[0].bstrVal = ABstr(Descripcion);
  const AlSalir libera([&] { VariantClear(&argumentos_evento[0]); });
  argumentos_evento[1].vt = VT_I4;
  argumentos_evento[1].lVal = Error;
  DISPPARAMS argumentos{argumentos_evento, nullptr, 2, 0};
  Dispara(2, argumentos);
}

void ComunicaCom::LectoraActiva(Boolean OnOff) {
  VARIANT argumento;
  argumento.vt = VT_BOOL;
  argumento.boolVal = static_cast<VARIANT_BOOL>(OnOff);
  DISPPARAMS argumentos{&argumento, nullptr, 1, 0};
  Dispara(3, argumentos);
}

}  // namespace vardel::com
