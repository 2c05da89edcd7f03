#include "receptor_eventos.h"

#include <utility>

#include "vardel_h.h"

namespace vardel::prueba {

ReceptorEventos::ReceptorEventos() = default;

ReceptorEventos::~ReceptorEventos() {
  Desconecta();
  for (Evento& evento : eventos) {
    for (VARIANT& argumento : evento.argumentos) {
      VariantClear(&argumento);
    }
  }
}

HRESULT ReceptorEventos::Conecta(IUnknown* objeto) {
  com::Puntero<IConnectionPointContainer> contenedor;
  HRESULT hr = objeto->QueryInterface(IID_IConnectionPointContainer, contenedor.put_void());
  if (FAILED(hr)) {
    return hr;
  }
  hr = contenedor->FindConnectionPoint(DIID___Comunica, punto_.put());
  if (FAILED(hr)) {
    return hr;
  }
  return punto_->Advise(static_cast<IDispatch*>(this), &cookie_);
}

HRESULT ReceptorEventos::Desconecta() {
  if (!punto_) {
    return S_FALSE;
  }
  // Taken out first: a later call, the destructor's among them, finds
  // nothing to undo; the point itself goes once Unadvise has returned.
  const com::Puntero<IConnectionPoint> punto = std::move(punto_);
  return punto->Unadvise(cookie_);
}

HRESULT ReceptorEventos::QueryInterface(REFIID iid, void** objeto) {
  if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IDispatch) ||
      IsEqualIID(iid, DIID___Comunica)) {
    *objeto = static_cast<IDispatch*>(this);
    AddRef();
    return S_OK;
  }
  *objeto = nullptr;
  return E_NOINTERFACE;
}

ULONG ReceptorEventos::AddRef() {
  return ++referencias_;
}
// Lives on the test's stack: the count is only watched, never frees.
ULONG ReceptorEventos::Release() {
  return --referencias_;
}

HRESULT ReceptorEventos::GetTypeInfoCount(UINT* cuenta) {
  *cuenta = 0;
  return S_OK;
}
HRESULT ReceptorEventos::GetTypeInfo(UINT, LCID, ITypeInfo**) {
  return E_NOTIMPL;
}
HRESULT ReceptorEventos::GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) {
  return E_NOTIMPL;
}

HRESULT ReceptorEventos::Invoke(DISPID id, REFIID, LCID, WORD, DISPPARAMS* parametros, VARIANT*,
                                EXCEPINFO*, UINT*) {
  Evento evento{id, {}};
  for (UINT i = parametros->cArgs; i > 0; --i) {
    VARIANT copia;
    VariantInit(&copia);
    VariantCopy(&copia, &parametros->rgvarg[i - 1]);
    evento.argumentos.push_back(copia);
  }
  eventos.push_back(evento);
  if (al_recibir) {
    // A shallow copy: the handler may raise further events into the list.
    const Evento recibido = evento;
    al_recibir(recibido);
  }
  return resultado_invoke;
}

}  // namespace vardel::prueba
