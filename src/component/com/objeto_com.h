#pragma once

#include <windows.h>

#include <oaidl.h>
#include <unknwn.h>

#include <atomic>
#include <new>

#include "component/com/error_com.h"
#include "component/com/modulo.h"

namespace vardel::com {

// One interface of an object, reached through I: under I's own identifier
// and the further ones given (those it derives from, as IDispatch for a
// dual interface, or a private one).
template <class I, const IID&... Otros>
struct Interfaz {
  using Tipo = I;
  static bool Responde(REFIID iid) {
    return IsEqualIID(iid, __uuidof(I)) || (IsEqualIID(iid, Otros) || ...);
  }
};

// Every object of the server is written one way: it derives from its
// interfaces through this list, which answers QueryInterface (IUnknown
// through the first, the object's identity; anything else not listed is
// E_NOINTERFACE with a null pointer). Objects with references of their own
// derive from ObjetoCom below; the static class factory and the connection
// point, whose references are another's, say so in their AddRef/Release.
template <class Primera, class... Resto>
class ImplementaInterfaces : public Primera::Tipo, public Resto::Tipo... {
 public:
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** objeto) override {
    if (objeto == nullptr) {
      return E_POINTER;
    }
    *objeto = nullptr;
    const bool identidad = IsEqualIID(iid, IID_IUnknown);
    if (!(Entrega<Primera>(iid, objeto, identidad) || ... || Entrega<Resto>(iid, objeto))) {
      return E_NOINTERFACE;
    }
    static_cast<typename Primera::Tipo*>(this)->AddRef();
    return S_OK;
  }

 private:
  // Hands out I when it answers iid, or whatever iid is when `siempre`.
  template <class I>
  bool Entrega(REFIID iid, void** objeto, bool siempre = false) {
    if (!siempre && !I::Responde(iid)) {
      return false;
    }
    *objeto = static_cast<typename I::Tipo*>(this);
    return true;
  }
};

// An object with its own reference count, born with one reference for its
// creator and destroyed with the last; while it lives it keeps the DLL
// loaded (DllCanUnloadNow).
template <class... Interfaces>
class ObjetoCom : public ImplementaInterfaces<Interfaces...> {
 public:
  ObjetoCom(const ObjetoCom&) = delete;
  ObjetoCom& operator=(const ObjetoCom&) = delete;

  ULONG STDMETHODCALLTYPE AddRef() override { return ++referencias_; }
  ULONG STDMETHODCALLTYPE Release() override {
    const ULONG quedan = --referencias_;
    if (quedan == 0) {
      UltimaReferencia();
    }
    return quedan;
  }

 protected:
  ObjetoCom() { SumaObjeto(); }
  virtual ~ObjetoCom() { RestaObjeto(); }
  // The last reference went: an object that cannot die at once (one inside
  // its own event) puts it off.
  virtual void UltimaReferencia() { delete this; }

 private:
  std::atomic<ULONG> referencias_{1};
};

// An out-parameter given a new object made by `crea`: E_POINTER without
// one, and a null pointer with the HRESULT of the failure when it cannot be
// made: E_OUTOFMEMORY for memory, a run-time error's own HRESULT for it.
template <class I, class Crea>
HRESULT EntregaNuevo(I** salida, Crea&& crea) noexcept {
  if (salida == nullptr) {
    return E_POINTER;
  }
  *salida = nullptr;
  try {
    *salida = crea();
  } catch (const std::bad_alloc&) {
    return E_OUTOFMEMORY;
  } catch (...) {
    try {
      return HresultDeError(FalloDeExcepcionActual().numero);
    } catch (...) {
      return E_OUTOFMEMORY;
    }
  }
  return S_OK;
}

// IDispatch's type information as the server's dual objects give it: one
// description, at index 0, handed out by `entrega` (which fills an
// ITypeInfo** and gives its HRESULT).
inline HRESULT UnaInfoDeTipo(UINT* cuenta) noexcept {
  if (cuenta == nullptr) {
    return E_POINTER;
  }
  *cuenta = 1;
  return S_OK;
}
template <class Entrega>
HRESULT InfoDeTipo(UINT indice, ITypeInfo** info, Entrega&& entrega) {
  if (info == nullptr) {
    return E_POINTER;
  }
  *info = nullptr;
  if (indice != 0) {
    return DISP_E_BADINDEX;
  }
  return entrega(info);
}

}  // namespace vardel::com
