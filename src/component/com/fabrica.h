#pragma once

#include <windows.h>

#include <unknwn.h>

#include "component/com/objeto_com.h"

namespace vardel::com {

// The class factory of Comunica. One static instance: its references do not
// keep the DLL loaded, LockServer does.
class FabricaComunica final : public ImplementaInterfaces<Interfaz<IClassFactory>> {
 public:
  ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
  ULONG STDMETHODCALLTYPE Release() override { return 1; }
  HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown* externo, REFIID iid, void** objeto) override;
  HRESULT STDMETHODCALLTYPE LockServer(BOOL bloquear) override;
};

FabricaComunica& Fabrica();

}  // namespace vardel::com
