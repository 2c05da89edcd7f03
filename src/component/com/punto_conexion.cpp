#include "component/com/punto_conexion.h"

#include <olectl.h>

#include "component/com/error_com.h"
#include "component/com/puntero_com.h"
#include "component/com/variante_com.h"

namespace vardel::com {

PuntoConexion::PuntoConexion(IConnectionPointContainer& contenedor, REFIID iid_eventos)
    : contenedor_(contenedor), iid_eventos_(iid_eventos) {}

PuntoConexion::~PuntoConexion() {
  DesconectaTodos();
}

void PuntoConexion::DesconectaTodos() {
  // Emptied before the sinks are released: a sink's last release may call
  // back into this point.
  std::vector<Conexion> soltadas;
  soltadas.swap(conexiones_);
}

void PuntoConexion::Dispara(DISPID evento, DISPPARAMS& argumentos) {
  const std::vector<Conexion> receptores = conexiones_;
  for (const Conexion& conexion : receptores) {
    // What the sink answers is not looked at, only freed.
    VarianteLocal resultado;
    ExcepcionLocal excepcion;
    UINT argumento_erroneo = 0;
    conexion.receptor->Invoke(evento, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD, &argumentos,
                              &resultado.v, &excepcion.e, &argumento_erroneo);
  }
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
  *contenedor = NuevaReferencia(&contenedor_);
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
  Puntero<IDispatch> despacho;
  if (FAILED(receptor->QueryInterface(iid_eventos_, despacho.put_void())) &&
      FAILED(receptor->QueryInterface(IID_IDispatch, despacho.put_void()))) {
    return CONNECT_E_CANNOTCONNECT;
  }
  try {
    conexiones_.push_back({siguiente_cookie_, std::move(despacho)});
  } catch (...) {
    return E_OUTOFMEMORY;
  }
  *cookie = siguiente_cookie_++;
  return S_OK;
}

HRESULT PuntoConexion::Unadvise(DWORD cookie) {
  for (auto it = conexiones_.begin(); it != conexiones_.end(); ++it) {
    if (it->cookie == cookie) {
      // Out of the list before its release, which may call back here.
      const Puntero<IDispatch> receptor = std::move(it->receptor);
      conexiones_.erase(it);
      return S_OK;
    }
  }
  return CONNECT_E_NOCONNECTION;
}

HRESULT PuntoConexion::EnumConnections(IEnumConnections** enumerador) {
  return EntregaNuevo(enumerador, [this] { return new EnumeradorConexiones(conexiones_); });
}

}  // namespace vardel::com
