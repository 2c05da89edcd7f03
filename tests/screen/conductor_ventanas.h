#pragma once

#include <windows.h>

#include <chrono>
#include <functional>
#include <string>
#include <vector>

namespace vardel::prueba {

// Drives the settings dialog from a second thread as an operator would:
// finds windows, types into fields, presses buttons, answers message boxes.
// Every wait has a limit; a miss is written down, not thrown, so the
// dialog's thread can be let go and the test report it.
class ConductorVentanas {
 public:
  explicit ConductorVentanas(std::wstring titulo) : titulo_(std::move(titulo)) {}

  // The settings dialog, once shown; nullptr after the limit.
  HWND EsperaDialogo(std::chrono::milliseconds limite = std::chrono::seconds(15));
  // A message box: another dialog-class window with the same title;
  // nullptr after the limit.
  HWND EsperaMensaje(HWND dialogo, std::chrono::milliseconds limite = std::chrono::seconds(10));
  // Any other dialog-class window (the shell's folder browser, say).
  HWND EsperaOtroDialogo(HWND dialogo, std::chrono::milliseconds limite = std::chrono::seconds(10));
  // True once the window is gone or hidden.
  bool EsperaCierre(HWND ventana, std::chrono::milliseconds limite = std::chrono::seconds(10));

  // The texts of a window's children, in order (a message box's text is one).
  static std::vector<std::wstring> TextosHijos(HWND ventana);
  static std::wstring Texto(HWND ventana);
  // Presses a button as a click does (BM_CLICK, posted: the action it runs
  // may show a modal box of its own).
  static void Pulsa(HWND dialogo, int id);
  static void Escribe(HWND dialogo, int id, const std::wstring& texto);

  // Saves what the screen shows over the window's rectangle (nullptr: the
  // whole screen) as a 24-bit BMP.
  static bool CapturaPantalla(HWND ventana, const std::string& ruta);

  void Anota(const std::string& problema) { problemas.push_back(problema); }
  std::vector<std::string> problemas;

 private:
  std::wstring titulo_;
};

std::string Utf8(const std::wstring& texto);
std::wstring Ancho(const std::string& texto);

}  // namespace vardel::prueba
