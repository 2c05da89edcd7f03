#include "component/com/fabrica.h"

#include "component/com/comunica_com.h"
#include "component/com/modulo.h"

namespace vardel::com {

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
