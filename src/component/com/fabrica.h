#pragma once

#include <windows.h>

#include <unknwn.h>

namespace vardel::com {

// The class factory of Comunica. One static instance: its references do not
// keep the DLL loaded, LockServer does.
class FabricaComunica final : public IClassFactory {
 public:
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** objeto) override;
  ULONG STDMETHODCALLTYPE AddRef() override;
  ULONG STDMETHODCALLTYPE Release() override;
  HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown* externo, REFIID iid, void** objeto) override;
  HRESULT STDMETHODCALLTYPE LockServer(BOOL bloquear) override;
};

FabricaComunica& Fabrica();

}  // namespace vardel::com
