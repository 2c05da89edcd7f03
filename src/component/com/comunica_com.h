#pragma once

#include <windows.h>

#include <ocidl.h>

#include <memory>

#include "component/com/error_com.h"
#include "component/com/objeto_com.h"
#include "component/com/puntero_com.h"
#include "component/com/punto_conexion.h"
#include "vardel/comunica.h"
#include "vardel_h.h"

namespace vardel::com {

// The COM object of the class Comunica: the dual interface _Comunica over
// a vardel::Comunica, its events through a connection point for __Comunica,
// class information and rich errors. It adds nothing of its own to the
// behaviour. Apartment-threaded: every call and event on the creating
// thread.
class ComunicaCom final
    : public ObjetoCom<Interfaz<_Comunica, IID_IDispatch>, Interfaz<IConnectionPointContainer>,
                       Interfaz<IProvideClassInfo2, IID_IProvideClassInfo>,
                       Interfaz<ISupportErrorInfo>>,
      private OyenteComunica {
 public:
  // CoCreateInstance's work: a new object asked for `iid` (no aggregation).
  static HRESULT Crea(IUnknown* externo, REFIID iid, void** objeto);

  // IDispatch, through the type library
  HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* cuenta) override;
  HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT indice, LCID lcid, ITypeInfo** info) override;
  HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID iid, LPOLESTR* nombres, UINT cuenta, LCID lcid,
                                          DISPID* ids) override;
  HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID iid, LCID lcid, WORD modo,
                                   DISPPARAMS* parametros, VARIANT* resultado, EXCEPINFO* excepcion,
                                   UINT* argumento_erroneo) override;
  // _Comunica
  HRESULT STDMETHODCALLTYPE Terminate() override;
  HRESULT STDMETHODCALLTYPE MostrarConfiguracion(VARIANT* pResultado) override;
  HRESULT STDMETHODCALLTYPE LectoraONOFF(VARIANT_BOOL* pResultado) override;
  HRESULT STDMETHODCALLTYPE get_blnLogActivo(VARIANT_BOOL* pValor) override;
  HRESULT STDMETHODCALLTYPE put_blnLogActivo(VARIANT_BOOL valor) override;
  // IConnectionPointContainer
  HRESULT STDMETHODCALLTYPE EnumConnectionPoints(IEnumConnectionPoints** puntos) override;
  HRESULT STDMETHODCALLTYPE FindConnectionPoint(REFIID iid, IConnectionPoint** punto) override;
  // IProvideClassInfo2
  HRESULT STDMETHODCALLTYPE GetClassInfo(ITypeInfo** info) override;
  HRESULT STDMETHODCALLTYPE GetGUID(DWORD tipo, GUID* guid) override;
  // ISupportErrorInfo
  HRESULT STDMETHODCALLTYPE InterfaceSupportsErrorInfo(REFIID iid) override;

 private:
  ComunicaCom();
  ~ComunicaCom() override;
  // Let go during one of its own events, it dies once the event is over.
  void UltimaReferencia() override;

  // Runs one member: on the creating thread only, holding a reference (a
  // host may let the object go inside an event), errors as COM failures.
  template <class Cuerpo>
  HRESULT Miembro(Cuerpo&& cuerpo);

  // OyenteComunica: the events, to every connected sink.
  void LectoraDatos(const std::shared_ptr<Collection>& Dato) override;
  void LectoraError(std::int32_t Error, const std::string& Descripcion) override;
  void LectoraActiva(Boolean OnOff) override;
  void Dispara(DISPID evento, DISPPARAMS& argumentos);

  static void CALLBACK DestruyePendientes(HWND, UINT, UINT_PTR, DWORD);

  DWORD hilo_;
  int eventos_en_curso_ = 0;
  // Where a member keeps its failure for the dispatch call running it.
  FalloCom* fallo_de_despacho_ = nullptr;
  Puntero<ITypeInfo> info_despacho_;  // the dispatch view of _Comunica
  Puntero<ITypeInfo> info_vtable_;    // its vtable view, for DispInvoke
  PuntoConexion punto_eventos_;
  std::unique_ptr<Comunica> comunica_;
};

}  // namespace vardel::com
