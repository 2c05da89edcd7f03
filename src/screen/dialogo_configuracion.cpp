// The settings screen's dialog logic.
#include "screen/frm_config_lector_usb.h"
#include "settings/configuracion.h"

namespace vardel {

void frmConfigLectorUSB::Inicializar() {
  const auto col = Configuracion::LeeConfiguracion();
  (void)col;
  blnLectoraOn = Boolean::False;
}

void frmConfigLectorUSB::MuestraModal() {}

}  // namespace vardel
