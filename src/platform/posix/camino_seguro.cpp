#include "platform/posix/camino_seguro.h"

#include <fcntl.h>
#include <grp.h>
#include <pwd.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <deque>
#include <vector>

namespace vardel::platform {

namespace {

// Longest chain of links followed, as the kernel's own limit.
constexpr int kMaximoEnlaces = 40;

// Only root or this account can replace the entry in the folder: the folder
// is theirs and no one else may write in it, or it is sticky (as /tmp) and
// the entry is theirs.
bool EntradaProtegida(const struct stat& carpeta, const struct stat& entrada) {
  if (!CuentaDeConfianza(carpeta.st_uid)) {
    return false;
  }
  if ((carpeta.st_mode & (S_IWGRP | S_IWOTH)) == 0) {
    return true;
  }
  return (carpeta.st_mode & S_ISVTX) != 0 && CuentaDeConfianza(entrada.st_uid);
}

// Who could replace the entry in the folder: none when it is protected; in
// a sticky folder only the entry's owner; else every writer of the folder.
Cuentas QuienesReemplazan(const struct stat& carpeta, const struct stat& entrada) {
  if (EntradaProtegida(carpeta, entrada)) {
    return {};
  }
  if ((carpeta.st_mode & S_ISVTX) != 0 && (carpeta.st_mode & S_IWOTH) != 0) {
    Cuentas duena;
    duena.usuarios.insert(entrada.st_uid);
    if (!CuentaDeConfianza(carpeta.st_uid)) {
      duena.usuarios.insert(carpeta.st_uid);
    }
    return duena;
  }
  return EscritoresDe(carpeta);
}

std::deque<std::string> Partes(const std::string& ruta) {
  std::deque<std::string> partes;
  std::size_t inicio = 0;
  while (inicio <= ruta.size()) {
    const std::size_t barra = ruta.find('/', inicio);
    const std::size_t fin = barra == std::string::npos ? ruta.size() : barra;
    if (fin > inicio) {
      partes.push_back(ruta.substr(inicio, fin - inicio));
    }
    inicio = fin + 1;
  }
  return partes;
}

std::string Falla(const std::string& ruta, int& codigo) {
  codigo = errno;
  if (errno == ENOENT || errno == ENOTDIR) {
    return ruta + " no existe";
  }
  if (errno == EACCES) {
    return "esta cuenta no puede examinar " + ruta;
  }
  return "no se puede examinar " + ruta + " (" + std::strerror(errno) + ")";
}

// One folder of the walk: its descriptor (a path only), its attributes,
// its path for messages, and whether the walk to it from the last absolute
// start went only through entries no untrusted account could replace.
struct Paso {
  DescriptorAbierto descriptor;
  struct stat datos {};
  std::string ruta;
  bool protegido = true;
};

std::optional<Paso> Raiz(std::string& motivo, int& codigo) {
  Paso raiz;
  raiz.descriptor.reset(::open("/", O_PATH | O_DIRECTORY | O_CLOEXEC));
  if (!raiz.descriptor || ::fstat(raiz.descriptor.get(), &raiz.datos) != 0) {
    motivo = Falla("/", codigo);
    return std::nullopt;
  }
  raiz.ruta = "/";
  return raiz;
}

// The folder reached, through a descriptor open for reading (a listing, a
// flush of the folder) where this account may; a folder it may only search
// is used through the path descriptor.
DescriptorAbierto ParaLeer(DescriptorAbierto& camino) {
  DescriptorAbierto lectura(::openat(camino.get(), ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  return lectura ? std::move(lectura) : std::move(camino);
}

}  // namespace

bool CuentaDeConfianza(uid_t cuenta) {
  return cuenta == 0 || cuenta == ::geteuid();
}

void Cuentas::Anade(const Cuentas& otras) {
  usuarios.insert(otras.usuarios.begin(), otras.usuarios.end());
  grupos.insert(otras.grupos.begin(), otras.grupos.end());
  todos = todos || otras.todos;
}

std::string Cuentas::Describe() const {
  std::string texto;
  const auto anade = [&texto](const std::string& parte) {
    texto += texto.empty() ? parte : ", " + parte;
  };
  for (const gid_t grupo : grupos) {
    const struct group* datos = ::getgrgid(grupo);
    anade("el grupo " + (datos != nullptr ? std::string(datos->gr_name) : std::to_string(grupo)));
  }
  for (const uid_t usuario : usuarios) {
    const struct passwd* datos = ::getpwuid(usuario);
    anade("la cuenta " +
          (datos != nullptr ? std::string(datos->pw_name) : std::to_string(usuario)));
  }
  if (todos) {
    anade("cualquier cuenta");
  }
  return texto;
}

Cuentas EscritoresDe(const struct stat& carpeta) {
  Cuentas escritores;
  if ((carpeta.st_mode & S_IWUSR) != 0 && !CuentaDeConfianza(carpeta.st_uid)) {
    escritores.usuarios.insert(carpeta.st_uid);
  }
  if ((carpeta.st_mode & S_IWGRP) != 0) {
    escritores.grupos.insert(carpeta.st_gid);
  }
  escritores.todos = (carpeta.st_mode & S_IWOTH) != 0;
  return escritores;
}

bool EscribenTodas(const Cuentas& cuentas, const struct stat& carpeta) {
  if ((carpeta.st_mode & S_IWOTH) != 0) {
    return true;
  }
  if (cuentas.todos) {
    return false;
  }
  const bool grupoEscribe = (carpeta.st_mode & S_IWGRP) != 0;
  for (const gid_t grupo : cuentas.grupos) {
    if (!grupoEscribe || grupo != carpeta.st_gid) {
      return false;
    }
  }
  for (const uid_t usuario : cuentas.usuarios) {
    if (usuario == carpeta.st_uid && (carpeta.st_mode & S_IWUSR) != 0) {
      continue;
    }
    // Through the folder's group, when the account is one of its members.
    bool miembro = false;
    if (const struct passwd* datos = ::getpwuid(usuario); datos != nullptr && grupoEscribe) {
      int cuantos = 64;
      std::vector<gid_t> grupos(static_cast<std::size_t>(cuantos));
      if (::getgrouplist(datos->pw_name, datos->pw_gid, grupos.data(), &cuantos) < 0) {
        grupos.resize(static_cast<std::size_t>(cuantos));
        ::getgrouplist(datos->pw_name, datos->pw_gid, grupos.data(), &cuantos);
      }
      grupos.resize(static_cast<std::size_t>(cuantos));
      for (const gid_t grupo : grupos) {
        miembro = miembro || grupo == carpeta.st_gid;
      }
    }
    if (!miembro) {
      return false;
    }
  }
  return true;
}

std::optional<Recorrido> Recorre(const std::string& ruta, bool archivo, std::string& motivo,
                                 int& codigo) {
  motivo.clear();
  codigo = 0;
  std::string absoluta = ruta;
  if (absoluta.empty() || absoluta.front() != '/') {
    char actual[4096];
    if (::getcwd(actual, sizeof actual) == nullptr) {
      motivo = Falla(".", codigo);
      return std::nullopt;
    }
    absoluta = std::string(actual) + "/" + ruta;
  }
  std::vector<Paso> pila;
  auto raiz = Raiz(motivo, codigo);
  if (!raiz) {
    return std::nullopt;
  }
  pila.push_back(std::move(*raiz));
  std::deque<std::string> pendientes = Partes(absoluta);
  Cuentas camino;
  int enlaces = 0;
  while (!pendientes.empty()) {
    const std::string nombre = pendientes.front();
    pendientes.pop_front();
    const bool ultimo = pendientes.empty();
    if (nombre == "." || nombre == "..") {
      if (nombre == ".." && pila.size() > 1) {
        pila.pop_back();
      }
      if (ultimo && archivo) {
        motivo = ruta + " no es un archivo";
        codigo = EISDIR;
        return std::nullopt;
      }
      continue;
    }
    const Paso& arriba = pila.back();
    const std::string siguiente = (arriba.ruta == "/" ? std::string() : arriba.ruta) + "/" + nombre;
    // The entry itself, never what a link there points at: the link is
    // judged from the descriptor held, so it cannot be swapped after.
    DescriptorAbierto entrada(
        ::openat(arriba.descriptor.get(), nombre.c_str(), O_PATH | O_NOFOLLOW | O_CLOEXEC));
    struct stat datos {};
    if (!entrada || ::fstat(entrada.get(), &datos) != 0) {
      if (errno == ENOENT && ultimo && archivo) {
        Recorrido hecho;
        hecho.carpeta = ParaLeer(pila.back().descriptor);
        hecho.ruta = arriba.ruta;
        hecho.datos = arriba.datos;
        hecho.nombre = nombre;
        hecho.camino = std::move(camino);
        return hecho;
      }
      motivo = Falla(siguiente, codigo);
      return std::nullopt;
    }
    if (S_ISLNK(datos.st_mode)) {
      if (!arriba.protegido || !CuentaDeConfianza(datos.st_uid) ||
          !EntradaProtegida(arriba.datos, datos)) {
        motivo = siguiente + " es un enlace simbólico que otra cuenta pudo poner o cambiar";
        codigo = ELOOP;
        return std::nullopt;
      }
      if (++enlaces > kMaximoEnlaces) {
        motivo = "demasiados enlaces simbólicos en " + ruta;
        codigo = ELOOP;
        return std::nullopt;
      }
      char destino[4096];
      const ssize_t largo = ::readlinkat(entrada.get(), "", destino, sizeof destino - 1);
      if (largo <= 0) {
        motivo = Falla(siguiente, codigo);
        return std::nullopt;
      }
      const std::string texto(destino, static_cast<std::size_t>(largo));
      if (texto.front() == '/') {
        pila.resize(1);
      }
      const std::deque<std::string> partes = Partes(texto);
      pendientes.insert(pendientes.begin(), partes.begin(), partes.end());
      if (partes.empty() && ultimo && archivo) {
        motivo = ruta + " no es un archivo";
        codigo = EISDIR;
        return std::nullopt;
      }
      continue;
    }
    if (ultimo && archivo) {
      if (!S_ISREG(datos.st_mode)) {
        motivo = siguiente + " no es un archivo";
        codigo = S_ISDIR(datos.st_mode) ? EISDIR : EINVAL;
        return std::nullopt;
      }
      Recorrido hecho;
      hecho.carpeta = ParaLeer(pila.back().descriptor);
      hecho.ruta = arriba.ruta;
      hecho.datos = arriba.datos;
      hecho.nombre = nombre;
      camino.Anade(QuienesReemplazan(arriba.datos, datos));
      hecho.camino = std::move(camino);
      // The file's folder writers are the caller's to weigh.
      return hecho;
    }
    if (!S_ISDIR(datos.st_mode)) {
      motivo = siguiente + " no es una carpeta";
      codigo = ENOTDIR;
      return std::nullopt;
    }
    const Cuentas reemplazan = QuienesReemplazan(arriba.datos, datos);
    camino.Anade(reemplazan);
    Paso paso;
    paso.descriptor = std::move(entrada);
    paso.datos = datos;
    paso.ruta = siguiente;
    paso.protegido = arriba.protegido && reemplazan.Vacio();
    pila.push_back(std::move(paso));
  }
  if (archivo) {
    motivo = ruta + " no es un archivo";
    codigo = EISDIR;
    return std::nullopt;
  }
  Recorrido hecho;
  hecho.carpeta = ParaLeer(pila.back().descriptor);
  hecho.ruta = pila.back().ruta;
  hecho.datos = pila.back().datos;
  hecho.camino = std::move(camino);
  return hecho;
}

int AbreEnCarpeta(int carpeta, const struct stat& datos, const std::string& nombre, int modo) {
  const bool crea = (modo & O_CREAT) != 0;
  DescriptorAbierto archivo(
      ::openat(carpeta, nombre.c_str(),
               modo | O_NOFOLLOW | O_CLOEXEC | O_NONBLOCK | (crea ? O_EXCL : 0), 0666));
  if (!archivo) {
    return -1;
  }
  struct stat propio {};
  if (::fstat(archivo.get(), &propio) != 0) {
    return -1;
  }
  if (!S_ISREG(propio.st_mode)) {
    errno = EINVAL;
    return -1;
  }
  if (propio.st_nlink > 1 && !EscritoresDe(datos).Vacio()) {
    errno = EMLINK;
    return -1;
  }
  if (crea && (datos.st_mode & S_ISGID) != 0) {
    ::fchmod(archivo.get(), (propio.st_mode & 07777) | S_IRGRP | S_IWGRP);
  }
  // Blocking again for the writes: O_NONBLOCK only kept a FIFO planted at
  // the name from holding the open.
  ::fcntl(archivo.get(), F_SETFL, ::fcntl(archivo.get(), F_GETFL) & ~O_NONBLOCK);
  return archivo.release();
}

}  // namespace vardel::platform
