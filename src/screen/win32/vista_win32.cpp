// The settings screen on Windows: a modal dialog with no owner, its
// controls placed from their twips at the screen's resolution. The dialog's
// modal loop also delivers the thread's timer messages, so the presence
// watch goes on while it is shown.
#include <windows.h>
// After windows.h, which it needs.
#include <commctrl.h>

#include <string>
#include <vector>

#include "platform/win32/componente.h"
#include "platform/win32/recursos.h"
#include "platform/win32/utf16.h"
#include "screen/textos_configuracion.h"
#include "screen/vista_configuracion.h"
#include "screen/win32/identificadores.h"
#include "screen/win32/imagenes_botones.h"
#include "screen/win32/plantilla_dialogo.h"
#include "settings/configuracion.h"

namespace vardel::win32 {

namespace {

std::string Utf8(const std::wstring& ancho) {
  const int largo = WideCharToMultiByte(CP_UTF8, 0, ancho.data(), static_cast<int>(ancho.size()),
                                        nullptr, 0, nullptr, nullptr);
  std::string salida(static_cast<std::size_t>(largo), '\0');
  WideCharToMultiByte(CP_UTF8, 0, ancho.data(), static_cast<int>(ancho.size()), salida.data(),
                      largo, nullptr, nullptr);
  return salida;
}

std::wstring TextoDe(HWND control) {
  std::wstring texto(static_cast<std::size_t>(GetWindowTextLengthW(control)) + 1, L'\0');
  const int copiados = GetWindowTextW(control, texto.data(), static_cast<int>(texto.size()));
  texto.resize(static_cast<std::size_t>(copiados > 0 ? copiados : 0));
  return texto;
}

int IdDe(Campo campo) {
  switch (campo) {
    case Campo::ResolucionAR:
      return kIdTxtResolucionAR;
    case Campo::TipoAR:
      return kIdTxtTipoAR;
    case Campo::ModoLectura:
      return kIdTxtModoLectura;
    case Campo::CadenaImpre:
      return kIdTxtCadenaImpre;
    case Campo::DirecImagenes:
      return kIdTxtDirecImagenes;
  }
  return 0;
}

constexpr Campo kCampos[] = {Campo::ResolucionAR, Campo::TipoAR, Campo::ModoLectura,
                             Campo::CadenaImpre, Campo::DirecImagenes};

bool EsCampo(int id, Campo& campo) {
  for (const Campo c : kCampos) {
    if (IdDe(c) == id) {
      campo = c;
      return true;
    }
  }
  return false;
}

bool EsSoloLectura(int id) {
  return id == kIdTxtResolucionAR || id == kIdTxtTipoAR || id == kIdTxtModoLectura;
}

using platform::ModuloPropio;

class VistaWin32 final : public VistaConfiguracion {
 public:
  ~VistaWin32() override { LiberaRecursos(); }

  void MuestraModal(OyenteVista& oyente) override {
    oyente_ = &oyente;
    // With no owner the dialog manager disables nothing: the host's windows
    // on this thread are disabled by hand, so they take no input meanwhile.
    const std::vector<HWND> deshabilitadas = DeshabilitaVentanasDelHilo();
    // -1 at once when there is no desktop to show it on: nothing was shown.
    DialogBoxIndirectParamW(ModuloPropio(), PlantillaVacia(), nullptr, &Procedimiento,
                            reinterpret_cast<LPARAM>(this));
    for (HWND ventana : deshabilitadas) {
      if (IsWindow(ventana)) {
        EnableWindow(ventana, TRUE);
      }
    }
    ventana_ = nullptr;
    oyente_ = nullptr;
  }

  void Oculta() override {
    if (ventana_ != nullptr) {
      EndDialog(ventana_, 0);
    }
  }

  void PonTexto(Campo campo, const std::string& texto) override {
    if (ventana_ != nullptr) {
      PonTextoControl(IdDe(campo), texto);
    }
  }

  void SenalaCambios() override {
    if (ventana_ != nullptr) {
      MuestraCambiosPendientes();
    }
  }

 private:
  static BOOL CALLBACK AnotaHabilitada(HWND ventana, LPARAM l) {
    if (IsWindowVisible(ventana) && IsWindowEnabled(ventana)) {
      reinterpret_cast<std::vector<HWND>*>(l)->push_back(ventana);
    }
    return TRUE;
  }

  static std::vector<HWND> DeshabilitaVentanasDelHilo() {
    std::vector<HWND> ventanas;
    EnumThreadWindows(GetCurrentThreadId(), &AnotaHabilitada, reinterpret_cast<LPARAM>(&ventanas));
    for (HWND ventana : ventanas) {
      EnableWindow(ventana, FALSE);
    }
    return ventanas;
  }

  static INT_PTR CALLBACK Procedimiento(HWND ventana, UINT mensaje, WPARAM w, LPARAM l) {
    if (mensaje == WM_INITDIALOG) {
      SetWindowLongPtrW(ventana, DWLP_USER, l);
    }
    auto* vista = reinterpret_cast<VistaWin32*>(GetWindowLongPtrW(ventana, DWLP_USER));
    if (vista == nullptr) {
      return FALSE;
    }
    try {
      return vista->Atiende(ventana, mensaje, w, l);
    } catch (...) {
      // Nothing may unwind through the dialog manager.
      return FALSE;
    }
  }

  INT_PTR Atiende(HWND ventana, UINT mensaje, WPARAM w, LPARAM l) {
    switch (mensaje) {
      case WM_INITDIALOG:
        ventana_ = ventana;
        Construye();
        return TRUE;
      case WM_CTLCOLORSTATIC:
      case WM_CTLCOLOREDIT:
        // Read-only fields are grey: the system's scroll-bar colour. (Windows
        // asks for a read-only edit's colours with the first, Wine with the
        // second.)
        if (EsSoloLectura(GetDlgCtrlID(reinterpret_cast<HWND>(l)))) {
          SetBkColor(reinterpret_cast<HDC>(w), GetSysColor(COLOR_SCROLLBAR));
          return reinterpret_cast<INT_PTR>(GetSysColorBrush(COLOR_SCROLLBAR));
        }
        return FALSE;
      case WM_DRAWITEM:
        DibujaBoton(*reinterpret_cast<const DRAWITEMSTRUCT*>(l));
        return TRUE;
      case WM_COMMAND:
        Orden(LOWORD(w), HIWORD(w));
        return TRUE;
      case WM_CLOSE:
        // The close box and Alt+F4 ask as Cancelar does.
        Accion([this] { oyente_->CierrePedido(); });
        return TRUE;
      case WM_DESTROY:
        ventana_ = nullptr;
        return FALSE;
      default:
        return FALSE;
    }
  }

  void Orden(int id, int notificacion) {
    Campo campo{};
    if (notificacion == EN_CHANGE && EsCampo(id, campo)) {
      if (!poniendo_) {
        oyente_->TextoCambiado(campo, Utf8(TextoDe(GetDlgItem(ventana_, id))));
      }
      return;
    }
    if (notificacion == CBN_SELCHANGE) {
      if (id == kIdCboResolucionAR) {
        oyente_->ListaPulsada(Lista::ResolucionAR);
      } else if (id == kIdCboTipoAR) {
        oyente_->ListaPulsada(Lista::TipoAR);
      } else if (id == kIdCboModoLectura) {
        oyente_->ListaPulsada(Lista::ModoLectura);
      }
      return;
    }
    if (notificacion != BN_CLICKED) {
      return;
    }
    switch (id) {
      case kIdCmdSelDirectorio:
        Accion([this] { oyente_->SelDirectorioPulsado(); });
        break;
      case kIdCmdGuardar:
        Accion([this] { oyente_->GuardarPulsado(); });
        break;
      case kIdCmdOK:
        Accion([this] { oyente_->CancelarPulsado(); });
        break;
      case IDCANCEL:  // Escape
        Accion([this] { oyente_->CierrePedido(); });
        break;
      default:
        break;
    }
  }

  // One operator action. The message boxes and the folder browser it may
  // show have no owner, so the screen is disabled meanwhile: a second click
  // cannot start the same action inside the first.
  template <typename F>
  void Accion(F accion) {
    if (ocupada_) {
      return;
    }
    ocupada_ = true;
    HWND ventana = ventana_;
    EnableWindow(ventana, FALSE);
    accion();
    ocupada_ = false;
    if (IsWindow(ventana)) {
      EnableWindow(ventana, TRUE);
      if (ventana_ != nullptr) {
        SetForegroundWindow(ventana);
      }
    }
  }

  void Construye() {
    HDC pantalla = GetDC(nullptr);
    const int ppp = GetDeviceCaps(pantalla, LOGPIXELSY);
    ReleaseDC(nullptr, pantalla);
    const int px = ppp;  // square pixels

    LiberaRecursos();
    // 8.25-point "MS Sans Serif", regular for the controls, bold for the
    // frames.
    const int altura = -MulDiv(825, ppp, 7200);
    fuente_.reset(CreateFontW(altura, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET,
                              OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                              DEFAULT_PITCH | FF_SWISS, L"MS Sans Serif"));
    fuenteNegrita_.reset(CreateFontW(altura, 0, 0, 0, FW_BOLD, FALSE, FALSE, FALSE, DEFAULT_CHARSET,
                                     OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                                     DEFAULT_PITCH | FF_SWISS, L"MS Sans Serif"));
    imagenAceptar_.reset(CreaImagenAceptar());
    imagenCancelar_.reset(CreaImagenCancelar());

    SetWindowTextW(ventana_, platform::AUtf16(kTituloPantalla).c_str());
    Dimensiona(px);

    for (const ControlDialogo& control : ControlesDialogo()) {
      CreaControl(control, px);
    }
    for (const Campo campo : kCampos) {
      PonTextoControl(IdDe(campo), oyente_->Texto(campo));
    }
    // The operator may type at most 3 characters in the two short fields.
    SendDlgItemMessageW(ventana_, kIdTxtResolucionAR, EM_SETLIMITTEXT, 3, 0);
    SendDlgItemMessageW(ventana_, kIdTxtTipoAR, EM_SETLIMITTEXT, 3, 0);
    // A longer folder would be read back cut: the save refuses it anyway.
    SendDlgItemMessageW(ventana_, kIdTxtDirecImagenes, EM_SETLIMITTEXT,
                        Configuracion::kLargoMaximoValor, 0);
    LlenaLista(kIdCboResolucionAR, kElementosResolucion);
    LlenaLista(kIdCboTipoAR, kElementosTipo);
    LlenaLista(kIdCboModoLectura, kElementosModoLectura);
    PonAyuda(kIdCboModoLectura, kAyudaModosLectura);
    if (oyente_->CambiosSenalados()) {
      MuestraCambiosPendientes();
    }
  }

  // Client area of the fixed size, centred on the work area.
  void Dimensiona(int ppp) {
    const DWORD estilo = static_cast<DWORD>(GetWindowLongW(ventana_, GWL_STYLE));
    const DWORD estiloExtendido = static_cast<DWORD>(GetWindowLongW(ventana_, GWL_EXSTYLE));
    RECT marco{0, 0, APixeles(kAnchoClienteTwips, ppp), APixeles(kAltoClienteTwips, ppp)};
    AdjustWindowRectEx(&marco, estilo, FALSE, estiloExtendido);
    const int ancho = marco.right - marco.left;
    const int alto = marco.bottom - marco.top;
    RECT trabajo{};
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &trabajo, 0);
    const int x = trabajo.left + (trabajo.right - trabajo.left - ancho) / 2;
    const int y = trabajo.top + (trabajo.bottom - trabajo.top - alto) / 2;
    SetWindowPos(ventana_, nullptr, x, y, ancho, alto, SWP_NOZORDER | SWP_NOACTIVATE);
  }

  void CreaControl(const ControlDialogo& control, int ppp) {
    const wchar_t* clase = L"BUTTON";
    DWORD estilo = WS_CHILD | WS_VISIBLE;
    DWORD estiloExtendido = 0;
    HFONT fuente = fuente_.get();
    switch (control.tipo) {
      case TipoControl::Marco:
        estilo |= BS_GROUPBOX;
        fuente = fuenteNegrita_.get();
        break;
      case TipoControl::Etiqueta:
        clase = L"STATIC";
        estilo |= SS_LEFTNOWORDWRAP | SS_NOPREFIX;
        break;
      case TipoControl::Texto:
        clase = L"EDIT";
        estilo |= WS_TABSTOP | ES_AUTOHSCROLL | ES_LEFT;
        estiloExtendido = WS_EX_CLIENTEDGE;
        break;
      case TipoControl::TextoSoloLectura:
        clase = L"EDIT";
        estilo |= WS_TABSTOP | ES_AUTOHSCROLL | ES_LEFT | ES_READONLY;
        estiloExtendido = WS_EX_CLIENTEDGE;
        break;
      case TipoControl::Boton:
        estilo |= WS_TABSTOP | BS_PUSHBUTTON;
        break;
      case TipoControl::BotonConImagen:
        estilo |= WS_TABSTOP | BS_OWNERDRAW;
        break;
      case TipoControl::Lista:
        // Defined but never shown: they take no part in loading or saving.
        clase = L"COMBOBOX";
        estilo = WS_CHILD | WS_TABSTOP | WS_VSCROLL | CBS_DROPDOWNLIST;
        break;
    }
    const std::wstring rotulo = platform::AUtf16(control.rotulo);
    // A list's height includes its dropped-down part.
    int ancho = APixeles(control.ancho, ppp);
    int alto = APixeles(control.tipo == TipoControl::Lista ? control.alto * 6 : control.alto, ppp);
    if (control.tipo == TipoControl::Etiqueta) {
      // Labels size themselves to their caption in the font actually used.
      const SIZE medida = MideTexto(rotulo, fuente);
      ancho = medida.cx;
      alto = medida.cy;
    }
    HWND hijo = CreateWindowExW(
        estiloExtendido, clase, rotulo.c_str(), estilo, APixeles(control.izquierda, ppp),
        APixeles(control.arriba, ppp), ancho, alto, ventana_,
        reinterpret_cast<HMENU>(static_cast<INT_PTR>(control.id)), ModuloPropio(), nullptr);
    SendMessageW(hijo, WM_SETFONT, reinterpret_cast<WPARAM>(fuente), FALSE);
  }

  SIZE MideTexto(const std::wstring& texto, HFONT fuente) const {
    HDC dc = GetDC(ventana_);
    HGDIOBJ anterior = SelectObject(dc, fuente);
    SIZE medida{0, 0};
    GetTextExtentPoint32W(dc, texto.c_str(), static_cast<int>(texto.size()), &medida);
    SelectObject(dc, anterior);
    ReleaseDC(ventana_, dc);
    return medida;
  }

  template <std::size_t N>
  void LlenaLista(int id, const char* const (&elementos)[N]) {
    for (const char* elemento : elementos) {
      SendDlgItemMessageW(ventana_, id, CB_ADDSTRING, 0,
                          reinterpret_cast<LPARAM>(platform::AUtf16(elemento).c_str()));
    }
  }

  void PonAyuda(int id, const char* texto) {
    INITCOMMONCONTROLSEX comunes{sizeof comunes, ICC_WIN95_CLASSES};
    InitCommonControlsEx(&comunes);
    HWND ayuda = CreateWindowExW(0, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_ALWAYSTIP,
                                 CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT,
                                 ventana_, nullptr, ModuloPropio(), nullptr);
    if (ayuda == nullptr) {
      return;
    }
    std::wstring ancho = platform::AUtf16(texto);
    TOOLINFOW herramienta{};
    herramienta.cbSize = TTTOOLINFOW_V1_SIZE;
    herramienta.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
    herramienta.hwnd = ventana_;
    herramienta.uId = reinterpret_cast<UINT_PTR>(GetDlgItem(ventana_, id));
    herramienta.lpszText = ancho.data();
    SendMessageW(ayuda, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&herramienta));
  }

  void PonTextoControl(int id, const std::string& texto) {
    // A text put by the logic is no operator's edit.
    poniendo_ = true;
    SetDlgItemTextW(ventana_, id, platform::AUtf16(texto).c_str());
    poniendo_ = false;
  }

  // Aceptar becomes the default button, drawn with a bold caption and the
  // default frame; Enter presses it.
  void MuestraCambiosPendientes() {
    SendMessageW(ventana_, DM_SETDEFID, kIdCmdGuardar, 0);
    InvalidateRect(GetDlgItem(ventana_, kIdCmdGuardar), nullptr, TRUE);
  }

  void DibujaBoton(const DRAWITEMSTRUCT& boton) {
    const bool aceptar = boton.CtlID == static_cast<UINT>(kIdCmdGuardar);
    const bool resaltado = aceptar && oyente_ != nullptr && oyente_->CambiosSenalados();
    const bool pulsado = (boton.itemState & ODS_SELECTED) != 0;
    HDC dc = boton.hDC;
    RECT caja = boton.rcItem;
    if (resaltado) {
      FrameRect(dc, &caja, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
      InflateRect(&caja, -1, -1);
    }
    DrawFrameControl(dc, &caja, DFC_BUTTON, DFCS_BUTTONPUSH | (pulsado ? DFCS_PUSHED : 0));

    const std::wstring rotulo = platform::AUtf16(aceptar ? kBotonAceptar : kBotonCancelar);
    HBITMAP imagen = aceptar ? imagenAceptar_.get() : imagenCancelar_.get();
    const SIZE tamanoImagen = aceptar ? SIZE{18, 15} : SIZE{20, 18};
    HGDIOBJ fuenteAnterior = SelectObject(dc, resaltado ? fuenteNegrita_.get() : fuente_.get());
    RECT medida{0, 0, 0, 0};
    DrawTextW(dc, rotulo.c_str(), -1, &medida, DT_CALCRECT | DT_SINGLELINE);
    constexpr int kSeparacion = 4;
    const int total = tamanoImagen.cx + kSeparacion + (medida.right - medida.left);
    const int desplazamiento = pulsado ? 1 : 0;
    int x = caja.left + ((caja.right - caja.left) - total) / 2 + desplazamiento;
    const int centro = (caja.top + caja.bottom) / 2 + desplazamiento;

    HDC memoria = CreateCompatibleDC(dc);
    HGDIOBJ anterior = SelectObject(memoria, imagen);
    BitBlt(dc, x, centro - tamanoImagen.cy / 2, tamanoImagen.cx, tamanoImagen.cy, memoria, 0, 0,
           SRCCOPY);
    SelectObject(memoria, anterior);
    DeleteDC(memoria);

    x += tamanoImagen.cx + kSeparacion;
    RECT texto{x, caja.top + desplazamiento, caja.right, caja.bottom + desplazamiento};
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(
        dc, GetSysColor((boton.itemState & ODS_DISABLED) != 0 ? COLOR_GRAYTEXT : COLOR_BTNTEXT));
    DrawTextW(dc, rotulo.c_str(), -1, &texto, DT_SINGLELINE | DT_VCENTER | DT_LEFT);
    SelectObject(dc, fuenteAnterior);

    if ((boton.itemState & ODS_FOCUS) != 0) {
      RECT foco = caja;
      InflateRect(&foco, -3, -3);
      DrawFocusRect(dc, &foco);
    }
  }

  void LiberaRecursos() {
    fuente_.reset();
    fuenteNegrita_.reset();
    imagenAceptar_.reset();
    imagenCancelar_.reset();
  }

  OyenteVista* oyente_ = nullptr;
  HWND ventana_ = nullptr;
  bool poniendo_ = false;
  bool ocupada_ = false;
  platform::ObjetoGdi<HFONT> fuente_;
  platform::ObjetoGdi<HFONT> fuenteNegrita_;
  platform::ObjetoGdi<HBITMAP> imagenAceptar_;
  platform::ObjetoGdi<HBITMAP> imagenCancelar_;
};

}  // namespace

}  // namespace vardel::win32

namespace vardel {

std::unique_ptr<VistaConfiguracion> CreaVistaPlataforma() {
  return std::make_unique<win32::VistaWin32>();
}

}  // namespace vardel
