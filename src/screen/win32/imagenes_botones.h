#pragma once

#include <windows.h>

namespace vardel::win32 {

// The small pictures beside the captions of the two buttons, drawn on the
// button face's colour: a green check mark (18 x 15) for Aceptar and a red
// cross (20 x 18) for Cancelar. The caller deletes them.
HBITMAP CreaImagenAceptar();
HBITMAP CreaImagenCancelar();

}  // namespace vardel::win32
