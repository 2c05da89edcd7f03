// A script host for the VBScript scenarios: runs a .vbs file with the
// system's VBScript engine and the WScript object of objeto_wscript.h, so
// that scripts receive events as in a real host. Usage:
//   anfitrion_guiones [--servidor Vardel.dll] guion.vbs
// --servidor registers the server first and unregisters it at the end, as
// an installer would. Exit code: Quit's, or 1 on a script error.
#include <windows.h>

#include <initguid.h>

#include <activscp.h>

#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>

#include "component/com/puntero_com.h"
#include "entorno_com.h"
#include "objeto_wscript.h"

namespace vardel::prueba {
namespace {

class SitioGuion final : public IActiveScriptSite {
 public:
  explicit SitioGuion(ObjetoWScript& wscript) : wscript_(wscript) {}
  bool HuboError() const { return error_; }

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** objeto) override {
    if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IActiveScriptSite)) {
      *objeto = static_cast<IActiveScriptSite*>(this);
      return S_OK;
    }
    *objeto = nullptr;
    return E_NOINTERFACE;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
  ULONG STDMETHODCALLTYPE Release() override { return 1; }
  HRESULT STDMETHODCALLTYPE GetLCID(LCID* lcid) override {
    *lcid = LOCALE_USER_DEFAULT;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE GetItemInfo(LPCOLESTR nombre, DWORD pide, IUnknown** objeto,
                                        ITypeInfo** info) override {
    if (_wcsicmp(nombre, L"WScript") != 0) {
      return TYPE_E_ELEMENTNOTFOUND;
    }
    if (pide & SCRIPTINFO_IUNKNOWN) {
      wscript_.AddRef();
      *objeto = static_cast<IDispatch*>(&wscript_);
    }
    if (pide & SCRIPTINFO_ITYPEINFO) {
      *info = nullptr;
    }
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE GetDocVersionString(BSTR*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE OnScriptTerminate(const VARIANT*, const EXCEPINFO*) override {
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE OnStateChange(SCRIPTSTATE) override { return S_OK; }
  HRESULT STDMETHODCALLTYPE OnScriptError(IActiveScriptError* error) override {
    if (wscript_.QuitPedido()) {
      return S_OK;  // the abort that Quit asked for
    }
    error_ = true;
    EXCEPINFO excepcion{};
    error->GetExceptionInfo(&excepcion);
    DWORD contexto = 0;
    ULONG linea = 0;
    LONG columna = 0;
    error->GetSourcePosition(&contexto, &linea, &columna);
    std::fprintf(stderr, "error de guion, línea %lu: 0x%08lx %s\n", linea + 1,
                 static_cast<unsigned long>(excepcion.scode),
                 Utf8(excepcion.bstrDescription).c_str());
    com::VaciaExcepcion(excepcion);
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE OnEnterScript() override { return S_OK; }
  HRESULT STDMETHODCALLTYPE OnLeaveScript() override { return S_OK; }

 private:
  ObjetoWScript& wscript_;
  bool error_ = false;
};

std::wstring LeeGuion(const wchar_t* ruta) {
  std::ifstream entrada(ruta, std::ios::binary);
  const std::string bytes((std::istreambuf_iterator<char>(entrada)),
                          std::istreambuf_iterator<char>());
  const int largo =
      MultiByteToWideChar(CP_UTF8, 0, bytes.data(), static_cast<int>(bytes.size()), nullptr, 0);
  std::wstring texto(static_cast<std::size_t>(largo), L'\0');
  MultiByteToWideChar(CP_UTF8, 0, bytes.data(), static_cast<int>(bytes.size()), texto.data(),
                      largo);
  return texto;
}

using FuncionRegistro = HRESULT(WINAPI*)();

FuncionRegistro Exportada(HMODULE dll, const char* nombre) {
  return reinterpret_cast<FuncionRegistro>(reinterpret_cast<void*>(GetProcAddress(dll, nombre)));
}

int EjecutaGuion(const wchar_t* ruta_guion) {
  const std::wstring codigo = LeeGuion(ruta_guion);
  if (codigo.empty()) {
    std::fprintf(stderr, "no se puede leer el guion\n");
    return 2;
  }
  CLSID clsid{};
  com::Puntero<IActiveScript> motor;
  if (FAILED(CLSIDFromProgID(L"VBScript", &clsid)) ||
      FAILED(CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IID_IActiveScript,
                              motor.put_void()))) {
    std::fprintf(stderr, "no hay motor VBScript\n");
    return 2;
  }
  com::Puntero<IActiveScriptParse> analizador;
  motor->QueryInterface(IID_IActiveScriptParse, analizador.put_void());
  ObjetoWScript wscript(*motor.get());
  SitioGuion sitio(wscript);
  motor->SetScriptSite(&sitio);
  analizador->InitNew();
  motor->AddNamedItem(L"WScript", SCRIPTITEM_ISVISIBLE);
  EXCEPINFO excepcion{};
  const HRESULT analizado = analizador->ParseScriptText(codigo.c_str(), nullptr, nullptr, nullptr,
                                                        0, 0, 0, nullptr, &excepcion);
  com::VaciaExcepcion(excepcion);
  if (SUCCEEDED(analizado)) {
    motor->SetScriptState(SCRIPTSTATE_CONNECTED);
  }
  wscript.DesconectaTodo();
  motor->Close();
  // The engine goes here, before the WScript object and the site it was
  // given, which live on this function's stack.
  analizador.reset();
  motor.reset();
  if (FAILED(analizado) && !wscript.QuitPedido()) {
    return 1;
  }
  return sitio.HuboError() ? 1 : wscript.CodigoSalida();
}

}  // namespace
}  // namespace vardel::prueba

int wmain(int argc, wchar_t** argv) {
  int primero = 1;
  const wchar_t* servidor = nullptr;
  if (argc > 2 && _wcsicmp(argv[1], L"--servidor") == 0) {
    servidor = argv[2];
    primero = 3;
  }
  if (primero >= argc) {
    std::fprintf(stderr, "uso: anfitrion_guiones [--servidor Vardel.dll] guion.vbs\n");
    return 2;
  }
  CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
  HMODULE dll = nullptr;
  if (servidor != nullptr) {
    dll = LoadLibraryW(servidor);
    const auto registra = dll ? vardel::prueba::Exportada(dll, "DllRegisterServer") : nullptr;
    if (registra == nullptr || FAILED(registra())) {
      std::fprintf(stderr, "no se puede registrar el servidor\n");
      return 2;
    }
  }
  const int resultado = vardel::prueba::EjecutaGuion(argv[primero]);
  if (dll != nullptr) {
    vardel::prueba::Exportada(dll, "DllUnregisterServer")();
  }
  CoUninitialize();
  return resultado;
}
