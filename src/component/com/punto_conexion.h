#pragma once

#include <windows.h>

#include <ocidl.h>

#include <vector>

namespace vardel::com {

// The connection point of one event interface, part of its container
// object (its references are the container's). Several sinks may be
// connected; each event goes to a snapshot of them, so a sink that fails
// or disconnects during an event does not disturb the others.
class PuntoConexion final : public IConnectionPoint {
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

  // IUnknown, delegated to the container.
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** objeto) override;
  ULONG STDMETHODCALLTYPE AddRef() override;
  ULONG STDMETHODCALLTYPE Release() override;
  // IConnectionPoint
  HRESULT STDMETHODCALLTYPE GetConnectionInterface(IID* iid) override;
  HRESULT STDMETHODCALLTYPE
  GetConnectionPointContainer(IConnectionPointContainer** contenedor) override;
  HRESULT STDMETHODCALLTYPE Advise(IUnknown* receptor, DWORD* cookie) override;
  HRESULT STDMETHODCALLTYPE Unadvise(DWORD cookie) override;
  HRESULT STDMETHODCALLTYPE EnumConnections(IEnumConnections** enumerador) override;

 private:
  struct Conexion {
    DWORD cookie;
    IDispatch* receptor;  // one reference held
  };
  IConnectionPointContainer& contenedor_;
  IID iid_eventos_;
  DWORD siguiente_cookie_ = 1;
  std::vector<Conexion> conexiones_;
};

// Lists the connections of a point as they were when it was made.
class EnumeradorConexiones final : public IEnumConnections {
 public:
  // Every pUnk of `conexiones` is AddRef'd by the enumerator.
  static EnumeradorConexiones* Crea(std::vector<CONNECTDATA> conexiones);

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** objeto) override;
  ULONG STDMETHODCALLTYPE AddRef() override;
  ULONG STDMETHODCALLTYPE Release() override;
  HRESULT STDMETHODCALLTYPE Next(ULONG cuantos, CONNECTDATA* datos, ULONG* leidos) override;
  HRESULT STDMETHODCALLTYPE Skip(ULONG cuantos) override;
  HRESULT STDMETHODCALLTYPE Reset() override;
  HRESULT STDMETHODCALLTYPE Clone(IEnumConnections** copia) override;

 private:
  explicit EnumeradorConexiones(std::vector<CONNECTDATA> conexiones);
  ~EnumeradorConexiones();
  ULONG referencias_ = 1;
  std::vector<CONNECTDATA> conexiones_;
  std::size_t siguiente_ = 0;
};

// Lists the single connection point of a container.
class EnumeradorPuntos final : public IEnumConnectionPoints {
 public:
  static EnumeradorPuntos* Crea(IConnectionPoint* punto);

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** objeto) override;
  ULONG STDMETHODCALLTYPE AddRef() override;
  ULONG STDMETHODCALLTYPE Release() override;
  HRESULT STDMETHODCALLTYPE Next(ULONG cuantos, IConnectionPoint** puntos, ULONG* leidos) override;
  HRESULT STDMETHODCALLTYPE Skip(ULONG cuantos) override;
  HRESULT STDMETHODCALLTYPE Reset() override;
  HRESULT STDMETHODCALLTYPE Clone(IEnumConnectionPoints** copia) override;

 private:
  EnumeradorPuntos(IConnectionPoint* punto, std::size_t siguiente);
  ~EnumeradorPuntos();
  ULONG referencias_ = 1;
  IConnectionPoint* punto_;  // one reference held
  std::size_t siguiente_ = 0;
};

}  // namespace vardel::com
