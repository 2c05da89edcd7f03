#pragma once

#include <windows.h>

#include <activscp.h>
#include <ocidl.h>

#include <string>
#include <vector>

#include "component/com/puntero_com.h"

namespace vardel::prueba {

// The `WScript` object that the test script host gives its scripts, with
// what event-driven scenarios need and Wine's own script host lacks:
//   CreateObject(progid [, prefix])  events go to Sub prefix_Event(...)
//   ConnectObject obj, prefix / DisconnectObject obj
//   Sleep ms   pumps the thread's messages meanwhile (timer events)
//   Echo ...   one line on standard output
//   Quit [code]  ends the script with that exit code
class ObjetoWScript final : public IDispatch {
 public:
  explicit ObjetoWScript(IActiveScript& motor);
  ~ObjetoWScript();

  bool QuitPedido() const { return quit_pedido_; }
  int CodigoSalida() const { return codigo_salida_; }
  // Disconnects every sink (before the engine is closed).
  void DesconectaTodo();

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** objeto) override;
  ULONG STDMETHODCALLTYPE AddRef() override;
  ULONG STDMETHODCALLTYPE Release() override;
  HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* cuenta) override;
  HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo**) override;
  HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR* nombres, UINT cuenta, LCID,
                                          DISPID* ids) override;
  HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID, LCID, WORD, DISPPARAMS* parametros,
                                   VARIANT* resultado, EXCEPINFO* excepcion, UINT*) override;

 private:
  // In this order so that, members going in reverse, the point is let go
  // before the object.
  struct Conexion {
    com::Puntero<IUnknown> objeto;
    com::Puntero<IConnectionPoint> punto;
    DWORD cookie;
  };
  HRESULT Conecta(IUnknown* objeto, const std::wstring& prefijo);
  void Desconecta(IUnknown* objeto);

  ULONG referencias_ = 1;
  IActiveScript& motor_;
  std::vector<Conexion> conexiones_;
  bool quit_pedido_ = false;
  int codigo_salida_ = 0;
};

}  // namespace vardel::prueba
