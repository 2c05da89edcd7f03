#pragma once

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

// Points the account's state folder at a folder of the test run's own, so
// no test writes a fallback log into the real one.
void AislaCarpetaEstado();

}  // namespace vardel::prueba
