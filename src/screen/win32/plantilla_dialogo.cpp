#include "screen/win32/plantilla_dialogo.h"

#include "screen/textos_configuracion.h"
#include "screen/win32/identificadores.h"

namespace vardel::win32 {

namespace {

// Where each container's client origin lies in the window, in twips:
// positions inside a frame are relative to the frame.
struct Origen {
  int x, y;
};
constexpr Origen kVentana{0, 0};
constexpr Origen kFrame2{120, 240};
constexpr Origen kFrame5{kFrame2.x + 360, kFrame2.y + 240};
constexpr Origen kFrame6{120, 2640};

ControlDialogo En(Origen o, int id, TipoControl tipo, int izquierda, int arriba, int ancho,
                  int alto, const char* rotulo) {
  return {id, tipo, o.x + izquierda, o.y + arriba, ancho, alto, rotulo};
}

}  // namespace

const std::vector<ControlDialogo>& ControlesDialogo() {
  using T = TipoControl;
  static const std::vector<ControlDialogo> controles = {
      En(kVentana, kIdFrame2, T::Marco, 120, 240, 3405, 2085, kMarcoImagenes),
      En(kFrame2, kIdFrame5, T::Marco, 360, 240, 2730, 1575, kMarcoAnversoReverso),
      En(kVentana, kIdFrame6, T::Marco, 120, 2640, 6285, 1815, kMarcoAuxiliares),
      En(kFrame5, kIdLabel9, T::Etiqueta, 360, 420, 1185, 195, kEtiquetaResolucion),
      En(kFrame5, kIdLabel10, T::Etiqueta, 360, 900, 360, 195, kEtiquetaTipo),
      En(kFrame6, kIdLabel20, T::Etiqueta, 210, 465, 1260, 195, kEtiquetaModoLectura),
      En(kFrame6, kIdLabel26, T::Etiqueta, 210, 900, 1545, 195, kEtiquetaCadenaImpre),
      En(kFrame6, kIdLabel22, T::Etiqueta, 210, 1350, 1455, 195, kEtiquetaDirecImagenes),
      En(kFrame5, kIdTxtResolucionAR, T::TextoSoloLectura, 1605, 360, 735, 315, ""),
      En(kFrame5, kIdTxtTipoAR, T::TextoSoloLectura, 1005, 840, 1335, 315, ""),
      En(kFrame6, kIdTxtModoLectura, T::TextoSoloLectura, 1890, 405, 1455, 315, ""),
      En(kFrame6, kIdTxtCadenaImpre, T::Texto, 1890, 840, 3855, 315, ""),
      En(kFrame6, kIdTxtDirecImagenes, T::Texto, 1890, 1320, 3885, 315, ""),
      En(kFrame6, kIdCmdSelDirectorio, T::Boton, 5800, 1320, 300, 315, kBotonSelDirectorio),
      En(kVentana, kIdCmdGuardar, T::BotonConImagen, 1920, 4635, 1215, 375, kBotonAceptar),
      En(kVentana, kIdCmdOK, T::BotonConImagen, 3240, 4635, 1215, 375, kBotonCancelar),
      En(kFrame5, kIdCboResolucionAR, T::Lista, 1605, 360, 735, 315, ""),
      En(kFrame5, kIdCboTipoAR, T::Lista, 1005, 840, 1335, 315, ""),
      En(kFrame6, kIdCboModoLectura, T::Lista, 1890, 405, 1455, 315, ""),
  };
  return controles;
}

const DLGTEMPLATE* PlantillaVacia() {
  // The header, then three empty WORD arrays: no menu, the standard dialog
  // class, no title.
  struct Plantilla {
    DLGTEMPLATE cabecera;
    WORD menu, clase, titulo;
  };
  alignas(DWORD) static const Plantilla plantilla = {
      {static_cast<DWORD>(WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME), 0, 0, 0, 0, 10, 10},
      0,
      0,
      0};
  return &plantilla.cabecera;
}

int APixeles(int twips, int puntosPorPulgada) {
  return MulDiv(twips, puntosPorPulgada, 1440);
}

}  // namespace vardel::win32
