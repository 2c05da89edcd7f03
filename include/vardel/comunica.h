#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "vardel/boolean.h"
#include "vardel/cheque.h"
#include "vardel/collection.h"
#include "vardel/export.h"
#include "vardel/variant.h"

namespace vardel {
inline namespace v1 {

// The device the presence check (LectoraONOFF, LectoraActiva) looks for,
// whatever "Name" in Config.ini says; a read opens "Name".
inline constexpr const char* kDispositivoVigilado = "EXCELLA.EXC001";

// What a host hears from a Comunica: the three events, raised synchronously
// on the thread that created the object.
class VARDEL_API OyenteComunica {
 public:
  virtual ~OyenteComunica() = default;
  // One processed document: its data, the no-data collection, or null.
  // Every key of a read cheque is there: Importe is a Double, or the String
  // "" when the line has no amount; FechaVto a Date or "".
  virtual void LectoraDatos(const std::shared_ptr<Collection>& Dato) = 0;
  virtual void LectoraError(std::int32_t Error, const std::string& Descripcion) = 0;
  // The reader has become connected (True) or has gone away (False).
  virtual void LectoraActiva(Boolean OnOff) = 0;
  // Image `imagen` (1 front, 2 back, 3 second front) of the document being
  // read is stored, whole and flushed, at `ruta`; the document's
  // LectoraDatos follows. Only C++ hosts hear this: the COM class has no
  // such event.
  virtual void ImagenGuardada(std::int32_t imagen, const std::string& ruta) {
    (void)imagen;
    (void)ruta;
  }

  // The C++ interface's own, as ImagenGuardada; the defaults change
  // nothing.

  // Image `imagen` of the document being read was not stored: `ruta` is
  // the path it would have taken ("" when none can be named), `numero` the
  // fetch's result or the run-time error that stopped the write. The
  // cheque must be fed again. The document's LectoraDatos follows, unless
  // the error ends the read (Terminate then throws it).
  virtual void ImagenNoGuardada(std::int32_t imagen, const std::string& ruta, std::int32_t numero) {
    (void)imagen;
    (void)ruta;
    (void)numero;
  }
  // A read opened the reader under "Name" before its first capture:
  // `resultado` is the open call's result, 0 when it opened.
  virtual void LectoraAbierta(std::int32_t resultado) { (void)resultado; }
  // A capture call of a read failed with `resultado` and fed no document
  // the host will hear of. `otroDocumento` is whether the reader still
  // reports one in the tray; without it the read ends (an empty tray ends
  // every read this way).
  virtual void CapturaFallida(std::int32_t resultado, bool otroDocumento) {
    (void)resultado;
    (void)otroDocumento;
  }
  // Asked before each capture call of a read: true ends the read there,
  // after the document already fed has had its images and its
  // LectoraDatos, and before another is fed. The reader is closed as at
  // the end of any read.
  virtual bool DetenerLectura() { return false; }
};

// The component's one public class. Creation opens the reader and starts the
// presence watch; Terminate reads every cheque in the tray. Errors reach the
// caller as ErrorEjecucion.
class VARDEL_API Comunica {
 public:
  // The listener may be null and set later; it must outlive the object or be
  // replaced before it goes.
  explicit Comunica(OyenteComunica* oyente = nullptr);
  ~Comunica();
  Comunica(const Comunica&) = delete;
  Comunica& operator=(const Comunica&) = delete;

  void EstableceOyente(OyenteComunica* oyente);
  // The listener that hears each document whole (null for none), beside
  // the one above; the same lifetime rule applies.
  void EstableceOyenteCheques(OyenteCheques* oyente);

  // The read request: one capture cycle, then the reader is closed. Only
  // the thread that created the object may call it: its timer and its
  // events belong to that thread. From another it raises ErrorEjecucion 5.
  // An exception thrown by a listener ends the read and leaves Terminate
  // as its own, after the document it was thrown for has been delivered.
  void Terminate();
  // Shows the settings screen modally; always Empty.
  Variant MostrarConfiguracion();
  // Whether a reader is connected and answers.
  Boolean LectoraONOFF();

  Boolean blnLogActivo() const;
  void blnLogActivo(Boolean valor);

 private:
  // Everything the object holds lives behind this pointer, so its size and
  // members can change without a host being rebuilt.
  struct VARDEL_LOCAL Impl;
  std::unique_ptr<Impl> impl_;
};

}  // namespace v1
}  // namespace vardel
