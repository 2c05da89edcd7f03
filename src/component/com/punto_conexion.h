#pragma once

#include <windows.h>

#include <ocidl.h>

#include <vector>

#include "component/com/objeto_com.h"
#include "component/com/puntero_com.h"

namespace vardel::com {

// One sink connected to a point, with the cookie Advise gave it.
struct Conexion {
  DWORD cookie;
  Puntero<IDispatch> receptor;
};

// The connection point of one event interface, part of its container
// object (its references are the container's). Several sinks may be
// connected; each event goes to a snapshot of them, so a sink that fails
// or disconnects during an event does not disturb the others.
class PuntoConexion final : public ImplementaInterfaces<Interfaz<IConnectionPoint>> {
 public:
  PuntoConexion(IConnectionPointContainer& contenedor, REFIID iid_eventos);
  ~PuntoConexion();
  PuntoConexion(const PuntoConexion&) = delete;
  PuntoConexion& operator=(const PuntoConexion&) = delete;

  // Calls one event (DISPATCH_METHOD) on every sink connected now. The
  // arguments are in dispatch order (last first). Results are ignored.
  void Dispara(DISPID evento, DISPPARAMS& argumentos);
  // Drops every sink (the container is going away).
  void DesconectaTodos();

  // Its references are the container's.
  ULONG STDMETHODCALLTYPE AddRef() override { return contenedor_.AddRef(); }
  ULONG STDMETHODCALLTYPE Release() override { return contenedor_.Release(); }
  // IConnectionPoint
  HRESULT STDMETHODCALLTYPE GetConnectionInterface(IID* iid) override;
  HRESULT STDMETHODCALLTYPE
  GetConnectionPointContainer(IConnectionPointContainer** contenedor) override;
  HRESULT STDMETHODCALLTYPE Advise(IUnknown* receptor, DWORD* cookie) override;
  HRESULT STDMETHODCALLTYPE Unadvise(DWORD cookie) override;
  HRESULT STDMETHODCALLTYPE EnumConnections(IEnumConnections** enumerador) override;

 private:
  IConnectionPointContainer& contenedor_;
  IID iid_eventos_;
  DWORD siguiente_cookie_ = 1;
  std::vector<Conexion> conexiones_;
};

// What an enumerator hands out for an item it holds, with a new reference.
inline CONNECTDATA Entregado(const Conexion& conexion) {
  return {conexion.receptor.copy(), conexion.cookie};
}
inline IConnectionPoint* Entregado(const Puntero<IConnectionPoint>& punto) {
  return punto.copy();
}

// Lists a fixed set of items as they were when it was made: the
// connections of a point, the connection points of a container.
template <class IEnumeracion, class Dato, class Item>
class EnumeradorFijo final : public ObjetoCom<Interfaz<IEnumeracion>> {
 public:
  explicit EnumeradorFijo(std::vector<Item> items, std::size_t siguiente = 0)
      : items_(std::move(items)), siguiente_(siguiente) {}

  HRESULT STDMETHODCALLTYPE Next(ULONG cuantos, Dato* datos, ULONG* leidos) override {
    if (datos == nullptr || (cuantos > 1 && leidos == nullptr)) {
      return E_POINTER;
    }
    ULONG hechos = 0;
    while (hechos < cuantos && siguiente_ < items_.size()) {
      datos[hechos++] = Entregado(items_[siguiente_++]);
    }
    if (leidos != nullptr) {
      *leidos = hechos;
    }
    return hechos == cuantos ? S_OK : S_FALSE;
  }
  HRESULT STDMETHODCALLTYPE Skip(ULONG cuantos) override {
    const std::size_t quedan = items_.size() - siguiente_;
    siguiente_ += cuantos < quedan ? cuantos : quedan;
    return cuantos <= quedan ? S_OK : S_FALSE;
  }
  HRESULT STDMETHODCALLTYPE Reset() override {
    siguiente_ = 0;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE Clone(IEnumeracion** copia) override {
    return EntregaNuevo(copia, [this] { return new EnumeradorFijo(items_, siguiente_); });
  }

 private:
  std::vector<Item> items_;
  std::size_t siguiente_;
};

using EnumeradorConexiones = EnumeradorFijo<IEnumConnections, CONNECTDATA, Conexion>;
using EnumeradorPuntos =
    EnumeradorFijo<IEnumConnectionPoints, IConnectionPoint*, Puntero<IConnectionPoint>>;

}  // namespace vardel::com
