#pragma once

#include <windows.h>

#include <vector>

namespace vardel::win32 {

// The settings window's size: its client area, in twips.
inline constexpr int kAnchoClienteTwips = 6570;
inline constexpr int kAltoClienteTwips = 5160;

enum class TipoControl { Marco, Etiqueta, Texto, TextoSoloLectura, Boton, BotonConImagen, Lista };

// One control of the settings window: where it sits (twips, relative to the
// window's client area), what it is and what it says (UTF-8).
struct ControlDialogo {
  int id;
  TipoControl tipo;
  int izquierda, arriba, ancho, alto;
  const char* rotulo;
};

// Every control, in creation order: the frames first so they paint beneath
// what they hold, then the labels, then the controls that take the focus in
// their tab order, then the hidden lists.
const std::vector<ControlDialogo>& ControlesDialogo();

// An empty dialog template (caption, size and controls are set when the
// window is created), kept DWORD-aligned as the dialog manager needs.
const DLGTEMPLATE* PlantillaVacia();

// Twips to pixels at the screen's resolution.
int APixeles(int twips, int puntosPorPulgada);

}  // namespace vardel::win32
