#pragma once

#include <functional>
#include <optional>
#include <string>

namespace vardel::prueba {

// The variable that names the account's own state folder, where the log
// falls back to: XDG_STATE_HOME on POSIX, LOCALAPPDATA on Windows.
#ifdef _WIN32
inline constexpr const char* kVariableEstadoUsuario = "LOCALAPPDATA";
#else
inline constexpr const char* kVariableEstadoUsuario = "XDG_STATE_HOME";
#endif

// Sets an environment variable for the life of the object, then puts back
// what it was. The folder it names, if it is one, is created.
class VariableDeEntorno {
 public:
  VariableDeEntorno(const char* nombre, const std::string& valor);
  ~VariableDeEntorno();
  VariableDeEntorno(const VariableDeEntorno&) = delete;
  VariableDeEntorno& operator=(const VariableDeEntorno&) = delete;

 private:
  std::string nombre_;
  std::optional<std::string> anterior_;
};

#ifndef _WIN32
// An attacker on a shared counter PC: the account nobody, a member of a
// group (nogroup) standing for "vardel", which may write the group's
// folders but must never redirect a write of root's.
//
// Makes the folder one the group may write, as the packaged ones are
// (root:group, setgid, 2775).
void CarpetaDelGrupo(const std::string& carpeta);
// As the attacker, in a child process: puts a link to `destino` at `ruta`
// (replacing what is there). False when the attacker could not.
bool PlantaEnlace(const std::string& ruta, const std::string& destino);
// As the attacker, in a child process: runs `paso` again and again, as
// fast as it can, until the object goes. For races against root's reads
// and saves.
class AtacanteEnBucle {
 public:
  explicit AtacanteEnBucle(const std::function<void()>& paso);
  ~AtacanteEnBucle();
  AtacanteEnBucle(const AtacanteEnBucle&) = delete;
  AtacanteEnBucle& operator=(const AtacanteEnBucle&) = delete;

 private:
  int hijo_;
};
// Swaps the entry at `ruta` for a link to `destino` and back: a folder or a
// file the attacker may rename, put aside under ruta + ".aparte" meanwhile.
void CambiaPorEnlace(const std::string& ruta, const std::string& destino);
// A file only root may read or write, under `carpeta`; its path.
std::string SecretoDeRoot(const std::string& carpeta);
// True when the secret is still a plain root-only file with its content.
bool SecretoIntacto(const std::string& ruta);
#endif

// Points the account's state folder at a folder of the test run's own, so
// no test writes a fallback log into the real one.
void AislaCarpetaEstado();

}  // namespace vardel::prueba
