#include "screen/win32/imagenes_botones.h"

namespace vardel::win32 {

namespace {

// A bitmap of the screen's format filled with the button face's colour, with
// one or more strokes of a thick pen over it.
template <typename Dibujo>
HBITMAP Dibuja(int ancho, int alto, COLORREF tinta, Dibujo dibujo) {
  HDC pantalla = GetDC(nullptr);
  HDC memoria = CreateCompatibleDC(pantalla);
  HBITMAP imagen = CreateCompatibleBitmap(pantalla, ancho, alto);
  ReleaseDC(nullptr, pantalla);
  HGDIOBJ anterior = SelectObject(memoria, imagen);
  const RECT todo{0, 0, ancho, alto};
  FillRect(memoria, &todo, GetSysColorBrush(COLOR_BTNFACE));
  HPEN pluma = CreatePen(PS_SOLID, 3, tinta);
  HGDIOBJ plumaAnterior = SelectObject(memoria, pluma);
  dibujo(memoria);
  SelectObject(memoria, plumaAnterior);
  DeleteObject(pluma);
  SelectObject(memoria, anterior);
  DeleteDC(memoria);
  return imagen;
}

}  // namespace

HBITMAP CreaImagenAceptar() {
  return Dibuja(18, 15, RGB(0, 128, 0), [](HDC dc) {
    const POINT trazo[] = {{2, 8}, {6, 12}, {15, 2}};
    Polyline(dc, trazo, 3);
  });
}

HBITMAP CreaImagenCancelar() {
  return Dibuja(20, 18, RGB(192, 0, 0), [](HDC dc) {
    MoveToEx(dc, 4, 3, nullptr);
    LineTo(dc, 16, 15);
    MoveToEx(dc, 16, 3, nullptr);
    LineTo(dc, 4, 15);
  });
}

}  // namespace vardel::win32
