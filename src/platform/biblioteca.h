#pragma once

#include <functional>
#include <mutex>
#include <string>
#include <vector>

namespace vardel::platform {

// A shared library loaded by name at the first call that needs one of its
// functions. A library that cannot be loaded is run-time error 48, a missing
// function 453, each raised by the call that asked, with a detail naming
// the paths tried and the loader's reasons, or the function and library. A
// failed load is tried again at the next call, since the library may be
// installed meanwhile.
class BibliotecaDinamica {
 public:
  // The candidates are tried in order (a full path first, then a bare name
  // for the platform's normal search).
  explicit BibliotecaDinamica(std::vector<std::string> candidatos);
  // The candidates are asked for at every load attempt, so a folder that is
  // only known later (the component's directory) is honoured.
  explicit BibliotecaDinamica(std::function<std::vector<std::string>()> candidatos);
  ~BibliotecaDinamica();
  BibliotecaDinamica(const BibliotecaDinamica&) = delete;
  BibliotecaDinamica& operator=(const BibliotecaDinamica&) = delete;

  void* Funcion(const char* nombre);

 private:
  // Loads the library if it is not loaded yet; error 48 when no candidate
  // loads. Called with the mutex held.
  void Carga();

  std::function<std::vector<std::string>()> candidatos_;
  std::mutex mutex_;
  void* modulo_ = nullptr;
  std::string cargada_;  // the candidate that loaded
};

}  // namespace vardel::platform
