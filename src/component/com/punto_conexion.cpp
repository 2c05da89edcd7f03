#include "component/com/punto_conexion.h"

#include <olectl.h>

#include "component/com/modulo.h"

namespace vardel::com {

PuntoConexion::PuntoConexion(IConnectionPointContainer& contenedor, REFIID iid_eventos)
    : contenedor_(contenedor), iid_eventos_(iid_eventos) {}

PuntoConexion::~PuntoConexion() {
  DesconectaTodos();
}

void PuntoConexion::DesconectaTodos() {
  std::vector<Conexion> soltadas;
  soltadas.swap(conexiones_);
  for (const Conexion& conexion : soltadas) {
    conexion.receptor->Release();
  }
}

void PuntoConexion::Dispara(DISPID evento, DISPPARAMS& argumentos) {
  std::vector<IDispatch*> receptores;
  receptores.reserve(conexiones_.size());
  for (const Conexion& conexion : conexiones_) {
    conexion.receptor->AddRef();
    receptores.push_back(conexion.receptor);
  }
  for (IDispatch* receptor : receptores) {
    VARIANT resultado;
    VariantInit(&resultado);
    EXCEPINFO excepcion{};
    UINT argumento_erroneo = 0;
    receptor->Invoke(evento, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD, &argumentos,
                     &resultado, &excepcion, &argumento_erroneo);
    VariantClear(&resultado);
    SysFreeString(excepcion.bstrSource);
    SysFreeString(excepcion.bstrDescription);
    SysFreeString(excepcion.bstrHelpFile);
    receptor->Release();
  }
}

HRESULT PuntoConexion::QueryInterface(REFIID iid, void** objeto) {
  if (objeto == nullptr) {
    return E_POINTER;
  }
  if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IConnectionPoint)) {
    *objeto = static_cast<IConnectionPoint*>(this);
    AddRef();
    return S_OK;
  }
  *objeto = nullptr;
  return E_NOINTERFACE;
}

ULONG PuntoConexion::AddRef() {
  return contenedor_.AddRef();
}
ULONG PuntoConexion::Release() {
  return contenedor_.Release();
}

HRESULT PuntoConexion::GetConnectionInterface(IID* iid) {
  if (iid == nullptr) {
    return E_POINTER;
  }
  *iid = iid_eventos_;
  return S_OK;
}

HRESULT PuntoConexion::GetConnectionPointContainer(IConnectionPointContainer** contenedor) {
  if (contenedor == nullptr) {
    return E_POINTER;
  }
  contenedor_.AddRef();
  *contenedor = &contenedor_;
  return S_OK;
}

HRESULT PuntoConexion::Advise(IUnknown* receptor, DWORD* cookie) {
  if (cookie == nullptr) {
    return E_POINTER;
  }
  *cookie = 0;
  if (receptor == nullptr) {
    return E_POINTER;
  }
  // The event interface itself, or plain IDispatch as script sinks give.
  IDispatch* despacho = nullptr;
  if (FAILED(receptor->QueryInterface(iid_eventos_, reinterpret_cast<void**>(&despacho))) &&
      FAILED(receptor->QueryInterface(IID_IDispatch, reinterpret_cast<void**>(&despacho)))) {
    return CONNECT_E_CANNOTCONNECT;
  }
  try {
    conexiones_.push_back({siguiente_cookie_, despacho});
  } catch (...) {
    despacho->Release();
    return E_OUTOFMEMORY;
  }
  *cookie = siguiente_cookie_++;
  return S_OK;
}

HRESULT PuntoConexion::Unadvise(DWORD cookie) {
  for (auto it = conexiones_.begin(); it != conexiones_.end(); ++it) {
    if (it->cookie == cookie) {
      IDispatch* receptor = it->receptor;
      conexiones_.erase(it);
      receptor->Release();
      return S_OK;
    }
  }
  return CONNECT_E_NOCONNECTION;
}

HRESULT PuntoConexion::EnumConnections(IEnumConnections** enumerador) {
  if (enumerador == nullptr) {
    return E_POINTER;
  }
  *enumerador = nullptr;
  try {
    std::vector<CONNECTDATA> lista;
    for (const Conexion& conexion : conexiones_) {
      lista.push_back({conexion.receptor, conexion.cookie});
    }
    *enumerador = EnumeradorConexiones::Crea(std::move(lista));
  } catch (...) {
    return E_OUTOFMEMORY;
  }
  return S_OK;
}

EnumeradorConexiones* EnumeradorConexiones::Crea(std::vector<CONNECTDATA> conexiones) {
  return new EnumeradorConexiones(std::move(conexiones));
}

EnumeradorConexiones::EnumeradorConexiones(std::vector<CONNECTDATA> conexiones)
    : conexiones_(std::move(conexiones)) {
  for (const CONNECTDATA& conexion : conexiones_) {
    conexion.pUnk->AddRef();
  }
  SumaObjeto();
}

EnumeradorConexiones::~EnumeradorConexiones() {
  for (const CONNECTDATA& conexion : conexiones_) {
    conexion.pUnk->Release();
  }
  RestaObjeto();
}

HRESULT EnumeradorConexiones::QueryInterface(REFIID iid, void** objeto) {
  if (objeto == nullptr) {
    return E_POINTER;
  }
  if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IEnumConnections)) {
    *objeto = static_cast<IEnumConnections*>(this);
    AddRef();
    return S_OK;
  }
  *objeto = nullptr;
  return E_NOINTERFACE;
}

ULONG EnumeradorConexiones::AddRef() {
  return ++referencias_;
}

ULONG EnumeradorConexiones::Release() {
  const ULONG quedan = --referencias_;
  if (quedan == 0) {
    delete this;
  }
  return quedan;
}

HRESULT EnumeradorConexiones::Next(ULONG cuantos, CONNECTDATA* datos, ULONG* leidos) {
  if (datos == nullptr || (cuantos > 1 && leidos == nullptr)) {
    return E_POINTER;
  }
  ULONG hechos = 0;
  while (hechos < cuantos && siguiente_ < conexiones_.size()) {
    datos[hechos] = conexiones_[siguiente_++];
    datos[hechos].pUnk->AddRef();
    ++hechos;
  }
  if (leidos != nullptr) {
    *leidos = hechos;
  }
  return hechos == cuantos ? S_OK : S_FALSE;
}

HRESULT EnumeradorConexiones::Skip(ULONG cuantos) {
  const std::size_t quedan = conexiones_.size() - siguiente_;
  siguiente_ += cuantos < quedan ? cuantos : quedan;
  return cuantos <= quedan ? S_OK : S_FALSE;
}

HRESULT EnumeradorConexiones::Reset() {
  siguiente_ = 0;
  return S_OK;
}

HRESULT EnumeradorConexiones::Clone(IEnumConnections** copia) {
  if (copia == nullptr) {
    return E_POINTER;
  }
  *copia = nullptr;
  try {
    EnumeradorConexiones* nuevo = Crea(conexiones_);
    nuevo->siguiente_ = siguiente_;
    *copia = nuevo;
  } catch (...) {
    return E_OUTOFMEMORY;
  }
  return S_OK;
}

EnumeradorPuntos* EnumeradorPuntos::Crea(IConnectionPoint* punto) {
  return new EnumeradorPuntos(punto, 0);
}

EnumeradorPuntos::EnumeradorPuntos(IConnectionPoint* punto, std::size_t siguiente)
    : punto_(punto), siguiente_(siguiente) {
  punto_->AddRef();
  SumaObjeto();
}

EnumeradorPuntos::~EnumeradorPuntos() {
  punto_->Release();
  RestaObjeto();
}

HRESULT EnumeradorPuntos::QueryInterface(REFIID iid, void** objeto) {
  if (objeto == nullptr) {
    return E_POINTER;
  }
  if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IEnumConnectionPoints)) {
    *objeto = static_cast<IEnumConnectionPoints*>(this);
    AddRef();
    return S_OK;
  }
  *objeto = nullptr;
  return E_NOINTERFACE;
}

ULONG EnumeradorPuntos::AddRef() {
  return ++referencias_;
}

ULONG EnumeradorPuntos::Release() {
  const ULONG quedan = --referencias_;
  if (quedan == 0) {
    delete this;
  }
  return quedan;
}

HRESULT EnumeradorPuntos::Next(ULONG cuantos, IConnectionPoint** puntos, ULONG* leidos) {
  if (puntos == nullptr || (cuantos > 1 && leidos == nullptr)) {
    return E_POINTER;
  }
  ULONG hechos = 0;
  if (cuantos > 0 && siguiente_ == 0) {
    punto_->AddRef();
    puntos[0] = punto_;
    siguiente_ = 1;
    hechos = 1;
  }
  if (leidos != nullptr) {
    *leidos = hechos;
  }
  return hechos == cuantos ? S_OK : S_FALSE;
}

HRESULT EnumeradorPuntos::Skip(ULONG cuantos) {
  const std::size_t quedan = 1 - siguiente_;
  siguiente_ += cuantos < quedan ? cuantos : quedan;
  return cuantos <= quedan ? S_OK : S_FALSE;
}

HRESULT EnumeradorPuntos::Reset() {
  siguiente_ = 0;
  return S_OK;
}

HRESULT EnumeradorPuntos::Clone(IEnumConnectionPoints** copia) {
  if (copia == nullptr) {
    return E_POINTER;
  }
  *copia = nullptr;
  try {
    *copia = new EnumeradorPuntos(punto_, siguiente_);
  } catch (...) {
    return E_OUTOFMEMORY;
  }
  return S_OK;
}

}  // namespace vardel::com
