#include "component/com/registro_com.h"

#include <oleauto.h>
#include <olectl.h>

#include <optional>
#include <string>

#include "component/com/modulo.h"
#include "component/com/puntero_com.h"
#include "platform/win32/recursos.h"
#include "vardel_h.h"

extern "C" {
HRESULT WINAPI RegisterTypeLibForUser(ITypeLib* biblioteca, OLECHAR* ruta, OLECHAR* ayuda);
HRESULT WINAPI UnRegisterTypeLibForUser(REFGUID libid, WORD mayor, WORD menor, LCID lcid,
                                        SYSKIND sistema);
}

namespace vardel::com {
namespace {

// The class's one ProgID. Earlier builds also wrote a versioned one, with
// CurVer under this one pointing to it; both are removed when found.
constexpr const wchar_t* kProgId = L"Vardel.Comunica";
constexpr const wchar_t* kProgIdAnterior = L"Vardel.Comunica.1";
constexpr const wchar_t* kClases = L"Software\\Classes\\";
constexpr WORD kVersionMayor = 1;
constexpr WORD kVersionMenor = 1;
constexpr LCID kLcid = 0x409;
#ifdef _WIN64
constexpr SYSKIND kSistema = SYS_WIN64;
constexpr const wchar_t* kSubclaveSistema = L"win64";
constexpr REGSAM kVistaOtraArquitectura = KEY_WOW64_32KEY;
#else
constexpr SYSKIND kSistema = SYS_WIN32;
constexpr const wchar_t* kSubclaveSistema = L"win32";
constexpr REGSAM kVistaOtraArquitectura = KEY_WOW64_64KEY;
#endif

std::wstring Texto(REFGUID guid) {
  wchar_t texto[40] = {};
  StringFromGUID2(guid, texto, 40);
  return texto;
}

HKEY Raiz(Ambito ambito) {
  return ambito == Ambito::kMaquina ? HKEY_LOCAL_MACHINE : HKEY_CURRENT_USER;
}

// Writes one text value (nullptr: the key's default value), creating keys.
bool Escribe(HKEY raiz, const std::wstring& clave, const wchar_t* nombre,
             const std::wstring& valor) {
  platform::ClaveRegistro abierta;
  return RegCreateKeyExW(raiz, clave.c_str(), 0, nullptr, 0, KEY_WRITE, nullptr, abierta.put(),
                         nullptr) == ERROR_SUCCESS &&
         RegSetValueExW(abierta.get(), nombre, 0, REG_SZ,
                        reinterpret_cast<const BYTE*>(valor.c_str()),
                        static_cast<DWORD>((valor.size() + 1) * sizeof(wchar_t))) == ERROR_SUCCESS;
}

std::optional<std::wstring> Lee(HKEY raiz, const std::wstring& clave, const wchar_t* nombre,
                                REGSAM vista = 0) {
  platform::ClaveRegistro abierta;
  if (RegOpenKeyExW(raiz, clave.c_str(), 0, KEY_READ | vista, abierta.put()) != ERROR_SUCCESS) {
    return std::nullopt;
  }
  wchar_t valor[512] = {};
  DWORD bytes = sizeof valor - sizeof(wchar_t);
  DWORD tipo = 0;
  if (RegQueryValueExW(abierta.get(), nombre, nullptr, &tipo, reinterpret_cast<BYTE*>(valor),
                       &bytes) != ERROR_SUCCESS ||
      tipo != REG_SZ) {
    return std::nullopt;
  }
  return std::wstring(valor);
}

bool Existe(HKEY raiz, const std::wstring& clave, REGSAM vista) {
  platform::ClaveRegistro abierta;
  return RegOpenKeyExW(raiz, clave.c_str(), 0, KEY_READ | vista, abierta.put()) == ERROR_SUCCESS;
}

void BorraArbol(HKEY raiz, const std::wstring& clave) {
  RegDeleteTreeW(raiz, clave.c_str());
}

// The data collection's interface belongs to the automation runtime; a
// registration of it by that runtime (another type library) must survive
// ours being registered and unregistered. Both scopes are kept as they
// were: a per-user registration may reach the machine's keys too (Wine's
// RegisterTypeLibForUser writes there).
class InterfazAjena {
 public:
  InterfazAjena() {
    const std::wstring nuestra = Texto(LIBID_Vardel);
    for (Estado& estado : estados_) {
      estado.valor = Lee(estado.raiz, clave_ + L"\\TypeLib", nullptr);
      estado.version = Lee(estado.raiz, clave_ + L"\\TypeLib", L"Version");
      estado.nombre = Lee(estado.raiz, clave_, nullptr);
      ajena_ |= estado.valor && _wcsicmp(estado.valor->c_str(), nuestra.c_str()) != 0;
    }
  }

  // After our type library was registered or unregistered.
  void Restaura() const {
    if (!ajena_) {
      return;
    }
    const std::wstring marshaller = L"{00020424-0000-0000-C000-000000000046}";
    for (const Estado& estado : estados_) {
      if (!estado.valor) {
        BorraArbol(estado.raiz, clave_);
        continue;
      }
      Escribe(estado.raiz, clave_, nullptr, estado.nombre.value_or(L"_Collection"));
      Escribe(estado.raiz, clave_ + L"\\ProxyStubClsid", nullptr, marshaller);
      Escribe(estado.raiz, clave_ + L"\\ProxyStubClsid32", nullptr, marshaller);
      Escribe(estado.raiz, clave_ + L"\\TypeLib", nullptr, *estado.valor);
      if (estado.version) {
        Escribe(estado.raiz, clave_ + L"\\TypeLib", L"Version", *estado.version);
      }
    }
  }

 private:
  struct Estado {
    HKEY raiz;
    std::optional<std::wstring> valor;
    std::optional<std::wstring> version;
    std::optional<std::wstring> nombre;
  };
  std::wstring clave_ = std::wstring(kClases) + L"Interface\\" + Texto(IID__Collection);
  Estado estados_[2] = {{HKEY_LOCAL_MACHINE, {}, {}, {}}, {HKEY_CURRENT_USER, {}, {}, {}}};
  bool ajena_ = false;
};

// The versioned ProgID an earlier build registered, and its pointer.
void BorraProgIdAnterior(HKEY raiz) {
  const std::wstring clases(kClases);
  BorraArbol(raiz, clases + kProgId + L"\\CurVer");
  BorraArbol(raiz, clases + kProgIdAnterior);
}

bool EscribeClaves(HKEY raiz, const std::wstring& ruta) {
  const std::wstring clsid = Texto(CLSID_Comunica);
  const std::wstring clases(kClases);
  const std::wstring clase = clases + L"CLSID\\" + clsid;
  bool bien = true;
  bien &= Escribe(raiz, clases + kProgId, nullptr, L"Vardel.Comunica");
  bien &= Escribe(raiz, clases + kProgId + L"\\CLSID", nullptr, clsid);
  bien &= Escribe(raiz, clase, nullptr, L"Vardel.Comunica");
  bien &= Escribe(raiz, clase + L"\\ProgID", nullptr, kProgId);
  bien &= Escribe(raiz, clase + L"\\VersionIndependentProgID", nullptr, kProgId);
  bien &= Escribe(raiz, clase + L"\\InprocServer32", nullptr, ruta);
  bien &= Escribe(raiz, clase + L"\\InprocServer32", L"ThreadingModel", L"Apartment");
  bien &= Escribe(raiz, clase + L"\\TypeLib", nullptr, Texto(LIBID_Vardel));
  bien &= Escribe(raiz, clase + L"\\Version", nullptr, L"1.1");
  bien &= Escribe(raiz, clase + L"\\Programmable", nullptr, L"");
  return bien;
}

}  // namespace

HRESULT RegistraServidor(Ambito ambito) {
  std::wstring ruta = RutaServidor();
  if (ruta.empty()) {
    return SELFREG_E_CLASS;
  }
  Puntero<ITypeLib> biblioteca;
  if (FAILED(BibliotecaTipos(biblioteca.put()))) {
    return SELFREG_E_TYPELIB;
  }
  const InterfazAjena interfaz;
  const HRESULT tipos = ambito == Ambito::kMaquina
                            ? RegisterTypeLib(biblioteca.get(), ruta.data(), nullptr)
                            : RegisterTypeLibForUser(biblioteca.get(), ruta.data(), nullptr);
  if (FAILED(tipos)) {
    return SELFREG_E_TYPELIB;
  }
  interfaz.Restaura();
  BorraProgIdAnterior(Raiz(ambito));
  return EscribeClaves(Raiz(ambito), ruta) ? S_OK : SELFREG_E_CLASS;
}

HRESULT DesregistraServidor(Ambito ambito) {
  const HKEY raiz = Raiz(ambito);
  const std::wstring clases(kClases);
  const std::wstring clase = clases + L"CLSID\\" + Texto(CLSID_Comunica);
  BorraArbol(raiz, clase);

  // Where there is no other view (a 32-bit system) this reads our own key,
  // just removed.
  const bool otra_arquitectura = Existe(raiz, clase + L"\\InprocServer32", kVistaOtraArquitectura);
  if (otra_arquitectura) {
    BorraArbol(raiz,
               clases + L"TypeLib\\" + Texto(LIBID_Vardel) + L"\\1.1\\409\\" + kSubclaveSistema);
    return S_OK;
  }
  BorraArbol(raiz, clases + kProgId);
  BorraProgIdAnterior(raiz);
  const InterfazAjena interfaz;
  if (ambito == Ambito::kMaquina) {
    UnRegisterTypeLib(LIBID_Vardel, kVersionMayor, kVersionMenor, kLcid, kSistema);
  } else {
    UnRegisterTypeLibForUser(LIBID_Vardel, kVersionMayor, kVersionMenor, kLcid, kSistema);
  }
  // What UnRegisterTypeLib cannot find when this architecture's entry is
  // already gone (an earlier unregistration while the other was present).
  BorraArbol(raiz, clases + L"TypeLib\\" + Texto(LIBID_Vardel));
  BorraArbol(raiz, clases + L"Interface\\" + Texto(IID__Comunica));
  BorraArbol(raiz, clases + L"Interface\\" + Texto(DIID___Comunica));
  const std::wstring coleccion = clases + L"Interface\\" + Texto(IID__Collection);
  const auto biblioteca = Lee(raiz, coleccion + L"\\TypeLib", nullptr);
  if (biblioteca && _wcsicmp(biblioteca->c_str(), Texto(LIBID_Vardel).c_str()) == 0) {
    BorraArbol(raiz, coleccion);
  }
  interfaz.Restaura();
  return S_OK;
}

}  // namespace vardel::com
