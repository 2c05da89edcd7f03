#pragma once

#include <windows.h>

#include <oaidl.h>

#include <optional>
#include <string>

#include "component/com/error_com.h"
#include "support/directorio_prueba.h"

namespace vardel::prueba {

// Two documents the code-line parser reads (an amount; a due date) and one
// it cannot (no-data collection), each with generated images.
extern const char* const kEscenarioBandeja;
// The reader is absent: no device listed, every call fails.
extern const char* const kEscenarioAusente;
// The reader is present, the tray empty.
extern const char* const kEscenarioVacio;

// A folder laid out as on a counter machine: Vardel.dll and the reader
// simulator copied from the build, Config.ini and the simulator's scenario
// beside them, and an image directory "img".
class CarpetaServidor {
 public:
  explicit CarpetaServidor(const std::string& escenario = kEscenarioBandeja);

  const std::string& Ruta() const { return directorio_.Ruta(); }
  std::wstring RutaDll() const;
  std::string Archivo(const std::string& nombre) const { return directorio_.Archivo(nombre); }
  // Config.ini with every key the capture needs, logging on.
  void EscribeConfig(const std::string& directorio_imagenes) const;
  void EscribeEscenario(const std::string& escenario) const;
  std::string DirectorioImagenes() const { return Archivo("img"); }
  std::string LeeLog() const { return directorio_.Lee("Lectora.log"); }

 private:
  DirectorioPrueba directorio_;
};

// Runs a program of the system (command line as given), waits, and returns
// its exit code.
DWORD Ejecuta(const std::wstring& linea);
// regsvr32 with the given switches ("/s", "/s /u", "/s /n /i:user", ...).
DWORD RegSvr32(const std::wstring& opciones, const std::wstring& dll);

// A new object of the class registered under `progid`, as scripts and
// late-bound hosts create one.
HRESULT CreaPorProgId(const wchar_t* progid, REFIID iid, void** objeto);

// A registry text value; nullopt when the key or value is missing.
std::optional<std::wstring> LeeRegistro(HKEY raiz, const std::wstring& clave,
                                        const wchar_t* nombre = nullptr);
bool ExisteClave(HKEY raiz, const std::wstring& clave);

std::wstring TextoGuid(REFGUID guid);

// Owns a VARIANT.
struct Variante {
  Variante() { VariantInit(&v); }
  ~Variante() { VariantClear(&v); }
  Variante(const Variante&) = delete;
  Variante& operator=(const Variante&) = delete;
  VARIANT v;
};

// Late-bound call by name, as script hosts make it. Returns the HRESULT;
// `excepcion` receives the EXCEPINFO (freed by the caller:
// com::VaciaExcepcion).
HRESULT LlamaPorNombre(IDispatch* objeto, const wchar_t* nombre, WORD modo, VARIANT* resultado,
                       EXCEPINFO* excepcion, std::initializer_list<VARIANT> argumentos = {});

std::string Utf8(const wchar_t* texto);
std::string Utf8(BSTR texto);

// Pumps the thread's messages for `ms` milliseconds, or until `hecho`.
template <class Condicion>
void BombeaMensajes(DWORD ms, Condicion hecho) {
  const DWORD fin = GetTickCount() + ms;
  while (!hecho() && static_cast<LONG>(fin - GetTickCount()) > 0) {
    MSG mensaje;
    while (PeekMessageW(&mensaje, nullptr, 0, 0, PM_REMOVE)) {
      TranslateMessage(&mensaje);
      DispatchMessageW(&mensaje);
    }
    MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT);
  }
}

}  // namespace vardel::prueba
