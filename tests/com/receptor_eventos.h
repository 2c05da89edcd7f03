#pragma once

#include <windows.h>

#include <ocidl.h>

#include <functional>
#include <string>
#include <vector>

#include "component/com/puntero_com.h"

namespace vardel::prueba {

// A host's sink for the events of __Comunica, written as a C++ host writes
// one: IDispatch whose Invoke takes the event's DISPID. It records every
// event; `al_recibir` runs inside each one.
class ReceptorEventos final : public IDispatch {
 public:
  struct Evento {
    DISPID id;
    std::vector<VARIANT> argumentos;  // in the order declared (copies)
  };

  ReceptorEventos();
  ~ReceptorEventos();

  // Connects to the object's __Comunica connection point.
  HRESULT Conecta(IUnknown* objeto);
  HRESULT Desconecta();
  DWORD Cookie() const { return cookie_; }

  std::vector<Evento> eventos;
  // Called inside every event, after it is recorded.
  std::function<void(const Evento&)> al_recibir;
  // The HRESULT Invoke returns (a failing host handler).
  HRESULT resultado_invoke = S_OK;

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** objeto) override;
  ULONG STDMETHODCALLTYPE AddRef() override;
  ULONG STDMETHODCALLTYPE Release() override;
  HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* cuenta) override;
  HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo**) override;
  HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override;
  HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID, LCID, WORD, DISPPARAMS* parametros, VARIANT*,
                                   EXCEPINFO*, UINT*) override;

 private:
  ULONG referencias_ = 1;
  com::Puntero<IConnectionPoint> punto_;
  DWORD cookie_ = 0;
};

}  // namespace vardel::prueba
