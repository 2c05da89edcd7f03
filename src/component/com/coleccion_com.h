#pragma once

#include <windows.h>

#include <memory>

#include "component/com/error_com.h"
#include "component/com/objeto_com.h"
#include "vardel/collection.h"
#include "vardel_h.h"

namespace vardel::com {

// Answered only by objects of this class, so a value a host hands back can
// be recognised as one of ours.
inline constexpr IID kIidColeccionPropia = {
    0x1dd3c5e3, 0x7eb3, 0x449c, {0xa1, 0xbd, 0x6f, 0x32, 0x1f, 0x4f, 0x40, 0x80}};

// The data object a host receives with LectoraDatos: a core Collection seen
// as the automation runtime's collection (_Collection, same identifier and
// layout): Item by key or 1-based position as default member, Add, Count,
// Remove, and For Each through _NewEnum. Errors are the runtime's: a
// missing key 5, a position out of range 9, a duplicate key 457.
class ColeccionCom final
    : public ObjetoCom<Interfaz<_Collection, IID_IDispatch, kIidColeccionPropia>,
                       Interfaz<ISupportErrorInfo>> {
 public:
  explicit ColeccionCom(std::shared_ptr<Collection> datos) : datos_(std::move(datos)) {}
  // The object behind a host's pointer when it is one of ours, else null.
  static ColeccionCom* DeObjeto(IUnknown* objeto);

  const std::shared_ptr<Collection>& Datos() const { return datos_; }

  // IDispatch: the members answer to a method call and to a property get
  // alike, as script engines use both.
  HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* cuenta) override;
  HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT indice, LCID lcid, ITypeInfo** info) override;
  HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID iid, LPOLESTR* nombres, UINT cuenta, LCID lcid,
                                          DISPID* ids) override;
  HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID iid, LCID lcid, WORD modo,
                                   DISPPARAMS* parametros, VARIANT* resultado, EXCEPINFO* excepcion,
                                   UINT* argumento_erroneo) override;
  // _Collection
  HRESULT STDMETHODCALLTYPE Item(VARIANT* Index, VARIANT* pvarRet) override;
  HRESULT STDMETHODCALLTYPE Add(VARIANT* Item, VARIANT* Key, VARIANT* Before,
                                VARIANT* After) override;
  HRESULT STDMETHODCALLTYPE Count(LONG* pi4) override;
  HRESULT STDMETHODCALLTYPE Remove(VARIANT* Index) override;
  HRESULT STDMETHODCALLTYPE _NewEnum(IUnknown** ppunk) override;
  // ISupportErrorInfo
  HRESULT STDMETHODCALLTYPE InterfaceSupportsErrorInfo(REFIID iid) override;

 private:
  void LeeItem(const VARIANT& indice, VARIANT* resultado) const;
  void Agrega(const VARIANT& item, const VARIANT* clave, const VARIANT* antes,
              const VARIANT* despues);
  void Quita(const VARIANT& indice);
  IUnknown* NuevoEnumerador() const;
  HRESULT Despacha(DISPID id, WORD modo, const DISPPARAMS& parametros, VARIANT* resultado);

  std::shared_ptr<Collection> datos_;
};

}  // namespace vardel::com
