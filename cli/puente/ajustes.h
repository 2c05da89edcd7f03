#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <map>
#include <string>
#include <string_view>
#include <vector>

namespace vardel::cli::puente {

// 8765: no well-known service listens there (docs/web-bridge.md says why),
// it needs no privilege, and it lies below every system's range of
// ephemeral ports, so no outgoing connection ever holds it.
inline constexpr std::uint16_t kPuertoPredeterminado = 8765;

// How vardel serve runs.
struct AjustesPuente {
  std::uint16_t puerto = kPuertoPredeterminado;  // 0: any free port (tests)
  std::vector<std::string> origenes;             // exact allowed origins
  std::size_t maxMensaje = 16 * 1024;            // bytes of one page message
  std::size_t maxConexiones = 16;                // TCP connections at once
  std::size_t maxSesiones = 64;                  // tokens kept at once
  std::chrono::seconds ventana{600};             // resend window after a disconnection
  bool marcasTiempo = false;                     // "emitido_ms" on every event
};

// One section of an INI text: its keys in lower case, values trimmed.
std::map<std::string, std::string> LeeSeccionIni(std::string_view texto, std::string_view seccion);

// Fills what the command line left unset from Config.ini's "Puente"
// section ("Puerto", "Origenes"), then checks every value. The words of
// the first fault, "" when all is well.
std::string CompletaAjustes(AjustesPuente& ajustes, bool puertoDado,
                            const std::map<std::string, std::string>& seccion);

}  // namespace vardel::cli::puente
