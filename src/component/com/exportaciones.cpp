// The entry points of the in-process server. None lets a C++ exception out.
#include <windows.h>

#include <unknwn.h>

#include "component/com/fabrica.h"
#include "component/com/modulo.h"
#include "component/com/registro_com.h"
#include "vardel_h.h"

using vardel::com::Ambito;

extern "C" {

HRESULT WINAPI DllGetClassObject(REFCLSID clsid, REFIID iid, void** objeto) {
  if (objeto == nullptr) {
    return E_POINTER;
  }
  *objeto = nullptr;
  if (!IsEqualCLSID(clsid, CLSID_Comunica)) {
    return CLASS_E_CLASSNOTAVAILABLE;
  }
  return vardel::com::Fabrica().QueryInterface(iid, objeto);
}

HRESULT WINAPI DllCanUnloadNow() {
  return vardel::com::PuedeDescargarse() ? S_OK : S_FALSE;
}

HRESULT WINAPI DllRegisterServer() {
  try {
    return vardel::com::RegistraServidor(Ambito::kMaquina);
  } catch (...) {
    return E_OUTOFMEMORY;
  }
}

HRESULT WINAPI DllUnregisterServer() {
  try {
    return vardel::com::DesregistraServidor(Ambito::kMaquina);
  } catch (...) {
    return E_OUTOFMEMORY;
  }
}

// regsvr32 /n /i:user registers for the current user only (no
// administrator rights); any other command line means the machine.
HRESULT WINAPI DllInstall(BOOL instalar, LPCWSTR linea) {
  const Ambito ambito =
      linea != nullptr && _wcsicmp(linea, L"user") == 0 ? Ambito::kUsuario : Ambito::kMaquina;
  try {
    return instalar ? vardel::com::RegistraServidor(ambito)
                    : vardel::com::DesregistraServidor(ambito);
  } catch (...) {
    return E_OUTOFMEMORY;
  }
}

}  // extern "C"
