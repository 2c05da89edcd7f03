#pragma once

#include <string>

#include "vardel/export.h"

namespace vardel::platform {
inline namespace v1 {

enum class BotonesMensaje { Aceptar, SiNo };
enum class IconoMensaje { Critico, Exclamacion, Informacion };
enum class RespuestaMensaje { Aceptar, Si, No };

// What the component asks of the operator. The platform's own rendering
// (Win32 on Windows, the terminal on POSIX) unless a test or a host puts
// another in its place. Every wait for the operator keeps the thread's
// message loop running, so timer ticks go on.
class VARDEL_API Interaccion {
 public:
  virtual ~Interaccion() = default;

  // A modal message box; returns the button pressed.
  virtual RespuestaMensaje MuestraMensaje(const std::string& texto, const std::string& titulo,
                                          BotonesMensaje botones, IconoMensaje icono) = 0;

  // The folder browser: the folder's path, or "" when the operator cancels.
  virtual std::string EligeCarpeta(const std::string& titulo) = 0;
};

// The interaction in force on this thread.
VARDEL_API Interaccion& InteraccionActual();

// Puts another interaction in force on this thread; nullptr restores the
// platform's own.
VARDEL_API void SustituyeInteraccion(Interaccion* sustituta);

// The platform's own rendering.
VARDEL_API Interaccion& InteraccionPlataforma();

}  // namespace v1
}  // namespace vardel::platform
