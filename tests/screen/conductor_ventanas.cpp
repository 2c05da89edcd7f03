#include "conductor_ventanas.h"

#include <fstream>
#include <thread>

namespace vardel::prueba {

namespace {

using Reloj = std::chrono::steady_clock;

struct Busqueda {
  const std::wstring* titulo;
  HWND excepto;
  HWND hallada;
};

BOOL CALLBACK MiraVentana(HWND ventana, LPARAM l) {
  auto* busqueda = reinterpret_cast<Busqueda*>(l);
  wchar_t clase[64] = {};
  GetClassNameW(ventana, clase, 64);
  if (ventana == busqueda->excepto || std::wstring(clase) != L"#32770" ||
      !IsWindowVisible(ventana)) {
    return TRUE;
  }
  if (busqueda->titulo != nullptr && ConductorVentanas::Texto(ventana) != *busqueda->titulo) {
    return TRUE;
  }
  busqueda->hallada = ventana;
  return FALSE;
}

HWND Busca(const std::wstring* titulo, HWND excepto) {
  Busqueda busqueda{titulo, excepto, nullptr};
  EnumWindows(&MiraVentana, reinterpret_cast<LPARAM>(&busqueda));
  return busqueda.hallada;
}

template <typename Condicion>
bool Espera(std::chrono::milliseconds limite, Condicion condicion) {
  const auto fin = Reloj::now() + limite;
  while (Reloj::now() < fin) {
    if (condicion()) {
      return true;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  return condicion();
}

BOOL CALLBACK AnotaHijo(HWND hijo, LPARAM l) {
  reinterpret_cast<std::vector<std::wstring>*>(l)->push_back(ConductorVentanas::Texto(hijo));
  return TRUE;
}

}  // namespace

std::string Utf8(const std::wstring& texto) {
  const int largo = WideCharToMultiByte(CP_UTF8, 0, texto.data(), static_cast<int>(texto.size()),
                                        nullptr, 0, nullptr, nullptr);
  std::string salida(static_cast<std::size_t>(largo), '\0');
  WideCharToMultiByte(CP_UTF8, 0, texto.data(), static_cast<int>(texto.size()), salida.data(),
                      largo, nullptr, nullptr);
  return salida;
}

std::wstring Ancho(const std::string& texto) {
  const int largo =
      MultiByteToWideChar(CP_UTF8, 0, texto.data(), static_cast<int>(texto.size()), nullptr, 0);
  std::wstring salida(static_cast<std::size_t>(largo), L'\0');
  MultiByteToWideChar(CP_UTF8, 0, texto.data(), static_cast<int>(texto.size()), salida.data(),
                      largo);
  return salida;
}

HWND ConductorVentanas::EsperaDialogo(std::chrono::milliseconds limite) {
  HWND hallada = nullptr;
  if (!Espera(limite, [&] { return (hallada = Busca(&titulo_, nullptr)) != nullptr; })) {
    Anota("the settings dialog did not appear");
  }
  return hallada;
}

HWND ConductorVentanas::EsperaMensaje(HWND dialogo, std::chrono::milliseconds limite) {
  HWND hallada = nullptr;
  if (!Espera(limite, [&] { return (hallada = Busca(&titulo_, dialogo)) != nullptr; })) {
    Anota("no message box appeared");
  }
  return hallada;
}

HWND ConductorVentanas::EsperaOtroDialogo(HWND dialogo, std::chrono::milliseconds limite) {
  HWND hallada = nullptr;
  if (!Espera(limite, [&] { return (hallada = Busca(nullptr, dialogo)) != nullptr; })) {
    Anota("no other dialog appeared");
  }
  return hallada;
}

bool ConductorVentanas::EsperaCierre(HWND ventana, std::chrono::milliseconds limite) {
  return Espera(limite, [&] { return !IsWindow(ventana) || !IsWindowVisible(ventana); });
}

std::vector<std::wstring> ConductorVentanas::TextosHijos(HWND ventana) {
  std::vector<std::wstring> textos;
  EnumChildWindows(ventana, &AnotaHijo, reinterpret_cast<LPARAM>(&textos));
  return textos;
}

std::wstring ConductorVentanas::Texto(HWND ventana) {
  wchar_t texto[1024] = {};
  // Across threads WM_GETTEXT is what reaches another thread's controls.
  SendMessageTimeoutW(ventana, WM_GETTEXT, 1024, reinterpret_cast<LPARAM>(texto), SMTO_BLOCK, 2000,
                      nullptr);
  return texto;
}

void ConductorVentanas::Pulsa(HWND dialogo, int id) {
  PostMessageW(GetDlgItem(dialogo, id), BM_CLICK, 0, 0);
}

void ConductorVentanas::Escribe(HWND dialogo, int id, const std::wstring& texto) {
  SendMessageW(GetDlgItem(dialogo, id), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(texto.c_str()));
}

bool ConductorVentanas::CapturaPantalla(HWND ventana, const std::string& ruta) {
  RECT caja{};
  if (ventana != nullptr) {
    GetWindowRect(ventana, &caja);
  } else {
    caja = {0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
  }
  const int ancho = caja.right - caja.left;
  const int alto = caja.bottom - caja.top;
  if (ancho <= 0 || alto <= 0) {
    return false;
  }
  HDC pantalla = GetDC(nullptr);
  HDC memoria = CreateCompatibleDC(pantalla);
  HBITMAP imagen = CreateCompatibleBitmap(pantalla, ancho, alto);
  HGDIOBJ anterior = SelectObject(memoria, imagen);
  BitBlt(memoria, 0, 0, ancho, alto, pantalla, caja.left, caja.top, SRCCOPY);
  SelectObject(memoria, anterior);

  BITMAPINFOHEADER cabecera{};
  cabecera.biSize = sizeof cabecera;
  cabecera.biWidth = ancho;
  cabecera.biHeight = alto;  // bottom-up, as BMP files are
  cabecera.biPlanes = 1;
  cabecera.biBitCount = 24;
  cabecera.biCompression = BI_RGB;
  const int bytesFila = ((ancho * 3) + 3) & ~3;
  std::vector<char> pixeles(static_cast<std::size_t>(bytesFila) * static_cast<std::size_t>(alto));
  GetDIBits(memoria, imagen, 0, static_cast<UINT>(alto), pixeles.data(),
            reinterpret_cast<BITMAPINFO*>(&cabecera), DIB_RGB_COLORS);
  DeleteObject(imagen);
  DeleteDC(memoria);
  ReleaseDC(nullptr, pantalla);

  BITMAPFILEHEADER archivo{};
  archivo.bfType = 0x4D42;  // "BM"
  archivo.bfOffBits = sizeof archivo + sizeof cabecera;
  archivo.bfSize = archivo.bfOffBits + static_cast<DWORD>(pixeles.size());
  std::ofstream salida(ruta, std::ios::binary);
  salida.write(reinterpret_cast<const char*>(&archivo), sizeof archivo);
  salida.write(reinterpret_cast<const char*>(&cabecera), sizeof cabecera);
  salida.write(pixeles.data(), static_cast<std::streamsize>(pixeles.size()));
  return static_cast<bool>(salida);
}

}  // namespace vardel::prueba
