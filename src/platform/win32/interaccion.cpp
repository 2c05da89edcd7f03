#include <windows.h>

#include <shlobj.h>

#include <string>

#include "platform/ansi.h"
#include "platform/win32/recursos.h"
#include "platform/win32/utf16.h"
#include "vardel/interaccion.h"

// The Win32 rendering of the operator's dialogs. Message boxes and the
// folder browser run their own modal loops, which keep delivering the
// thread's timer messages.
namespace vardel::platform {

namespace {

class InteraccionWin32 final : public Interaccion {
 public:
  RespuestaMensaje MuestraMensaje(const std::string& texto, const std::string& titulo,
                                  BotonesMensaje botones, IconoMensaje icono) override {
    // Task-modal: a box without an owner disables none of the thread's
    // windows by itself, and the host's must wait for the operator (a
    // second click could start a second read inside the first).
    UINT estilo = MB_TASKMODAL | (botones == BotonesMensaje::SiNo ? MB_YESNO : MB_OK);
    switch (icono) {
      case IconoMensaje::Critico:
        estilo |= MB_ICONSTOP;
        break;
      case IconoMensaje::Exclamacion:
        estilo |= MB_ICONEXCLAMATION;
        break;
      case IconoMensaje::Informacion:
        estilo |= MB_ICONINFORMATION;
        break;
    }
    const int boton = MessageBoxW(nullptr, AUtf16(texto).c_str(), AUtf16(titulo).c_str(), estilo);
    if (botones == BotonesMensaje::Aceptar) {
      return RespuestaMensaje::Aceptar;
    }
    // A box that could not be shown (no desktop) answers No, the safe choice.
    return boton == IDYES ? RespuestaMensaje::Si : RespuestaMensaje::No;
  }

  std::string EligeCarpeta(const std::string& titulo) override {
    // The title stays valid until the dialog has closed.
    const std::string tituloAnsi = AAnsi(titulo);
    BROWSEINFOA peticion{};
    peticion.hwndOwner = nullptr;
    peticion.pidlRoot = nullptr;
    peticion.pszDisplayName = nullptr;
    peticion.lpszTitle = tituloAnsi.c_str();
    peticion.ulFlags = BIF_RETURNONLYFSDIRS | BIF_DONTGOBELOWDOMAIN;
    peticion.lpfn = nullptr;
    peticion.lParam = 0;
    const MemoriaCom<PIDLIST_ABSOLUTE> elemento(SHBrowseForFolderA(&peticion));
    if (!elemento) {
      return {};
    }
    char ruta[260] = {};
    const BOOL hecho = SHGetPathFromIDListA(elemento.get(), ruta);
    return hecho ? DesdeAnsi(std::string_view(ruta, strnlen(ruta, sizeof ruta))) : std::string();
  }
};

}  // namespace

Interaccion& v1::InteraccionPlataforma() {
  static InteraccionWin32 win32;
  return win32;
}

}  // namespace vardel::platform
