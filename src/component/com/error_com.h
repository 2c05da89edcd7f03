#pragma once

#include <windows.h>

#include <oaidl.h>
#include <oleauto.h>

#include <cstdint>
#include <exception>
#include <string>

namespace vardel::com {

// A run-time error as the host receives it.
struct FalloCom {
  std::int32_t numero = 0;
  std::string descripcion;
};

// The source every error of the component carries.
inline constexpr const wchar_t* kOrigenErrores = L"Vardel";

// The error of the exception being handled: ErrorEjecucion as it stands,
// std::bad_alloc as "out of memory" (7), anything else as error 5. Call it
// only inside a catch block.
FalloCom FalloDeExcepcionActual();

// The HRESULT the automation runtime builds for a run-time error number.
HRESULT HresultDeError(std::int32_t numero);

// Sets the thread's IErrorInfo for the failure (raised on the interface
// iid) and returns its HRESULT: how a vtable caller learns number and text.
HRESULT NotificaFallo(const FalloCom& fallo, REFIID iid);

// Fills an EXCEPINFO for a dispatch caller (scode, source, description).
void LlenaExcepcion(const FalloCom& fallo, EXCEPINFO* excepcion);

// Frees the texts an EXCEPINFO holds and empties it.
inline void VaciaExcepcion(EXCEPINFO& excepcion) {
  SysFreeString(excepcion.bstrSource);
  SysFreeString(excepcion.bstrDescription);
  SysFreeString(excepcion.bstrHelpFile);
  excepcion = EXCEPINFO{};
}

// An EXCEPINFO for a call to fill, emptied on every way out.
struct ExcepcionLocal {
  ExcepcionLocal() = default;
  ~ExcepcionLocal() { VaciaExcepcion(e); }
  ExcepcionLocal(const ExcepcionLocal&) = delete;
  ExcepcionLocal& operator=(const ExcepcionLocal&) = delete;
  EXCEPINFO e{};
};

// Runs one entry point of an interface: no C++ exception leaves it, and a
// failure comes back as the HRESULT of its error, with IErrorInfo set.
// `ultimo` (optional) keeps the failure for a dispatch caller's EXCEPINFO.
template <class Cuerpo>
HRESULT Protege(REFIID iid, FalloCom* ultimo, Cuerpo&& cuerpo) noexcept {
  std::exception_ptr excepcion;
  try {
    return cuerpo();
  } catch (...) {
    excepcion = std::current_exception();
  }
  // The failure's text and IErrorInfo are made outside the handler, under
  // a guard of their own: a failure to make them (memory) is out of memory,
  // never an exception out of this noexcept function.
  try {
    FalloCom fallo;
    try {
      std::rethrow_exception(excepcion);
    } catch (...) {
      fallo = FalloDeExcepcionActual();
    }
    const HRESULT resultado = NotificaFallo(fallo, iid);
    if (ultimo != nullptr) {
      *ultimo = std::move(fallo);
    }
    return resultado;
  } catch (...) {
    return E_OUTOFMEMORY;
  }
}

}  // namespace vardel::com
