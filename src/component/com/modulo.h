#pragma once

#include <windows.h>

#include <oaidl.h>

#include <string>

namespace vardel::com {

// The full path of the server's own module (Vardel.dll).
std::wstring RutaServidor();

// Live objects and class-factory locks: the DLL may be unloaded only when
// both are zero.
void SumaObjeto();
void RestaObjeto();
void SumaBloqueo();
void RestaBloqueo();
bool PuedeDescargarse();

// The type library embedded in the DLL, loaded once per process (AddRef'd
// for the caller). Failure: the HRESULT of LoadTypeLibEx.
HRESULT BibliotecaTipos(ITypeLib** biblioteca);
// One type description of that library by its identifier (AddRef'd).
HRESULT InfoTipo(REFGUID guid, ITypeInfo** info);

}  // namespace vardel::com
