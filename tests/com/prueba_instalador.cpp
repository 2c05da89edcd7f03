// The Windows Installer package as IT deploys it, on a machine (a Wine
// prefix) of its own: a silent install with the simulator, the class
// created by ProgID reading the sample tray, an upgrade over an edited
// Config.ini, a silent uninstall, and a plain install beside the kept
// Config.ini, without the simulator nor the web bridge at logon.
// prueba_instalador.sh prepares the prefix and passes the packages in
// VARDEL_MSI and VARDEL_MSI_NUEVO, their versions in VARDEL_VERSION and
// VARDEL_VERSION_NUEVA, and the upgrade code in VARDEL_MSI_UPGRADE.
#include <windows.h>

#include <msi.h>
#include <shlobj.h>

#include <gmock/gmock.h>

#include <cstdlib>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "component/com/puntero_com.h"
#include "entorno_com.h"
#include "platform/win32/recursos.h"
#include "receptor_eventos.h"
#include "vardel_h.h"

namespace vardel::prueba {
namespace {

namespace fs = std::filesystem;

std::wstring Variable(const char* nombre) {
  const char* valor = std::getenv(nombre);
  return valor == nullptr ? std::wstring() : fs::path(valor).wstring();
}

fs::path Carpeta(REFKNOWNFOLDERID carpeta) {
  wchar_t* ruta = nullptr;
  SHGetKnownFolderPath(carpeta, 0, nullptr, &ruta);
  fs::path resultado(ruta == nullptr ? L"" : ruta);
  CoTaskMemFree(ruta);
  return resultado;
}

DWORD Msiexec(const std::wstring& opciones) {
  wchar_t sistema[MAX_PATH] = {};
  GetSystemDirectoryW(sistema, MAX_PATH);
  return Ejecuta(L"\"" + std::wstring(sistema) + L"\\msiexec.exe\" " + opciones);
}

// The keys of the component under HKLM\Software\Classes, in this process's
// registry view: the class, the ProgID, the type library, its interfaces.
std::vector<std::wstring> ClavesDelComponente() {
  std::vector<std::wstring> claves = {L"CLSID\\" + TextoGuid(CLSID_Comunica), L"Vardel.Comunica",
                                      L"TypeLib\\" + TextoGuid(LIBID_Vardel)};
  for (REFIID iid : {IID__Comunica, DIID___Comunica, IID__Collection}) {
    claves.push_back(L"Interface\\" + TextoGuid(iid));
  }
  return claves;
}

// Registry keys and values: key -> "(key)", "key : name" -> the text.
using Claves = std::map<std::wstring, std::wstring>;

// Every key under `clave` (key -> "(key)") and every value in them
// ("key : name" -> the text, "@" naming the default value).
void Recorre(HKEY raiz, const std::wstring& clave, Claves& valores) {
  platform::ClaveRegistro abierta;
  if (RegOpenKeyExW(raiz, clave.c_str(), 0, KEY_READ, abierta.put()) != ERROR_SUCCESS) {
    return;
  }
  wchar_t nombre[256];
  wchar_t dato[1024];
  for (DWORD i = 0;; ++i) {
    DWORD largo_nombre = 256;
    DWORD bytes = sizeof dato - sizeof(wchar_t);
    DWORD tipo = 0;
    if (RegEnumValueW(abierta.get(), i, nombre, &largo_nombre, nullptr, &tipo,
                      reinterpret_cast<BYTE*>(dato), &bytes) != ERROR_SUCCESS) {
      break;
    }
    dato[bytes / sizeof(wchar_t)] = L'\0';
    valores[clave + L" : " + (*nombre == L'\0' ? L"@" : nombre)] =
        tipo == REG_SZ ? dato : L"(not text)";
  }
  for (DWORD i = 0;; ++i) {
    DWORD largo_nombre = 256;
    if (RegEnumKeyExW(abierta.get(), i, nombre, &largo_nombre, nullptr, nullptr, nullptr,
                      nullptr) != ERROR_SUCCESS) {
      break;
    }
    Recorre(raiz, clave + L"\\" + nombre, valores);
  }
  valores[clave] = L"(key)";
}

Claves Registro() {
  Claves valores;
  for (const std::wstring& clave : ClavesDelComponente()) {
    Recorre(HKEY_LOCAL_MACHINE, L"Software\\Classes\\" + clave, valores);
  }
  return valores;
}

// What `obtenido` lacks ("-") or has beyond ("+") `esperado`.
std::vector<std::string> Diferencias(const Claves& esperado, const Claves& obtenido) {
  std::vector<std::string> diferencias;
  const auto ausentes = [&](const Claves& unas, const Claves& otras, const std::string& signo) {
    for (const auto& [clave, valor] : unas) {
      const auto otra = otras.find(clave);
      if (otra == otras.end() || otra->second != valor) {
        diferencias.push_back(signo + Utf8(clave.c_str()) + " = " + Utf8(valor.c_str()));
      }
    }
  };
  ausentes(esperado, obtenido, "- ");
  ausentes(obtenido, esperado, "+ ");
  return diferencias;
}

std::wstring LeeConfig(const fs::path& config, const wchar_t* clave) {
  wchar_t valor[256] = {};
  GetPrivateProfileStringW(L"LectoraUSB", clave, L"", valor, 256, config.c_str());
  return valor;
}

// The version in a file's version resource, "major.minor.patch".
std::wstring VersionArchivo(const fs::path& archivo) {
  DWORD cero = 0;
  std::vector<BYTE> recurso(GetFileVersionInfoSizeW(archivo.c_str(), &cero));
  VS_FIXEDFILEINFO* fija = nullptr;
  UINT largo = 0;
  if (recurso.empty() ||
      !GetFileVersionInfoW(archivo.c_str(), 0, static_cast<DWORD>(recurso.size()),
                           recurso.data()) ||
      !VerQueryValueW(recurso.data(), L"\\", reinterpret_cast<void**>(&fija), &largo)) {
    return L"(none)";
  }
  return std::to_wstring(HIWORD(fija->dwFileVersionMS)) + L"." +
         std::to_wstring(LOWORD(fija->dwFileVersionMS)) + L"." +
         std::to_wstring(HIWORD(fija->dwFileVersionLS));
}

// The web bridge's shortcut in the Startup folder of all users.
const wchar_t* const kAccesoPuente =
    sizeof(void*) == 8 ? L"Vardel Puente (x64).lnk" : L"Vardel Puente (x86).lnk";

// What a shortcut starts: program and arguments.
struct Acceso {
  std::wstring programa;
  std::wstring argumentos;
};

Acceso LeeAcceso(const fs::path& archivo) {
  Acceso acceso;
  com::Puntero<IShellLinkW> enlace;
  if (FAILED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                              enlace.put_void()))) {
    return acceso;
  }
  com::Puntero<IPersistFile> persistente;
  if (SUCCEEDED(enlace->QueryInterface(IID_IPersistFile, persistente.put_void())) &&
      SUCCEEDED(persistente->Load(archivo.c_str(), STGM_READ))) {
    wchar_t texto[1024] = {};
    enlace->GetPath(texto, 1024, nullptr, SLGP_RAWPATH);
    acceso.programa = texto;
    enlace->GetArguments(texto, 1024);
    acceso.argumentos = texto;
  }
  return acceso;
}

std::vector<std::wstring> ProductosInstalados() {
  std::vector<std::wstring> productos;
  wchar_t producto[39];
  for (DWORD i = 0; MsiEnumRelatedProductsW(Variable("VARDEL_MSI_UPGRADE").c_str(), 0, i,
                                            producto) == ERROR_SUCCESS;
       ++i) {
    productos.emplace_back(producto);
  }
  return productos;
}

std::wstring VersionDe(const std::wstring& producto) {
  wchar_t version[64] = {};
  DWORD largo = 64;
  MsiGetProductInfoW(producto.c_str(), L"VersionString", version, &largo);
  return version;
}

class Instalador : public testing::Test {
 protected:
  void SetUp() override { CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED); }
  void TearDown() override { CoUninitialize(); }

  const fs::path programa_ = Carpeta(FOLDERID_ProgramFiles) / L"Vardel";
  const fs::path datos_ = Carpeta(FOLDERID_ProgramData) / L"Vardel";
  const fs::path config_ = programa_ / L"Config.ini";
};

// A host of the installed server, run as a program of its own by the test
// below (an installer cannot replace a server a running host has loaded):
// reads the sample tray through the class created by ProgID; the documents
// arrive through LectoraDatos and the first cheque's images are saved.
TEST_F(Instalador, DISABLED_LeeLaBandejaInstalada) {
  com::Puntero<_Comunica> objeto;
  ASSERT_EQ(CreaPorProgId(L"Vardel.Comunica", IID__Comunica, objeto.put_void()), S_OK);
  ReceptorEventos receptor;
  ASSERT_EQ(receptor.Conecta(objeto.get()), S_OK);
  EXPECT_EQ(objeto->Terminate(), S_OK);
  receptor.Desconecta();
  // The host lets the object go before it looks at what it kept.
  objeto.reset();
  int documentos = 0;
  for (const auto& evento : receptor.eventos) {
    documentos += evento.id == 1 && evento.argumentos.size() == 1 &&
                  evento.argumentos[0].vt == VT_DISPATCH && evento.argumentos[0].pdispVal;
  }
  EXPECT_GE(documentos, 5);
  for (const wchar_t* imagen :
       {L"ANV00491234567.tif", L"REV00491234567.tif", L"ANV00491234567.jpg"}) {
    EXPECT_TRUE(fs::exists(datos_ / L"Imagenes" / imagen)) << Utf8(imagen);
  }
}

TEST_F(Instalador, SeInstalaLeeSeActualizaYSeDesinstalaGuardandoConfig) {
  ASSERT_FALSE(Variable("VARDEL_MSI").empty());
  ASSERT_FALSE(Variable("VARDEL_MSI_NUEVO").empty());
  // The prefix was copied from one where other tests register the server
  // for a while, in either registry view and per user, and whose registry
  // file may lag behind: start from a machine without any of it (a class
  // left in the other view would make the unregistration below keep the
  // shared keys, as it must beside another installed architecture).
  for (const HKEY raiz : {HKEY_LOCAL_MACHINE, HKEY_CURRENT_USER}) {
    for (const REGSAM vista : {KEY_WOW64_64KEY, KEY_WOW64_32KEY}) {
      platform::ClaveRegistro clases;
      if (RegOpenKeyExW(raiz, L"Software\\Classes", 0, KEY_ALL_ACCESS | vista, clases.put()) ==
          ERROR_SUCCESS) {
        for (const std::wstring& clave : ClavesDelComponente()) {
          RegDeleteTreeW(clases.get(), clave.c_str());
        }
      }
    }
  }

  // A silent install with the simulator and the sample tray.
  ASSERT_EQ(Msiexec(L"/i \"" + Variable("VARDEL_MSI") + L"\" /qn ADDLOCAL=ALL"), 0u);
  for (const wchar_t* archivo :
       {L"Vardel.dll", L"vardel.exe", L"vardel-puente.exe", L"Config.ini", L"mtxmlmcr.dll",
        L"mtxmlmcr.scenario", L"tray\\cheque01-anverso.tif"}) {
    EXPECT_TRUE(fs::exists(programa_ / archivo)) << Utf8(archivo);
  }
  // Each binary carries the project's version.
  for (const wchar_t* archivo :
       {L"Vardel.dll", L"vardel.exe", L"vardel-puente.exe", L"mtxmlmcr.dll"}) {
    EXPECT_EQ(VersionArchivo(programa_ / archivo), Variable("VARDEL_VERSION")) << Utf8(archivo);
  }
  // The web bridge starts at every user's logon, without a console (the
  // program of the Windows subsystem). Windows Installer puts the shortcut
  // in the Startup folder of all users (the package sets ALLUSERS); Wine's,
  // in the installing user's.
  fs::path acceso = Carpeta(FOLDERID_CommonStartup) / kAccesoPuente;
  if (!fs::exists(acceso)) {
    acceso = Carpeta(FOLDERID_Startup) / kAccesoPuente;
  }
  const Acceso puente = LeeAcceso(acceso);
  EXPECT_EQ(puente.programa, (programa_ / L"vardel-puente.exe").wstring()) << Utf8(acceso.c_str());
  EXPECT_EQ(puente.argumentos, L"");
  EXPECT_EQ(LeeConfig(config_, L"DirectorioImg"), (datos_ / L"Imagenes").wstring());
  EXPECT_EQ(LeeConfig(config_, L"DirectorioLog"), datos_.wstring());
  ASSERT_TRUE(fs::is_directory(datos_ / L"Imagenes"));

  // The package's keys are those the server's own registration writes, but
  // for the help folder's closing separator, which Windows Installer's
  // folder properties always carry.
  const auto instaladas = Registro();
  const std::wstring ayuda =
      L"Software\\Classes\\TypeLib\\" + TextoGuid(LIBID_Vardel) + L"\\1.1\\HELPDIR : @";
  ASSERT_TRUE(instaladas.contains(ayuda));
  EXPECT_EQ(instaladas.at(ayuda), programa_.wstring() + L"\\");
  const std::wstring dll = (programa_ / L"Vardel.dll").wstring();
  ASSERT_EQ(RegSvr32(L"/s /u", dll), 0u);
  EXPECT_THAT(Registro(), testing::IsEmpty());
  ASSERT_EQ(RegSvr32(L"/s", dll), 0u);
  auto registradas = Registro();
  registradas[ayuda] += L"\\";
  EXPECT_THAT(Diferencias(instaladas, registradas), testing::IsEmpty());

  wchar_t este[MAX_PATH] = {};
  GetModuleFileNameW(nullptr, este, MAX_PATH);
  EXPECT_EQ(Ejecuta(L"\"" + std::wstring(este) +
                    L"\" --gtest_also_run_disabled_tests --gtest_filter=*LeeLaBandejaInstalada"),
            0u);
  EXPECT_TRUE(fs::exists(datos_ / L"Lectora.log"));

  // An upgrade keeps the edited Config.ini and leaves one product.
  ASSERT_TRUE(WritePrivateProfileStringW(L"LectoraUSB", L"Marca", L"editado", config_.c_str()));
  ASSERT_EQ(Msiexec(L"/i \"" + Variable("VARDEL_MSI_NUEVO") + L"\" /qn ADDLOCAL=ALL"), 0u);
  EXPECT_EQ(LeeConfig(config_, L"Marca"), L"editado");
  const auto productos = ProductosInstalados();
  ASSERT_EQ(productos.size(), 1u);
  EXPECT_EQ(VersionDe(productos[0]), Variable("VARDEL_VERSION_NUEVA"));
  EXPECT_TRUE(fs::exists(programa_ / L"mtxmlmcr.dll"));
  EXPECT_THAT(Diferencias(instaladas, Registro()), testing::IsEmpty());
  // The older package is refused now.
  EXPECT_NE(Msiexec(L"/i \"" + Variable("VARDEL_MSI") + L"\" /qn"), 0u);
  EXPECT_EQ(ProductosInstalados(), productos);

  // The uninstall removes the class and the files, and keeps the
  // settings, the log and the images.
  ASSERT_EQ(Msiexec(L"/x \"" + Variable("VARDEL_MSI_NUEVO") + L"\" /qn"), 0u);
  EXPECT_TRUE(ProductosInstalados().empty());
  EXPECT_TRUE(Registro().empty());
  CLSID clsid{};
  EXPECT_EQ(CLSIDFromProgID(L"Vardel.Comunica", &clsid), CO_E_CLASSSTRING);
  EXPECT_FALSE(fs::exists(programa_ / L"Vardel.dll"));
  EXPECT_FALSE(fs::exists(programa_ / L"mtxmlmcr.dll"));
  EXPECT_FALSE(fs::exists(acceso));
  EXPECT_EQ(LeeConfig(config_, L"Marca"), L"editado");
  EXPECT_TRUE(fs::exists(datos_ / L"Lectora.log"));
  EXPECT_TRUE(fs::exists(datos_ / L"Imagenes" / L"ANV00491234567.tif"));

  // A plain install leaves the simulator out, and the Config.ini it finds
  // in place.
  ASSERT_EQ(Msiexec(L"/i \"" + Variable("VARDEL_MSI") + L"\" /qn"), 0u);
  EXPECT_TRUE(fs::exists(programa_ / L"Vardel.dll"));
  EXPECT_FALSE(fs::exists(programa_ / L"mtxmlmcr.dll"));
  EXPECT_FALSE(fs::exists(acceso));
  EXPECT_EQ(LeeConfig(config_, L"Marca"), L"editado");
  ASSERT_EQ(Msiexec(L"/x \"" + Variable("VARDEL_MSI") + L"\" /qn"), 0u);
}

}  // namespace
}  // namespace vardel::prueba
