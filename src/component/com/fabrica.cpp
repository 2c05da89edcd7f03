#include "component/com/fabrica.h"

#include "component/com/comunica_com.h"
#include "component/com/modulo.h"

namespace vardel::com {

HRESULT FabricaComunica::QueryInterface(REFIID iid, void** objeto) {
  if (objeto == nullptr) {
    return E_POINTER;
  }
  if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IClassFactory)) {
    *objeto = static_cast<IClassFactory*>(this);
    return S_OK;
  }
  *objeto = nullptr;
  return E_NOINTERFACE;
}

ULONG FabricaComunica::AddRef() {
  return 2;
}
ULONG FabricaComunica::Release() {
  return 1;
}

HRESULT FabricaComunica::CreateInstance(IUnknown* externo, REFIID iid, void** objeto) {
  return ComunicaCom::Crea(externo, iid, objeto);
}

HRESULT FabricaComunica::LockServer(BOOL bloquear) {
  if (bloquear) {
    SumaBloqueo();
  } else {
    RestaBloqueo();
  }
  return S_OK;
}

FabricaComunica& Fabrica() {
  static FabricaComunica fabrica;
  return fabrica;
}

}  // namespace vardel::com
