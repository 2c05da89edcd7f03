#pragma once

#include <windows.h>

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

}  // namespace detalle

using ManejadorArchivo = Recurso<detalle::TipoManejadorArchivo>;
using Manejador = Recurso<detalle::TipoManejador>;
// A listing of FindFirstFile.
using BusquedaArchivos = Recurso<detalle::TipoBusqueda>;
// A registry key of RegOpenKeyEx / RegCreateKeyEx.
using ClaveRegistro = Recurso<detalle::TipoClave>;

}  // namespace vardel::platform
