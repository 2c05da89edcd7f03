#include "entorno_com.h"

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "platform/win32/recursos.h"
#include "platform/win32/utf16.h"
#include "support/simulador_prueba.h"

namespace vardel::prueba {

namespace fs = std::filesystem;

const char* const kEscenarioBandeja =
    "[Reader]\n"
    "present=yes\n"
    "devices=EXCELLA.EXC001\n"
    "status=<STATUS>READY</STATUS><INK>OK</INK>\n"
    "[Tray]\n"
    "[Document1]\n"
    "micr=C1234567E0049C1234E0123456789B00B0012A000012345C\n"
    "image1=size:64\n"
    "image2=size:64\n"
    "image3=size:64\n"
    "[Document2]\n"
    "micr=C4567890E2100C0813E0200098765B00B0017A311226D\n"
    "image1=size:32\n"
    "[Document3]\n"
    "micr=C1?\n"
    "image3=size:16\n";

const char* const kEscenarioAusente = "[Reader]\npresent=no\n";

const char* const kEscenarioVacio =
    "[Reader]\n"
    "present=yes\n"
    "devices=EXCELLA.EXC001\n"
    "status=<STATUS>READY</STATUS><INK>OK</INK>\n";

CarpetaServidor::CarpetaServidor(const std::string& escenario) {
  const fs::path origen = DirectorioEjecutable();
  fs::copy_file(origen / "Vardel.dll", fs::path(Ruta()) / "Vardel.dll");
  fs::copy_file(origen / "mtxmlmcr.dll", fs::path(Ruta()) / "mtxmlmcr.dll");
  fs::create_directories(DirectorioImagenes());
  EscribeConfig(DirectorioImagenes());
  EscribeEscenario(escenario);
  // The simulator reads the scenario beside it unless told otherwise.
  PonVariableEntorno("MTXSIM_SCENARIO", "");
}

std::wstring CarpetaServidor::RutaDll() const {
  return (fs::path(Ruta()) / "Vardel.dll").wstring();
}

void CarpetaServidor::EscribeConfig(const std::string& directorio_imagenes) const {
  directorio_.Escribe("Config.ini",
                      "[LectoraUSB]\r\n"
                      "Name=EXCELLA.EXC001\r\n"
                      "LogActivo=S\r\n"
                      "DirectorioLog=\r\n"
                      "DirectorioImg=" +
                          directorio_imagenes +
                          "\r\n"
                          "Transfer=MEMORY\r\nDocUnits=ENGLISH\r\nReadMICR=CMC7\r\n"
                          "Endorse=BACK\r\nMICRFmtCode=0\r\nDocFeed=CMC7\r\nPrintSide=BACK\r\n"
                          "PrintData=COMPENSADO\r\nPrinFont=INTERNAL\r\nNumber=3\r\n"
                          "ImageColor1=GRAY\r\nResolution1=200x200\r\nCompression1=G4\r\n"
                          "FileType1=TIF\r\nImageSide1=FRONT\r\nFilterB=NONE\r\n"
                          "ImageColor2=GRAY\r\nResolution2=200x200\r\nCompression2=G4\r\n"
                          "FileType2=TIF\r\nImageSide2=BACK\r\nImageColor3=COLOR\r\n"
                          "Resolution3=100x100\r\nCompression3=JPEG\r\nFileType3=JPG\r\n"
                          "ImageSide3=FRONT\r\n");
}

void CarpetaServidor::EscribeEscenario(const std::string& escenario) const {
  // The simulator keeps its place in a tray whose text has not changed: a
  // new generation makes every scenario written here a full tray again.
  static int generacion = 0;
  std::string texto = escenario;
  const std::string bandeja = "[Tray]\n";
  if (const auto donde = texto.find(bandeja); donde != std::string::npos) {
    texto.insert(donde + bandeja.size(), "generation=" + std::to_string(++generacion) + "\n");
  }
  directorio_.Escribe("mtxmlmcr.scenario", texto);
}

DWORD Ejecuta(const std::wstring& linea) {
  std::vector<wchar_t> texto(linea.begin(), linea.end());
  texto.push_back(L'\0');
  STARTUPINFOW inicio{};
  inicio.cb = sizeof inicio;
  PROCESS_INFORMATION proceso{};
  // A program that does not start or end says why on stderr: its caller
  // only sees the exit code. The system's error is read before the call,
  // whose conversion of the command line may set it.
  const auto informa = [&linea](const std::string& que) {
    std::fprintf(stderr, "%s: %s\n", que.c_str(), platform::AUtf8(linea).c_str());
  };
  if (!CreateProcessW(nullptr, texto.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &inicio,
                      &proceso)) {
    informa("CreateProcess failed, error " + std::to_string(GetLastError()));
    return static_cast<DWORD>(-1);
  }
  const platform::Manejador hilo(proceso.hThread);
  const platform::Manejador programa(proceso.hProcess);
  if (WaitForSingleObject(programa.get(), 60000) != WAIT_OBJECT_0) {
    informa("still running after 60 s, ended");
    TerminateProcess(programa.get(), static_cast<UINT>(-1));
    WaitForSingleObject(programa.get(), 10000);
    return static_cast<DWORD>(-1);
  }
  DWORD salida = static_cast<DWORD>(-1);
  if (!GetExitCodeProcess(programa.get(), &salida)) {
    informa("GetExitCodeProcess failed, error " + std::to_string(GetLastError()));
  }
  return salida;
}

DWORD RegSvr32(const std::wstring& opciones, const std::wstring& dll) {
  wchar_t sistema[MAX_PATH] = {};
  GetSystemDirectoryW(sistema, MAX_PATH);
  return Ejecuta(L"\"" + std::wstring(sistema) + L"\\regsvr32.exe\" " + opciones + L" \"" + dll +
                 L"\"");
}

HRESULT CreaPorProgId(const wchar_t* progid, REFIID iid, void** objeto) {
  *objeto = nullptr;
  CLSID clsid{};
  const HRESULT hr = CLSIDFromProgID(progid, &clsid);
  return FAILED(hr) ? hr : CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, iid, objeto);
}

std::optional<std::wstring> LeeRegistro(HKEY raiz, const std::wstring& clave,
                                        const wchar_t* nombre) {
  platform::ClaveRegistro abierta;
  wchar_t valor[1024] = {};
  DWORD bytes = sizeof valor - sizeof(wchar_t);
  if (RegOpenKeyExW(raiz, clave.c_str(), 0, KEY_READ, abierta.put()) != ERROR_SUCCESS ||
      RegQueryValueExW(abierta.get(), nombre, nullptr, nullptr, reinterpret_cast<BYTE*>(valor),
                       &bytes) != ERROR_SUCCESS) {
    return std::nullopt;
  }
  return std::wstring(valor);
}

bool ExisteClave(HKEY raiz, const std::wstring& clave) {
  platform::ClaveRegistro abierta;
  return RegOpenKeyExW(raiz, clave.c_str(), 0, KEY_READ, abierta.put()) == ERROR_SUCCESS;
}

std::wstring TextoGuid(REFGUID guid) {
  wchar_t texto[40] = {};
  StringFromGUID2(guid, texto, 40);
  return texto;
}

HRESULT LlamaPorNombre(IDispatch* objeto, const wchar_t* nombre, WORD modo, VARIANT* resultado,
                       EXCEPINFO* excepcion, std::initializer_list<VARIANT> argumentos) {
  DISPID id = 0;
  LPOLESTR nombres[] = {const_cast<LPOLESTR>(nombre)};
  HRESULT hr = objeto->GetIDsOfNames(IID_NULL, nombres, 1, LOCALE_USER_DEFAULT, &id);
  if (FAILED(hr)) {
    return hr;
  }
  // Dispatch order: the last argument first.
  std::vector<VARIANT> invertidos(argumentos.begin(), argumentos.end());
  std::reverse(invertidos.begin(), invertidos.end());
  DISPID poner = DISPID_PROPERTYPUT;
  DISPPARAMS parametros{invertidos.data(), nullptr, static_cast<UINT>(invertidos.size()), 0};
  if (modo == DISPATCH_PROPERTYPUT) {
    parametros.rgdispidNamedArgs = &poner;
    parametros.cNamedArgs = 1;
  }
  UINT erroneo = 0;
  return objeto->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, modo, &parametros, resultado, excepcion,
                        &erroneo);
}

std::string Utf8(const wchar_t* texto) {
  if (texto == nullptr) {
    return {};
  }
  const int necesarios = WideCharToMultiByte(CP_UTF8, 0, texto, -1, nullptr, 0, nullptr, nullptr);
  std::string resultado(static_cast<std::size_t>(necesarios), '\0');
  WideCharToMultiByte(CP_UTF8, 0, texto, -1, resultado.data(), necesarios, nullptr, nullptr);
  resultado.resize(resultado.empty() ? 0 : resultado.size() - 1);
  return resultado;
}

std::string Utf8(BSTR texto) {
  return Utf8(static_cast<const wchar_t*>(texto));
}

}  // namespace vardel::prueba
