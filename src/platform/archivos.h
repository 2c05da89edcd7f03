#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/carpeta.h"

namespace vardel::platform {

// True when a file or a directory exists at the path.
bool ExisteRuta(const std::string& ruta);

// Creates one directory level; the parent must exist. Raises the run-time
// error of the failure (76 path not found, 75 access error, 70 denied).
void CreaDirectorio(const std::string& ruta);

// A temporary's name beside `base`: base + ".tmp-" + this machine's
// identity + "-" + process id + "-" + 16 random hexadecimal digits.
// Unpredictable, so no other account can plant a file or a link at it
// beforehand, and it says which machine and process wrote it, so a sweep
// knows whether the writer is gone.
std::string NombreTemporal(const std::string& base);

// This machine's identity as temporaries and claims carry it: the
// system's own (/etc/machine-id, the Windows installation's MachineGuid),
// which two PCs of one name, or of names that map to one, do not share;
// letters and digits only. The machine's name when the system gives none.
std::string IdentidadEquipo();

// How long a temporary of another machine (or of an earlier naming, which
// does not say its machine) must lie untouched before a sweep may remove
// it. A temporary lives for the write of one image or one settings file:
// well under a second, minutes at worst on a slow share. A day is far
// beyond that, and beyond any disagreement between the clocks of the PCs
// that share a folder.
inline constexpr std::int64_t kSegundosDia = std::int64_t{24} * 60 * 60;
inline constexpr std::int64_t kAntiguedadAbandono = kSegundosDia;

// What a temporary's or a claim's writer says of itself.
struct Escritor {
  bool conEquipo = false;  // says its machine; else an earlier naming
  std::string equipo;
  unsigned long proceso = 0;
};

// The writer named by "<machine>-<process>-<16 hex>", or by the earlier
// "<process>[-<counter>]"; nullopt for any other text, among them a process
// number no process id can be (past 32 bits).
std::optional<Escritor> EscritorDe(std::string_view texto);

// True when the writer is provably gone: a process of this machine that no
// longer runs, or, of another machine or an earlier naming, a file
// untouched for kAntiguedadAbandono seconds (`antiguedad`, nullopt when
// unknown, never counts as gone).
bool EscritorAusente(const Escritor& escritor, std::optional<std::int64_t> antiguedad);

// Removes from the folder the temporaries (NombreTemporal) of the names
// `esBase` accepts whose writer is provably gone (EscritorAusente). A writer
// on another PC never loses a temporary it is still writing; nothing else
// is touched. Costs one listing of the folder; only the names that match
// are examined.
void BorraTemporalesAbandonados(const Carpeta& carpeta,
                                const std::function<bool(std::string_view base)>& esBase);

// True when a process with this id is running on this machine (or might
// be: any doubt counts as running).
bool ProcesoActivo(unsigned long id);

// This process's id.
unsigned long ProcesoActual();

// What tests observe of the file helpers: each flush and rename as it
// happens ("sincroniza", "renombra", "sincroniza-carpeta" and the path),
// and a free-space figure that replaces the system's. Null in production.
struct SondaArchivos {
  std::function<void(std::string_view operacion, const std::string& ruta)> anota;
  std::optional<std::uint64_t> espacioLibre;
};
SondaArchivos*& Sonda();

// The short form of a path (GetShortPathName, 260 characters). On POSIX,
// which has no short names, the path itself when it exists. "" when the
// path does not exist.
std::string RutaCortaPlataforma(const std::string& ruta);

}  // namespace vardel::platform
