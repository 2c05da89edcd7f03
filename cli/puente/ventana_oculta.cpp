#include "ventana_oculta.h"

#include <windows.h>

#include "../parada.h"

namespace vardel::cli::puente {

namespace {

// How long the end of the session is held for the bridge to stop: a read
// finishes the document in flight within a second or two.
constexpr DWORD kEsperaFinSesion = 20000;

// Set when the bridge has stopped (the object goes): the end of the
// session may go on.
HANDLE parado = nullptr;

LRESULT CALLBACK ProcedimientoVentana(HWND ventana, UINT mensaje, WPARAM w, LPARAM l) {
  switch (mensaje) {
    case WM_CLOSE:
      PideParada(MotivoParada::Terminacion);
      return 0;  // the window goes with the thread, once the bridge has stopped
    case WM_QUERYENDSESSION:
      // Yes; the stop waits for WM_ENDSESSION, since another program may
      // still cancel the logoff, and the counter would be left without its
      // bridge.
      return TRUE;
    case WM_ENDSESSION:
      if (w != FALSE) {
        PideParada(MotivoParada::FinSesion);
        WaitForSingleObject(parado, kEsperaFinSesion);
      }
      return 0;
    default:
      return DefWindowProcW(ventana, mensaje, w, l);
  }
}

// The window's thread: makes the window, tells the constructor whether it
// could (`listo`), and pumps its messages until WM_QUIT.
DWORD WINAPI HiloVentana(LPVOID listo) {
  const HINSTANCE instancia = GetModuleHandleW(nullptr);
  WNDCLASSW clase{};
  clase.lpfnWndProc = ProcedimientoVentana;
  clase.hInstance = instancia;
  clase.lpszClassName = kClaseVentanaPuente;
  RegisterClassW(&clase);
  // Top-level (no parent, not HWND_MESSAGE), never shown, no taskbar button.
  const HWND ventana = CreateWindowExW(WS_EX_TOOLWINDOW, kClaseVentanaPuente, L"Vardel Puente",
                                       WS_POPUP, 0, 0, 0, 0, nullptr, nullptr, instancia, nullptr);
  SetEvent(static_cast<HANDLE>(listo));
  if (ventana == nullptr) {
    return 0;
  }
  MSG mensaje;
  while (GetMessageW(&mensaje, nullptr, 0, 0) > 0) {
    DispatchMessageW(&mensaje);
  }
  DestroyWindow(ventana);
  return 0;
}

}  // namespace

VentanaOculta::VentanaOculta() {
  parado = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  const HANDLE listo = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  DWORD id = 0;
  hilo_ = CreateThread(nullptr, 0, HiloVentana, listo, 0, &id);
  idHilo_ = id;
  if (hilo_ != nullptr) {
    WaitForSingleObject(listo, INFINITE);
  }
  CloseHandle(listo);
}

VentanaOculta::~VentanaOculta() {
  SetEvent(parado);
  if (hilo_ != nullptr) {
    // Queued behind an end-of-session message being answered, if any.
    PostThreadMessageW(idHilo_, WM_QUIT, 0, 0);
    WaitForSingleObject(hilo_, INFINITE);
    CloseHandle(hilo_);
  }
  CloseHandle(parado);
  parado = nullptr;
}

}  // namespace vardel::cli::puente
