#include "objeto_wscript.h"

#include <cstdio>
#include <utility>

#include "component/com/puntero_com.h"
#include "entorno_com.h"

namespace vardel::prueba {
namespace {

enum Miembro : DISPID {
  kCreateObject = 1,
  kConnectObject,
  kDisconnectObject,
  kSleep,
  kEcho,
  kQuit,
};

struct Nombre {
  const wchar_t* texto;
  DISPID id;
};
constexpr Nombre kNombres[] = {{L"CreateObject", kCreateObject},
                               {L"ConnectObject", kConnectObject},
                               {L"DisconnectObject", kDisconnectObject},
                               {L"Sleep", kSleep},
                               {L"Echo", kEcho},
                               {L"Quit", kQuit}};

// The i-th argument from the left, read through references.
VARIANT* Argumento(DISPPARAMS* parametros, UINT i) {
  if (parametros == nullptr || i >= parametros->cArgs) {
    return nullptr;
  }
  VARIANT* v = &parametros->rgvarg[parametros->cArgs - 1 - i];
  return (v->vt == (VT_BYREF | VT_VARIANT)) ? v->pvarVal : v;
}

std::wstring ComoTexto(VARIANT* valor) {
  Variante texto;
  if (valor == nullptr || FAILED(VariantChangeType(&texto.v, valor, VARIANT_ALPHABOOL, VT_BSTR))) {
    return {};
  }
  return std::wstring(texto.v.bstrVal, SysStringLen(texto.v.bstrVal));
}

// The events of one object, passed to the script's Sub prefix_Event.
class ReceptorGuion final : public IDispatch {
 public:
  ReceptorGuion(IActiveScript& motor, std::wstring prefijo, ITypeInfo* eventos)
      : motor_(motor), prefijo_(std::move(prefijo)), eventos_(eventos) {}
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** objeto) override {
    if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IDispatch)) {
      *objeto = static_cast<IDispatch*>(this);
      AddRef();
      return S_OK;
    }
    *objeto = nullptr;
    return E_NOINTERFACE;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return ++referencias_; }
  ULONG STDMETHODCALLTYPE Release() override {
    const ULONG quedan = --referencias_;
    if (quedan == 0) {
      delete this;
    }
    return quedan;
  }
  HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* cuenta) override {
    *cuenta = 0;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override {
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID, LCID, WORD, DISPPARAMS* parametros, VARIANT*,
                                   EXCEPINFO*, UINT*) override {
    BSTR evento = nullptr;
    UINT cuantos = 0;
    if (FAILED(eventos_->GetNames(id, &evento, 1, &cuantos)) || cuantos == 0) {
      return S_OK;
    }
    std::wstring procedimiento = prefijo_ + evento;
    SysFreeString(evento);
    com::Puntero<IDispatch> guion;
    if (FAILED(motor_.GetScriptDispatch(nullptr, guion.put()))) {
      return S_OK;
    }
    DISPID sub = 0;
    LPOLESTR nombres[] = {procedimiento.data()};
    if (SUCCEEDED(guion->GetIDsOfNames(IID_NULL, nombres, 1, LOCALE_USER_DEFAULT, &sub))) {
      Variante resultado;
      EXCEPINFO excepcion{};
      UINT erroneo = 0;
      guion->Invoke(sub, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD, parametros, &resultado.v,
                    &excepcion, &erroneo);
      com::VaciaExcepcion(excepcion);
    }
    return S_OK;
  }

 private:
  ULONG referencias_ = 1;
  IActiveScript& motor_;
  std::wstring prefijo_;
  com::Puntero<ITypeInfo> eventos_;
};

// The default source interface of an object's class, from its class info.
HRESULT InterfazEventos(IUnknown* objeto, IID* iid, ITypeInfo** info) {
  com::Puntero<IProvideClassInfo> clase;
  HRESULT hr = objeto->QueryInterface(IID_IProvideClassInfo, clase.put_void());
  if (FAILED(hr)) {
    return hr;
  }
  com::Puntero<ITypeInfo> coclase;
  hr = clase->GetClassInfo(coclase.put());
  if (FAILED(hr)) {
    return hr;
  }
  TYPEATTR* atributos = nullptr;
  coclase->GetTypeAttr(&atributos);
  const UINT implementadas = atributos->cImplTypes;
  coclase->ReleaseTypeAttr(atributos);
  hr = E_NOINTERFACE;
  for (UINT i = 0; i < implementadas && FAILED(hr); ++i) {
    INT banderas = 0;
    coclase->GetImplTypeFlags(i, &banderas);
    if ((banderas & IMPLTYPEFLAG_FDEFAULT) && (banderas & IMPLTYPEFLAG_FSOURCE)) {
      HREFTYPE referencia = 0;
      coclase->GetRefTypeOfImplType(i, &referencia);
      hr = coclase->GetRefTypeInfo(referencia, info);
      if (SUCCEEDED(hr)) {
        (*info)->GetTypeAttr(&atributos);
        *iid = atributos->guid;
        (*info)->ReleaseTypeAttr(atributos);
      }
    }
  }
  return hr;
}

}  // namespace

ObjetoWScript::ObjetoWScript(IActiveScript& motor) : motor_(motor) {}

ObjetoWScript::~ObjetoWScript() {
  DesconectaTodo();
}

void ObjetoWScript::DesconectaTodo() {
  while (!conexiones_.empty()) {
    Desconecta(conexiones_.back().objeto.get());
  }
}

HRESULT ObjetoWScript::Conecta(IUnknown* objeto, const std::wstring& prefijo) {
  IID iid{};
  com::Puntero<ITypeInfo> eventos;
  HRESULT hr = InterfazEventos(objeto, &iid, eventos.put());
  if (FAILED(hr)) {
    return hr;
  }
  com::Puntero<IConnectionPointContainer> contenedor;
  hr = objeto->QueryInterface(IID_IConnectionPointContainer, contenedor.put_void());
  com::Puntero<IConnectionPoint> punto;
  if (SUCCEEDED(hr)) {
    hr = contenedor->FindConnectionPoint(iid, punto.put());
  }
  if (SUCCEEDED(hr)) {
    ReceptorGuion* receptor = new ReceptorGuion(motor_, prefijo, eventos.get());
    DWORD cookie = 0;
    hr = punto->Advise(receptor, &cookie);
    // The reference it was made with: the point took its own in Advise.
    receptor->Release();
    if (SUCCEEDED(hr)) {
      conexiones_.push_back({com::Puntero<IUnknown>(objeto), std::move(punto), cookie});
    }
  }
  return hr;
}

void ObjetoWScript::Desconecta(IUnknown* objeto) {
  for (auto it = conexiones_.begin(); it != conexiones_.end(); ++it) {
    if (it->objeto.get() == objeto) {
      const Conexion conexion = std::move(*it);
      conexiones_.erase(it);
      conexion.punto->Unadvise(conexion.cookie);
      return;
    }
  }
}

HRESULT ObjetoWScript::QueryInterface(REFIID iid, void** objeto) {
  if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IDispatch)) {
    *objeto = static_cast<IDispatch*>(this);
    AddRef();
    return S_OK;
  }
  *objeto = nullptr;
  return E_NOINTERFACE;
}

ULONG ObjetoWScript::AddRef() {
  return ++referencias_;
}
// Owned by the host's main: the count is kept for COM's sake only.
ULONG ObjetoWScript::Release() {
  return --referencias_;
}

HRESULT ObjetoWScript::GetTypeInfoCount(UINT* cuenta) {
  *cuenta = 0;
  return S_OK;
}

HRESULT ObjetoWScript::GetTypeInfo(UINT, LCID, ITypeInfo**) {
  return E_NOTIMPL;
}

HRESULT ObjetoWScript::GetIDsOfNames(REFIID, LPOLESTR* nombres, UINT cuenta, LCID, DISPID* ids) {
  HRESULT hr = S_OK;
  for (UINT i = 0; i < cuenta; ++i) {
    ids[i] = DISPID_UNKNOWN;
    for (const Nombre& nombre : kNombres) {
      if (i == 0 && _wcsicmp(nombres[0], nombre.texto) == 0) {
        ids[0] = nombre.id;
      }
    }
    if (ids[i] == DISPID_UNKNOWN) {
      hr = DISP_E_UNKNOWNNAME;
    }
  }
  return hr;
}

HRESULT ObjetoWScript::Invoke(DISPID id, REFIID, LCID, WORD, DISPPARAMS* parametros,
                              VARIANT* resultado, EXCEPINFO*, UINT*) {
  switch (id) {
    case kCreateObject: {
      CLSID clsid{};
      HRESULT hr = CLSIDFromProgID(ComoTexto(Argumento(parametros, 0)).c_str(), &clsid);
      com::Puntero<IDispatch> objeto;
      if (SUCCEEDED(hr)) {
        hr = CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER | CLSCTX_LOCAL_SERVER,
                              IID_IDispatch, objeto.put_void());
      }
      if (FAILED(hr)) {
        return hr;
      }
      if (VARIANT* prefijo = Argumento(parametros, 1)) {
        hr = Conecta(objeto.get(), ComoTexto(prefijo));
        if (FAILED(hr)) {
          return hr;
        }
      }
      // The script gets the reference; with nowhere to put it, it goes.
      if (resultado != nullptr) {
        VariantInit(resultado);
        resultado->vt = VT_DISPATCH;
        resultado->pdispVal = objeto.detach();
      }
      return S_OK;
    }
    case kConnectObject: {
      VARIANT* objeto = Argumento(parametros, 0);
      if (objeto == nullptr || objeto->vt != VT_DISPATCH || objeto->pdispVal == nullptr) {
        return DISP_E_TYPEMISMATCH;
      }
      return Conecta(objeto->pdispVal, ComoTexto(Argumento(parametros, 1)));
    }
    case kDisconnectObject: {
      VARIANT* objeto = Argumento(parametros, 0);
      if (objeto != nullptr && objeto->vt == VT_DISPATCH) {
        Desconecta(objeto->pdispVal);
      }
      return S_OK;
    }
    case kSleep: {
      Variante ms;
      VARIANT* valor = Argumento(parametros, 0);
      if (valor == nullptr || FAILED(VariantChangeType(&ms.v, valor, 0, VT_I4))) {
        return DISP_E_TYPEMISMATCH;
      }
      BombeaMensajes(static_cast<DWORD>(ms.v.lVal), [] { return false; });
      return S_OK;
    }
    case kEcho: {
      std::wstring linea;
      for (UINT i = 0; parametros != nullptr && i < parametros->cArgs; ++i) {
        linea += (i > 0 ? L" " : L"") + ComoTexto(Argumento(parametros, i));
      }
      std::printf("%s\n", Utf8(linea.c_str()).c_str());
      std::fflush(stdout);
      return S_OK;
    }
    case kQuit: {
      Variante codigo;
      VARIANT* valor = Argumento(parametros, 0);
      if (valor != nullptr && SUCCEEDED(VariantChangeType(&codigo.v, valor, 0, VT_I4))) {
        codigo_salida_ = codigo.v.lVal;
      }
      quit_pedido_ = true;
      // What stops the engine where SetScriptState does not.
      return E_ABORT;
    }
    default:
      return DISP_E_MEMBERNOTFOUND;
  }
}

}  // namespace vardel::prueba
