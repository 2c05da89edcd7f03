#pragma once

#include <windows.h>

#include <objbase.h>
#include <oleauto.h>

#include "core/recurso.h"

namespace vardel::platform {

namespace detalle {

// CreateFile's handles: INVALID_HANDLE_VALUE holds nothing.
struct TipoManejadorArchivo {
  using Valor = HANDLE;
  static HANDLE Nulo() { return INVALID_HANDLE_VALUE; }
  static void Cierra(HANDLE manejador) { CloseHandle(manejador); }
};

// Every other kernel object's handle (processes, threads, events): null
// holds nothing.
struct TipoManejador {
  using Valor = HANDLE;
  static constexpr HANDLE Nulo() { return nullptr; }
  static void Cierra(HANDLE manejador) { CloseHandle(manejador); }
};

struct TipoBusqueda {
  using Valor = HANDLE;
  static HANDLE Nulo() { return INVALID_HANDLE_VALUE; }
  static void Cierra(HANDLE busqueda) { FindClose(busqueda); }
};

struct TipoClave {
  using Valor = HKEY;
  static constexpr HKEY Nulo() { return nullptr; }
  static void Cierra(HKEY clave) { RegCloseKey(clave); }
};

// A string of the automation runtime (SysAllocString, and what the
// runtime's functions return).
struct TipoBstr {
  using Valor = BSTR;
  static constexpr BSTR Nulo() { return nullptr; }
  static void Cierra(BSTR texto) { SysFreeString(texto); }
};

// Memory COM and the shell give from their task allocator (an item list of
// the folder browser, a known folder's path).
template <class Puntero>
struct TipoMemoriaCom {
  using Valor = Puntero;
  static constexpr Puntero Nulo() { return nullptr; }
  static void Cierra(Puntero memoria) { CoTaskMemFree(memoria); }
};

// A GDI object (pen, font, bitmap). It is freed when no device context has
// it selected any more: the holder must outlive every selection.
template <class Objeto>
struct TipoObjetoGdi {
  using Valor = Objeto;
  static constexpr Objeto Nulo() { return nullptr; }
  static void Cierra(Objeto objeto) { DeleteObject(objeto); }
};

// A memory device context of CreateCompatibleDC.
struct TipoContextoMemoria {
  using Valor = HDC;
  static constexpr HDC Nulo() { return nullptr; }
  static void Cierra(HDC contexto) { DeleteDC(contexto); }
};

}  // namespace detalle

using ManejadorArchivo = Recurso<detalle::TipoManejadorArchivo>;
using Manejador = Recurso<detalle::TipoManejador>;
// A listing of FindFirstFile.
using BusquedaArchivos = Recurso<detalle::TipoBusqueda>;
// A registry key of RegOpenKeyEx / RegCreateKeyEx.
using ClaveRegistro = Recurso<detalle::TipoClave>;
using Bstr = Recurso<detalle::TipoBstr>;
template <class Puntero>
using MemoriaCom = Recurso<detalle::TipoMemoriaCom<Puntero>>;
template <class Objeto>
using ObjetoGdi = Recurso<detalle::TipoObjetoGdi<Objeto>>;
using ContextoMemoria = Recurso<detalle::TipoContextoMemoria>;

}  // namespace vardel::platform
