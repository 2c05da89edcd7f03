#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace vardel::platform {

// True when a file or a directory exists at the path.
bool ExisteRuta(const std::string& ruta);

// Creates one directory level; the parent must exist. Raises the run-time
// error of the failure (76 path not found, 75 access error, 70 denied).
void CreaDirectorio(const std::string& ruta);

// Replaces the file's whole content with the bytes: written to a temporary
// file in the same directory (named ruta + ".tmp-" + process id + "-" +
// counter), flushed to stable storage, then renamed over the name, and the
// rename flushed too, so neither a failure nor a power loss leaves a
// half-written or empty file under it. Raises the run-time error of the
// failure (76, 75, 70, 61 disk full).
void EscribeArchivoCompleto(const std::string& ruta, const std::vector<std::uint8_t>& bytes);

// Makes sure files of espacio bytes can be written in the directory: it
// exists and is a directory (else 76), a file can be created in it (else
// the error of the creation, e.g. 70 or 61), and it has at least espacio
// bytes free (else 61). The probe file is a temporary of this component's
// naming, "vardel-prueba.tmp-<process id>-<counter>", removed at once.
void CompruebaEscritura(const std::string& directorio, std::uint64_t espacio);

// The names of the plain files of a directory; none when it cannot be read.
std::vector<std::string> ArchivosDelDirectorio(const std::string& directorio);

// True when a process with this id is running (or might be: any doubt
// counts as running).
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
// and closed within the call. Raises the run-time error of the failure.
void AnadeLinea(const std::string& ruta, std::string_view bytes);

}  // namespace vardel::platform
