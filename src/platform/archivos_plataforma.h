#pragma once

#include <string>
#include <string_view>

// What the file helpers of each platform share.
namespace vardel::platform::detalle {

// The system's identity of this installation ("" when it gives none):
// /etc/machine-id, or the MachineGuid of the Windows installation.
std::string IdentidadEquipoSistema();

// The machine's name as the system gives it ("" when it gives none).
std::string NombreEquipoSistema();

// Tells the test probe, if any, of a flush or a rename.
void Anota(std::string_view operacion, const std::string& ruta);

}  // namespace vardel::platform::detalle
