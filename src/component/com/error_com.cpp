#include "component/com/error_com.h"

#include <exception>
#include <new>

#include "component/com/puntero_com.h"
#include "component/com/texto_com.h"
#include "vardel/error.h"

namespace vardel::com {

FalloCom FalloDeExcepcionActual() {
  try {
    throw;
  } catch (const ErrorEjecucion& error) {
    return {error.Numero(), error.Descripcion()};
  } catch (const std::bad_alloc&) {
    return {errores::kMemoriaInsuficiente, DescripcionError(errores::kMemoriaInsuficiente)};
  } catch (...) {
    return {errores::kArgumentoNoValido, DescripcionError(errores::kArgumentoNoValido)};
  }
}

HRESULT HresultDeError(std::int32_t numero) {
  return MAKE_HRESULT(SEVERITY_ERROR, FACILITY_CONTROL, static_cast<WORD>(numero));
}

HRESULT NotificaFallo(const FalloCom& fallo, REFIID iid) {
  Puntero<ICreateErrorInfo> creador;
  if (SUCCEEDED(CreateErrorInfo(creador.put()))) {
    const std::wstring descripcion = AUtf16(fallo.descripcion);
    creador->SetGUID(iid);
    creador->SetSource(const_cast<LPOLESTR>(kOrigenErrores));
    creador->SetDescription(const_cast<LPOLESTR>(descripcion.c_str()));
    Puntero<IErrorInfo> info;
    if (SUCCEEDED(creador->QueryInterface(IID_IErrorInfo, info.put_void()))) {
      SetErrorInfo(0, info.get());
    }
  }
  return HresultDeError(fallo.numero);
}

void LlenaExcepcion(const FalloCom& fallo, EXCEPINFO* excepcion) {
  if (excepcion == nullptr) {
    return;
  }
  VaciaExcepcion(*excepcion);
  excepcion->wCode = 0;
  excepcion->scode = HresultDeError(fallo.numero);
  excepcion->bstrSource = SysAllocString(kOrigenErrores);
  excepcion->bstrDescription = SysAllocString(AUtf16(fallo.descripcion).c_str());
}

}  // namespace vardel::com
