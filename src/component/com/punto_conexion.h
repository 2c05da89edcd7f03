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

// Lists the connections of a point as they were when it was made.
class EnumeradorConexiones final : public ObjetoCom<Interfaz<IEnumConnections>> {
 public:
  explicit EnumeradorConexiones(std::vector<Conexion> conexiones, std::size_t siguiente = 0)
      : conexiones_(std::move(conexiones)), siguiente_(siguiente) {}

  HRESULT STDMETHODCALLTYPE Next(ULONG cuantos, CONNECTDATA* datos, ULONG* leidos) override;
  HRESULT STDMETHODCALLTYPE Skip(ULONG cuantos) override;
  HRESULT STDMETHODCALLTYPE Reset() override;
  HRESULT STDMETHODCALLTYPE Clone(IEnumConnections** copia) override;

 private:
  std::vector<Conexion> conexiones_;
  std::size_t siguiente_ = 0;
};

// Lists the single connection point of a container.
class EnumeradorPuntos final : public ObjetoCom<Interfaz<IEnumConnectionPoints>> {
 public:
  explicit EnumeradorPuntos(IConnectionPoint* punto, std::size_t siguiente = 0)
      : punto_(punto), siguiente_(siguiente) {}

  HRESULT STDMETHODCALLTYPE Next(ULONG cuantos, IConnectionPoint** puntos, ULONG* leidos) override;
  HRESULT STDMETHODCALLTYPE Skip(ULONG cuantos) override;
  HRESULT STDMETHODCALLTYPE Reset() override;
  HRESULT STDMETHODCALLTYPE Clone(IEnumConnectionPoints** copia) override;

 private:
  Puntero<IConnectionPoint> punto_;
  std::size_t siguiente_ = 0;
};

}  // namespace vardel::com
