#include "screen/win32/imagenes_botones.h"

#include "platform/win32/recursos.h"

namespace vardel::win32 {

namespace {

// A bitmap of the screen's format filled with the button face's colour, with
// one or more strokes of a thick pen over it.
template <typename Dibujo>
HBITMAP Dibuja(int ancho, int alto, COLORREF tinta, Dibujo dibujo) {
  HDC pantalla = GetDC(nullptr);
  const platform::ContextoMemoria memoria(CreateCompatibleDC(pantalla));
  platform::ObjetoGdi<HBITMAP> imagen(CreateCompatibleBitmap(pantalla, ancho, alto));
  ReleaseDC(nullptr, pantalla);
  HGDIOBJ anterior = SelectObject(memoria.get(), imagen.get());
  const RECT todo{0, 0, ancho, alto};
  FillRect(memoria.get(), &todo, GetSysColorBrush(COLOR_BTNFACE));
  {
    // Freed once it is out of the context again.
    const platform::ObjetoGdi<HPEN> pluma(CreatePen(PS_SOLID, 3, tinta));
    HGDIOBJ plumaAnterior = SelectObject(memoria.get(), pluma.get());
    dibujo(memoria.get());
    SelectObject(memoria.get(), plumaAnterior);
  }
  SelectObject(memoria.get(), anterior);
  return imagen.release();
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
