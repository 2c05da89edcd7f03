#include "component/com/modulo.h"

#include <atomic>
#include <mutex>

#include "component/com/puntero_com.h"
#include "platform/win32/componente.h"

namespace vardel::com {
namespace {

std::atomic<long> objetos{0};
std::atomic<long> bloqueos{0};

std::mutex mutex_biblioteca;
// Kept for the life of the process: type descriptions handed out to hosts
// may outlive every object of the server.
ITypeLib* biblioteca_cargada = nullptr;

}  // namespace

std::wstring RutaServidor() {
  std::wstring ruta(MAX_PATH, L'\0');
  for (;;) {
    const DWORD largo =
        GetModuleFileNameW(platform::ModuloPropio(), ruta.data(), static_cast<DWORD>(ruta.size()));
    if (largo == 0) {
      return {};
    }
    if (largo < ruta.size()) {
      ruta.resize(largo);
      return ruta;
    }
    ruta.resize(ruta.size() * 2);
  }
}

void SumaObjeto() {
  ++objetos;
}
void RestaObjeto() {
  --objetos;
}
void SumaBloqueo() {
  ++bloqueos;
}
void RestaBloqueo() {
  --bloqueos;
}
bool PuedeDescargarse() {
  return objetos == 0 && bloqueos == 0;
}

HRESULT BibliotecaTipos(ITypeLib** biblioteca) {
  if (biblioteca == nullptr) {
    return E_POINTER;
  }
  *biblioteca = nullptr;
  std::lock_guard<std::mutex> cerrojo(mutex_biblioteca);
  if (biblioteca_cargada == nullptr) {
    const HRESULT resultado =
        LoadTypeLibEx(RutaServidor().c_str(), REGKIND_NONE, &biblioteca_cargada);
    if (FAILED(resultado)) {
      biblioteca_cargada = nullptr;
      return resultado;
    }
  }
  *biblioteca = NuevaReferencia(biblioteca_cargada);
  return S_OK;
}

HRESULT InfoTipo(REFGUID guid, ITypeInfo** info) {
  if (info == nullptr) {
    return E_POINTER;
  }
  *info = nullptr;
  Puntero<ITypeLib> biblioteca;
  HRESULT resultado = BibliotecaTipos(biblioteca.put());
  if (SUCCEEDED(resultado)) {
    resultado = biblioteca->GetTypeInfoOfGuid(guid, info);
  }
  return resultado;
}

}  // namespace vardel::com
