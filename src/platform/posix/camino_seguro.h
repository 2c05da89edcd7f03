#pragma once

#include <sys/stat.h>

#include <optional>
#include <set>
#include <string>

#include "platform/posix/recursos.h"

// POSIX: a path resolved once, one component at a time, into a descriptor of
// the folder it names (or of the folder that holds the file it names).
// Everything done afterwards is relative to that descriptor, so no account
// can swap a folder on the way for a link between a check and a write.
//
// Root and this process's own account are trusted; any other account (the
// members of a shared group among them) is not trusted to redirect a read
// or a write. A symbolic link is followed only where no other account could
// have put it there or changed it: the link belongs to root or this account,
// the folder holding it is theirs and writable by no one else (or sticky
// with the link theirs), and so was every folder walked to reach it.
namespace vardel::platform {

// Accounts other than root and this one: those that could change what a
// path names, or that may write in a folder.
struct Cuentas {
  std::set<uid_t> usuarios;
  std::set<gid_t> grupos;
  bool todos = false;  // any account at all

  bool Vacio() const { return usuarios.empty() && grupos.empty() && !todos; }
  void Anade(const Cuentas& otras);
  // "el grupo vardel, la cuenta nobody, cualquier cuenta", for messages.
  std::string Describe() const;
};

// True for root and for this process's effective account.
bool CuentaDeConfianza(uid_t cuenta);

// The accounts besides root and this one that may create, remove or rename
// entries in a folder of these attributes.
Cuentas EscritoresDe(const struct stat& carpeta);

// True when every account of `cuentas` may create files in a folder of
// these attributes.
bool EscribenTodas(const Cuentas& cuentas, const struct stat& carpeta);

struct Recorrido {
  // The folder reached: read and listed through this descriptor (opened for
  // reading where this account may, else only as a path).
  DescriptorAbierto carpeta;
  std::string ruta;  // the folder's path as walked, for messages
  struct stat datos {};
  // For a file: its name in that folder, which is not a link (or nothing
  // yet). Empty when a folder was resolved.
  std::string nombre;
  // The accounts besides root and this one that could have changed what the
  // walk reached: writers of a folder on the way whose entry they could
  // replace. The folder's own writers are not among them (EscritoresDe).
  Cuentas camino;
};

// Resolves `ruta`: a folder, or (archivo) a file that is a plain file or
// nothing yet. nullopt when it cannot be resolved safely; `motivo` then
// says why in Spanish and `codigo` holds the errno that best names the
// failure (ENOENT, EACCES, ELOOP for a link refused, ENOTDIR).
std::optional<Recorrido> Recorre(const std::string& ruta, bool archivo, std::string& motivo,
                                 int& codigo);

// Opens the file `nombre` of the folder (`carpeta`, whose attributes are
// `datos`) without following a link at its name; the descriptor is then
// checked: a plain file, and, where an untrusted account may write the
// folder, one with a single name (a hard link to a file elsewhere would
// carry the write out of the folder). -1 with errno set otherwise: ELOOP
// for a link, EMLINK for a hard link, EINVAL for anything but a plain file.
// With O_CREAT the file is only created (O_EXCL), and in a setgid folder
// it is made readable and writable by the folder's group whatever the
// umask, so the next member of the group can go on with it.
int AbreEnCarpeta(int carpeta, const struct stat& datos, const std::string& nombre, int modo);

}  // namespace vardel::platform
