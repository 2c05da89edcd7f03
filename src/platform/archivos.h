#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vardel::platform {

// True when a file or a directory exists at the path.
bool ExisteRuta(const std::string& ruta);

// Creates one directory level; the parent must exist. Raises the run-time
// error of the failure (76 path not found, 75 access error, 70 denied).
void CreaDirectorio(const std::string& ruta);

// A temporary's name beside `base`: base + ".tmp-" + this machine's name +
// "-" + process id + "-" + 16 random hexadecimal digits. Unpredictable, so
// no other account can plant a file or a link at it beforehand, and it
// says which machine and process wrote it, so a sweep knows whether the
// writer is gone.
std::string NombreTemporal(const std::string& base);

// This machine's name as temporaries carry it: letters, digits and "-",
// every other character made "_"; "equipo" when the system gives none.
std::string NombreEquipo();

// How long a temporary of another machine (or of an earlier naming, which
// does not say its machine) must lie untouched before a sweep may remove
// it. A temporary lives for the write of one image or one settings file:
// well under a second, minutes at worst on a slow share. A day is far
// beyond that, and beyond any disagreement between the clocks of the PCs
// that share a folder.
inline constexpr std::int64_t kAntiguedadAbandono = std::int64_t{24} * 60 * 60;

// Removes from the folder the temporaries (NombreTemporal) of the names
// `esBase` accepts whose writer is provably gone: a process of this machine
// that no longer runs, or, written by another machine or under an earlier
// naming, untouched for kAntiguedadAbandono seconds. A writer on another PC
// never loses a temporary it is still writing; nothing else is touched.
// Costs one listing of the folder; only the names that match are examined.
void BorraTemporalesAbandonados(const std::string& directorio,
                                const std::function<bool(std::string_view base)>& esBase);

// Creates an empty file at the path, only if nothing (not even a link) is
// there: true when created, false when the name was taken. Other failures
// raise their run-time error. Used to claim a name among several writers.
bool CreaExclusivo(const std::string& ruta);

// Replaces the file's whole content with the bytes: written to a temporary
// (NombreTemporal) in the same directory, created exclusively, flushed to
// stable storage, then renamed over the name, and the rename flushed too, so
// neither a failure nor a power loss leaves a half-written or empty file
// under it. Raises the run-time error of the failure (76, 75, 70, 61 disk
// full).
void EscribeArchivoCompleto(const std::string& ruta, const std::vector<std::uint8_t>& bytes);

// Makes sure files of espacio bytes can be written in the directory: it
// exists and is a directory (else 76), a file can be created in it (else
// the error of the creation, e.g. 70 or 61), and it has at least espacio
// bytes free (else 61). The probe file is a temporary named from
// "vardel-prueba" (NombreTemporal), removed at once.
void CompruebaEscritura(const std::string& directorio, std::uint64_t espacio);

// The names of the plain files of a directory that pass the filter; none
// when it cannot be read. The filter sees each name before anything else is
// asked of the entry, so a large folder costs one listing.
std::vector<std::string> ArchivosDelDirectorio(
    const std::string& directorio, const std::function<bool(const std::string&)>& filtro);

// Seconds since the file was last written; nullopt when it cannot be read.
std::optional<std::int64_t> AntiguedadArchivo(const std::string& ruta);

// True when a process with this id is running on this machine (or might
// be: any doubt counts as running).
bool ProcesoActivo(unsigned long id);

// This process's id.
unsigned long ProcesoActual();

// Removes a file; false when it could not be removed.
bool BorraArchivo(const std::string& ruta);

#ifndef _WIN32
// Flushes the entries of the directory holding the file to stable storage,
// so a rename in it survives a power loss. 0, or the errno of the flush (a
// file system that cannot flush directories counts as done).
int SincronizaDirectorioDe(const std::string& archivo);
#endif

// Appends the bytes and CR LF to a text file, creating it when missing; opened
// and closed within the call. Where another account could have put a link
// at the name (a folder writable by others), a link is refused, never
// written through. Raises the run-time error of the failure.
void AnadeLinea(const std::string& ruta, std::string_view bytes);

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
