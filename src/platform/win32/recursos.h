#pragma once

#include <windows.h>

#include <objbase.h>
#include <oleauto.h>

#include "core/recurso.h"

namespace vardel::platform {

namespace detalle {

// A handle of which null holds nothing, freed by `Libera`.
template <class Handle, auto Libera>
struct TipoNulo {
  using Valor = Handle;
  static constexpr Handle Nulo() { return nullptr; }
  static void Cierra(Handle valor) { Libera(valor); }
};

// CreateFile's and FindFirstFile's handles: INVALID_HANDLE_VALUE holds
// nothing.
template <auto Libera>
struct TipoInvalido {
  using Valor = HANDLE;
  static HANDLE Nulo() { return INVALID_HANDLE_VALUE; }
  static void Cierra(HANDLE valor) { Libera(valor); }
};

}  // namespace detalle

using ManejadorArchivo = Recurso<detalle::TipoInvalido<&CloseHandle>>;
// Every other kernel object's handle (processes, threads, events).
using Manejador = Recurso<detalle::TipoNulo<HANDLE, &CloseHandle>>;
// A listing of FindFirstFile.
using BusquedaArchivos = Recurso<detalle::TipoInvalido<&FindClose>>;
// A registry key of RegOpenKeyEx / RegCreateKeyEx.
using ClaveRegistro = Recurso<detalle::TipoNulo<HKEY, &RegCloseKey>>;
// A string of the automation runtime (SysAllocString, and what the
// runtime's functions return).
using Bstr = Recurso<detalle::TipoNulo<BSTR, &SysFreeString>>;
// Memory COM and the shell give from their task allocator (an item list of
// the folder browser, a known folder's path).
template <class Puntero>
using MemoriaCom = Recurso<detalle::TipoNulo<Puntero, &CoTaskMemFree>>;
// A GDI object (pen, font, bitmap). It is freed when no device context has
// it selected any more: the holder must outlive every selection.
template <class Objeto>
using ObjetoGdi = Recurso<detalle::TipoNulo<Objeto, &DeleteObject>>;
// A memory device context of CreateCompatibleDC.
using ContextoMemoria = Recurso<detalle::TipoNulo<HDC, &DeleteDC>>;

}  // namespace vardel::platform
