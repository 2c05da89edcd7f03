#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "vardel/boolean.h"
#include "vardel/collection.h"
#include "vardel/export.h"
#include "vardel/variant.h"

namespace vardel {

class frmConfigLectorUSB;

// What a host hears from a Comunica: the three events, raised synchronously
// on the thread that created the object.
class VARDEL_API OyenteComunica {
 public:
  virtual ~OyenteComunica() = default;
  // One processed document: its data, the no-data collection, or null.
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

  // The read request: one capture cycle, then the reader is closed.
  void Terminate();
  // Shows the settings screen modally; always Empty.
  Variant MostrarConfiguracion();
  // Whether a reader is connected and answers.
  Boolean LectoraONOFF();

  Boolean blnLogActivo() const { return blnLogActivo_; }
  void blnLogActivo(Boolean valor) { blnLogActivo_ = valor; }

 private:
  class VARDEL_LOCAL Receptor;
  VARDEL_LOCAL void CierraLectora();
  VARDEL_LOCAL void ProcesaCheques();

  OyenteComunica* oyente_ = nullptr;
  Boolean blnLogActivo_ = Boolean::False;
  std::shared_ptr<frmConfigLectorUSB> PantallaConfig;
  std::unique_ptr<Receptor> receptor_;
};

}  // namespace vardel
