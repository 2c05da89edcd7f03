#pragma once

#include <windows.h>

namespace vardel::com {

// Where the registration goes: the machine (HKLM, administrators) or the
// current user (HKCU\Software\Classes, no rights needed).
enum class Ambito { kMaquina, kUsuario };

// The ProgID Vardel.Comunica (the class's one ProgID), the class with its
// in-process server (this DLL's full path, apartment-threaded) and the type
// library.
HRESULT RegistraServidor(Ambito ambito);

// Undoes RegistraServidor for this DLL's architecture. While the other
// architecture's DLL is still registered, what both share (ProgIDs, the
// interfaces of the type library) stays, and only this architecture's entry
// of the type library goes.
HRESULT DesregistraServidor(Ambito ambito);

}  // namespace vardel::com
