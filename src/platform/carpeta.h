#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/componente.h"

namespace vardel::platform {

// A folder the component reads from or writes into, resolved once: every
// operation afterwards names a file inside it and goes through the handle
// held, never through the folder's path again, so no account can swap the
// folder, or one on its way, for a link between a check and a write.
//
// On POSIX the path is walked one component at a time (a link is followed
// only where no other account could have put it there) into a directory
// descriptor, and files are opened relative to it. On Windows the folder is
// held open, every file is named from the path the held handle resolves to
// now (a link put at the folder's old path leads nowhere), and each file
// opened is checked to be in it (GetFinalPathNameByHandle).
//
// Failures raise the run-time error of the file operation: 76 (path not
// found), 70 (denied), 61 (disk full), 75 (any other, among them a link
// another account could have planted), with the reason in the description
// where there is one.
class Carpeta {
 public:
  explicit Carpeta(const std::string& ruta);
  // Takes over a folder the platform's code has already resolved: a
  // directory descriptor on POSIX, a handle on Windows.
  Carpeta(std::string ruta, std::intptr_t manejador) noexcept;
  ~Carpeta();
  Carpeta(Carpeta&& otra) noexcept;
  Carpeta(const Carpeta&) = delete;
  Carpeta& operator=(const Carpeta&) = delete;
  Carpeta& operator=(Carpeta&&) = delete;

  // The descriptor or handle held, for the platform's own code.
  std::intptr_t Manejador() const { return manejador_; }

  // The path as given, for messages and for the host's events.
  const std::string& Ruta() const { return ruta_; }
  // The path of a file of the folder, for messages and events.
  std::string RutaDe(std::string_view nombre) const {
    return ruta_ + kSeparador + std::string(nombre);
  }

  // True when anything (a file, a folder, a link) has this name.
  bool Existe(const std::string& nombre) const;

  // Creates the file with the bytes only if nothing (not even a link) has
  // its name: true when created, false when the name was taken. Used to
  // claim a name among several writers.
  bool CreaExclusivo(const std::string& nombre, std::string_view contenido = {}) const;

  // Replaces the file's whole content: written to a temporary
  // (NombreTemporal) created exclusively in the folder, flushed to stable
  // storage, then renamed over the name, and the rename flushed too, so
  // neither a failure nor a power loss leaves a half-written or empty file.
  void EscribeCompleto(const std::string& nombre, const std::vector<std::uint8_t>& bytes) const;

  // Appends the bytes and CR LF to a text file, creating it when missing,
  // in one write. A link at the name is refused, never written through,
  // and so is a second name of a file elsewhere where others may write the
  // folder.
  void AnadeLinea(const std::string& nombre, std::string_view bytes) const;

  // The content of a small plain file of the folder (a link is not
  // followed); nullopt when there is none or it cannot be read.
  std::optional<std::string> Lee(const std::string& nombre, std::size_t maximo = 4096) const;

  // Renames a file of the folder to a name nothing has yet in it: false
  // when that name is taken or the rename fails. Never replaces a file.
  bool Renombra(const std::string& desde, const std::string& hacia) const;

  // Removes a file; false when it could not be removed.
  bool Borra(const std::string& nombre) const;

  // The names of the plain files that pass the filter; none when the folder
  // cannot be listed. The filter sees each name before anything else is
  // asked of the entry, so a large folder costs one listing.
  std::vector<std::string> Archivos(const std::function<bool(const std::string&)>& filtro) const;

  // Seconds since the file was last written; nullopt when it cannot be read.
  std::optional<std::int64_t> Antiguedad(const std::string& nombre) const;

  // Makes sure files of `espacio` bytes can be written: a file can be
  // created (a probe named from "vardel-prueba", removed at once), and the
  // disk has that many bytes free (else 61).
  void CompruebaEscritura(std::uint64_t espacio) const;

 private:
  std::string ruta_;
  std::intptr_t manejador_;
};

// When the process is more privileged than the accounts that can change the
// settings file (root, with a Config.ini its group may write), a folder the
// file names must already be one those accounts may write: otherwise the
// settings would carry the process's writes where their editors cannot
// reach. Raises 70 naming the folder, the key, the accounts and the rule.
void CompruebaAlcance(const Carpeta& carpeta, const std::string& archivoAjustes,
                      const std::string& clave);

}  // namespace vardel::platform
