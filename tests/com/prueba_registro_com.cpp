// Registration of Vardel.dll as an installer and a host see it: the real
// regsvr32 for the machine and for the current user, the keys written and
// removed, the unload rule, and the type library's identifiers and DISPIDs.
#include <gmock/gmock.h>

#include <string>
#include <utility>

#include "component/com/puntero_com.h"
#include "entorno_com.h"
#include "vardel_h.h"

namespace vardel::prueba {
namespace {

const std::wstring kClase = L"CLSID\\" + TextoGuid(CLSID_Comunica);
const std::wstring kColeccion = L"Interface\\" + TextoGuid(IID__Collection);
// The automation runtime's own library, which registers _Collection.
const std::wstring kBibliotecaRuntime = L"{000204EF-0000-0000-C000-000000000046}";

class RegistroCom : public testing::Test {
 protected:
  void SetUp() override { CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED); }
  void TearDown() override {
    CoFreeUnusedLibraries();
    CoUninitialize();
  }
  CarpetaServidor carpeta_;
};

// An export of the DLL as a function of its own type.
template <class Tipo>
Tipo Funcion(HMODULE dll, const char* nombre) {
  return reinterpret_cast<Tipo>(reinterpret_cast<void*>(GetProcAddress(dll, nombre)));
}

bool UsuarioVisibleEnClases() {
  HKEY clave = nullptr;
  RegCreateKeyExW(HKEY_CURRENT_USER, L"Software\\Classes\\VardelPruebaVista", 0, nullptr, 0,
                  KEY_WRITE, nullptr, &clave, nullptr);
  RegCloseKey(clave);
  const bool visible = ExisteClave(HKEY_CLASSES_ROOT, L"VardelPruebaVista");
  RegDeleteTreeW(HKEY_CURRENT_USER, L"Software\\Classes\\VardelPruebaVista");
  return visible;
}

bool Creable() {
  CLSID clsid{};
  if (FAILED(CLSIDFromProgID(L"Vardel.Comunica", &clsid))) {
    return false;
  }
  com::Puntero<IDispatch> objeto;
  return SUCCEEDED(
      CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IID_IDispatch, objeto.put_void()));
}

// What a host gets when it asks the system for the class's ProgID.
std::wstring ProgIdDeLaClase() {
  LPOLESTR progid = nullptr;
  if (FAILED(ProgIDFromCLSID(CLSID_Comunica, &progid))) {
    return L"(none)";
  }
  std::wstring texto(progid);
  CoTaskMemFree(progid);
  return texto;
}

// The versioned ProgID that earlier builds registered, with its CurVer.
void EscribeProgIdAnterior() {
  const std::wstring clases = L"Software\\Classes\\";
  for (const auto& [clave, valor] :
       {std::pair{L"Vardel.Comunica.1\\CLSID", TextoGuid(CLSID_Comunica)},
        std::pair{L"Vardel.Comunica\\CurVer", std::wstring(L"Vardel.Comunica.1")}}) {
    HKEY abierta = nullptr;
    RegCreateKeyExW(HKEY_LOCAL_MACHINE, (clases + clave).c_str(), 0, nullptr, 0, KEY_WRITE, nullptr,
                    &abierta, nullptr);
    RegSetValueExW(abierta, nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>(valor.c_str()),
                   static_cast<DWORD>((valor.size() + 1) * sizeof(wchar_t)));
    RegCloseKey(abierta);
  }
}

// A machine that had an earlier build registered: registering names the
// one ProgID and drops the versioned one; so does unregistering.
TEST_F(RegistroCom, LasClavesDelProgIdVersionadoAnteriorSeBorran) {
  EscribeProgIdAnterior();
  ASSERT_TRUE(ExisteClave(HKEY_CLASSES_ROOT, L"Vardel.Comunica.1"));
  ASSERT_EQ(RegSvr32(L"/s", carpeta_.RutaDll()), 0u);
  EXPECT_EQ(ProgIdDeLaClase(), L"Vardel.Comunica");
  EXPECT_FALSE(ExisteClave(HKEY_CLASSES_ROOT, L"Vardel.Comunica.1"));
  EXPECT_FALSE(ExisteClave(HKEY_CLASSES_ROOT, L"Vardel.Comunica\\CurVer"));

  EscribeProgIdAnterior();
  ASSERT_EQ(RegSvr32(L"/s /u", carpeta_.RutaDll()), 0u);
  EXPECT_FALSE(ExisteClave(HKEY_CLASSES_ROOT, L"Vardel.Comunica.1"));
  EXPECT_FALSE(ExisteClave(HKEY_CLASSES_ROOT, L"Vardel.Comunica"));
}

TEST_F(RegistroCom, Regsvr32EscribeYBorraLasClavesDeLaMaquina) {
  ASSERT_EQ(RegSvr32(L"/s", carpeta_.RutaDll()), 0u);
  const HKEY clases = HKEY_CLASSES_ROOT;
  EXPECT_EQ(LeeRegistro(clases, L"Vardel.Comunica\\CLSID"), TextoGuid(CLSID_Comunica));
  EXPECT_EQ(ProgIdDeLaClase(), L"Vardel.Comunica");
  EXPECT_FALSE(ExisteClave(clases, L"Vardel.Comunica\\CurVer"));
  EXPECT_FALSE(ExisteClave(clases, L"Vardel.Comunica.1"));
  EXPECT_EQ(LeeRegistro(clases, kClase + L"\\VersionIndependentProgID"), L"Vardel.Comunica");
  EXPECT_EQ(LeeRegistro(clases, kClase + L"\\TypeLib"), TextoGuid(LIBID_Vardel));
  EXPECT_EQ(LeeRegistro(clases, kClase + L"\\InprocServer32", L"ThreadingModel"), L"Apartment");
  const auto servidor = LeeRegistro(clases, kClase + L"\\InprocServer32");
  ASSERT_TRUE(servidor.has_value());
  EXPECT_EQ(_wcsicmp(servidor->c_str(), carpeta_.RutaDll().c_str()), 0);
  EXPECT_TRUE(ExisteClave(clases, L"TypeLib\\" + TextoGuid(LIBID_Vardel) + L"\\1.1\\409"));
  EXPECT_TRUE(ExisteClave(clases, L"Interface\\" + TextoGuid(IID__Comunica)));
  EXPECT_TRUE(Creable());
  CoFreeUnusedLibraries();

  ASSERT_EQ(RegSvr32(L"/s /u", carpeta_.RutaDll()), 0u);
  EXPECT_FALSE(ExisteClave(clases, L"Vardel.Comunica"));
  EXPECT_FALSE(ExisteClave(clases, L"Vardel.Comunica.1"));
  EXPECT_FALSE(ExisteClave(clases, kClase));
  EXPECT_FALSE(ExisteClave(clases, L"TypeLib\\" + TextoGuid(LIBID_Vardel)));
  EXPECT_FALSE(ExisteClave(clases, L"Interface\\" + TextoGuid(IID__Comunica)));
  EXPECT_FALSE(Creable());
}

TEST_F(RegistroCom, PorUsuarioSinDerechosDeAdministrador) {
  ASSERT_EQ(RegSvr32(L"/s /n /i:user", carpeta_.RutaDll()), 0u);
  const std::wstring usuario = L"Software\\Classes\\";
  EXPECT_EQ(LeeRegistro(HKEY_CURRENT_USER, usuario + L"Vardel.Comunica\\CLSID"),
            TextoGuid(CLSID_Comunica));
  EXPECT_TRUE(ExisteClave(HKEY_CURRENT_USER, usuario + kClase + L"\\InprocServer32"));
  EXPECT_FALSE(ExisteClave(HKEY_LOCAL_MACHINE, usuario + kClase));
  {
    com::Puntero<ITypeLib> biblioteca;
    EXPECT_EQ(LoadRegTypeLib(LIBID_Vardel, 1, 1, 0x409, biblioteca.put()), S_OK);
  }
  // Windows merges the user's classes into HKEY_CLASSES_ROOT; Wine 8 does
  // not, so there the object cannot be created from them.
  if (UsuarioVisibleEnClases()) {
    EXPECT_TRUE(Creable());
    CoFreeUnusedLibraries();
  }

  ASSERT_EQ(RegSvr32(L"/s /u /n /i:user", carpeta_.RutaDll()), 0u);
  EXPECT_FALSE(ExisteClave(HKEY_CURRENT_USER, usuario + L"Vardel.Comunica"));
  EXPECT_FALSE(ExisteClave(HKEY_CURRENT_USER, usuario + kClase));
  EXPECT_FALSE(ExisteClave(HKEY_CURRENT_USER, usuario + L"TypeLib\\" + TextoGuid(LIBID_Vardel)));
  EXPECT_FALSE(ExisteClave(HKEY_CLASSES_ROOT, L"TypeLib\\" + TextoGuid(LIBID_Vardel)));
  EXPECT_FALSE(Creable());
}

// On a counter machine the automation runtime has registered _Collection
// with its own library; installing and removing this component keeps that.
TEST_F(RegistroCom, ElRegistroDeLaColeccionDelRuntimeSobrevive) {
  HKEY clave = nullptr;
  const std::wstring biblioteca = L"Software\\Classes\\" + kColeccion + L"\\TypeLib";
  ASSERT_EQ(RegCreateKeyExW(HKEY_LOCAL_MACHINE, biblioteca.c_str(), 0, nullptr, 0, KEY_WRITE,
                            nullptr, &clave, nullptr),
            ERROR_SUCCESS);
  RegSetValueExW(clave, nullptr, 0, REG_SZ,
                 reinterpret_cast<const BYTE*>(kBibliotecaRuntime.c_str()),
                 static_cast<DWORD>((kBibliotecaRuntime.size() + 1) * sizeof(wchar_t)));
  RegSetValueExW(clave, L"Version", 0, REG_SZ, reinterpret_cast<const BYTE*>(L"6.0"),
                 4 * sizeof(wchar_t));
  RegCloseKey(clave);

  for (const wchar_t* alta : {L"/s", L"/s /n /i:user"}) {
    SCOPED_TRACE(Utf8(alta));
    const std::wstring baja = std::wstring(L"/u ") + alta;
    ASSERT_EQ(RegSvr32(alta, carpeta_.RutaDll()), 0u);
    EXPECT_EQ(LeeRegistro(HKEY_CLASSES_ROOT, kColeccion + L"\\TypeLib"), kBibliotecaRuntime);
    ASSERT_EQ(RegSvr32(baja, carpeta_.RutaDll()), 0u);
    EXPECT_EQ(LeeRegistro(HKEY_CLASSES_ROOT, kColeccion + L"\\TypeLib"), kBibliotecaRuntime);
    EXPECT_EQ(LeeRegistro(HKEY_CLASSES_ROOT, kColeccion + L"\\TypeLib", L"Version"), L"6.0");
  }
  RegDeleteTreeW(HKEY_LOCAL_MACHINE, (L"Software\\Classes\\" + kColeccion).c_str());
}

// The 32-bit and the 64-bit DLL registered side by side: removing one
// keeps what the other needs. The other architecture is stood in for by its
// keys (its own registry view for the class, its entry of the type library).
TEST_F(RegistroCom, DesregistrarUnaArquitecturaNoRompeLaOtra) {
#ifdef _WIN64
  const REGSAM otra_vista = KEY_WOW64_32KEY;
  const std::wstring propia = L"win64";
  const std::wstring otra = L"win32";
#else
  const REGSAM otra_vista = KEY_WOW64_64KEY;
  const std::wstring propia = L"win32";
  const std::wstring otra = L"win64";
#endif
  const std::wstring version = L"TypeLib\\" + TextoGuid(LIBID_Vardel) + L"\\1.1\\409\\";
  ASSERT_EQ(RegSvr32(L"/s", carpeta_.RutaDll()), 0u);
  HKEY clave = nullptr;
  const std::wstring servidor_otro = L"Software\\Classes\\" + kClase + L"\\InprocServer32";
  ASSERT_EQ(RegCreateKeyExW(HKEY_LOCAL_MACHINE, servidor_otro.c_str(), 0, nullptr, 0,
                            KEY_WRITE | otra_vista, nullptr, &clave, nullptr),
            ERROR_SUCCESS);
  RegCloseKey(clave);
  ASSERT_EQ(RegCreateKeyExW(HKEY_CLASSES_ROOT, (version + otra).c_str(), 0, nullptr, 0, KEY_WRITE,
                            nullptr, &clave, nullptr),
            ERROR_SUCCESS);
  RegCloseKey(clave);

  ASSERT_EQ(RegSvr32(L"/s /u", carpeta_.RutaDll()), 0u);
  EXPECT_FALSE(ExisteClave(HKEY_CLASSES_ROOT, kClase));
  EXPECT_FALSE(ExisteClave(HKEY_CLASSES_ROOT, version + propia));
  EXPECT_TRUE(ExisteClave(HKEY_CLASSES_ROOT, version + otra));
  EXPECT_TRUE(ExisteClave(HKEY_CLASSES_ROOT, L"Vardel.Comunica\\CLSID"));
  EXPECT_TRUE(ExisteClave(HKEY_CLASSES_ROOT, L"Interface\\" + TextoGuid(IID__Comunica)));

  // Once the other one goes too, nothing of the component is left.
  RegDeleteTreeW(HKEY_CLASSES_ROOT, (version + otra).c_str());
  RegDeleteKeyExW(HKEY_LOCAL_MACHINE, servidor_otro.c_str(), otra_vista, 0);
  RegDeleteKeyExW(HKEY_LOCAL_MACHINE, (L"Software\\Classes\\" + kClase).c_str(), otra_vista, 0);
  ASSERT_EQ(RegSvr32(L"/s /u", carpeta_.RutaDll()), 0u);
  EXPECT_FALSE(ExisteClave(HKEY_CLASSES_ROOT, L"Vardel.Comunica"));
  EXPECT_FALSE(ExisteClave(HKEY_CLASSES_ROOT, L"Interface\\" + TextoGuid(IID__Comunica)));
  EXPECT_FALSE(ExisteClave(HKEY_CLASSES_ROOT, L"TypeLib\\" + TextoGuid(LIBID_Vardel)));
}

TEST_F(RegistroCom, SeDescargaSoloSinObjetosNiBloqueos) {
  HMODULE dll = LoadLibraryW(carpeta_.RutaDll().c_str());
  ASSERT_NE(dll, nullptr);
  using Registra = HRESULT(WINAPI*)();
  using Descarga = HRESULT(WINAPI*)();
  using ObtieneClase = HRESULT(WINAPI*)(REFCLSID, REFIID, void**);
  const auto registra = Funcion<Registra>(dll, "DllRegisterServer");
  const auto desregistra = Funcion<Registra>(dll, "DllUnregisterServer");
  const auto descarga = Funcion<Descarga>(dll, "DllCanUnloadNow");
  const auto clase = Funcion<ObtieneClase>(dll, "DllGetClassObject");
  ASSERT_TRUE(registra && desregistra && descarga && clase);
  EXPECT_NE(GetProcAddress(dll, "DllInstall"), nullptr);

  ASSERT_EQ(registra(), S_OK);
  EXPECT_EQ(LeeRegistro(HKEY_CLASSES_ROOT, L"Vardel.Comunica\\CLSID"), TextoGuid(CLSID_Comunica));
  EXPECT_EQ(descarga(), S_OK);

  // Let go at set moments: the object where the module's answer to its
  // going is checked, the factory (and an aggregate it should have refused)
  // before the DLL is freed.
  com::Puntero<IClassFactory> fabrica;
  EXPECT_EQ(clase(IID_IDispatch, IID_IClassFactory, fabrica.put_void()), CLASS_E_CLASSNOTAVAILABLE);
  ASSERT_EQ(clase(CLSID_Comunica, IID_IClassFactory, fabrica.put_void()), S_OK);
  EXPECT_EQ(descarga(), S_OK);
  com::Puntero<IUnknown> agregado;
  EXPECT_EQ(fabrica->CreateInstance(reinterpret_cast<IUnknown*>(fabrica.get()), IID_IUnknown,
                                    agregado.put_void()),
            CLASS_E_NOAGGREGATION);
  com::Puntero<IDispatch> objeto;
  ASSERT_EQ(fabrica->CreateInstance(nullptr, IID_IDispatch, objeto.put_void()), S_OK);
  EXPECT_EQ(descarga(), S_FALSE);
  objeto.reset();
  EXPECT_EQ(descarga(), S_OK);
  fabrica->LockServer(TRUE);
  EXPECT_EQ(descarga(), S_FALSE);
  fabrica->LockServer(FALSE);
  EXPECT_EQ(descarga(), S_OK);
  agregado.reset();
  fabrica.reset();

  EXPECT_EQ(desregistra(), S_OK);
  EXPECT_FALSE(ExisteClave(HKEY_CLASSES_ROOT, L"Vardel.Comunica"));
  FreeLibrary(dll);
}

// What a host or a tool reads from the registered type library.
TEST_F(RegistroCom, LaBibliotecaDeTiposDeclaraIdentificadoresYDispids) {
  ASSERT_EQ(RegSvr32(L"/s", carpeta_.RutaDll()), 0u);
  com::Puntero<ITypeLib> biblioteca;
  ASSERT_EQ(LoadRegTypeLib(LIBID_Vardel, 1, 1, 0x409, biblioteca.put()), S_OK);
  TLIBATTR* atributos_biblioteca = nullptr;
  biblioteca->GetLibAttr(&atributos_biblioteca);
  EXPECT_EQ(atributos_biblioteca->wMajorVerNum, 1);
  EXPECT_EQ(atributos_biblioteca->wMinorVerNum, 1);
  EXPECT_EQ(atributos_biblioteca->lcid, 0x409u);
  biblioteca->ReleaseTLibAttr(atributos_biblioteca);

  // The class: creatable, the application object, its two interfaces.
  com::Puntero<ITypeInfo> clase;
  ASSERT_EQ(biblioteca->GetTypeInfoOfGuid(CLSID_Comunica, clase.put()), S_OK);
  TYPEATTR* atributos = nullptr;
  clase->GetTypeAttr(&atributos);
  EXPECT_EQ(atributos->typekind, TKIND_COCLASS);
  EXPECT_TRUE(atributos->wTypeFlags & TYPEFLAG_FCANCREATE);
  EXPECT_TRUE(atributos->wTypeFlags & TYPEFLAG_FAPPOBJECT);
  ASSERT_EQ(atributos->cImplTypes, 2);
  clase->ReleaseTypeAttr(atributos);
  for (UINT i = 0; i < 2; ++i) {
    INT banderas = 0;
    HREFTYPE referencia = 0;
    com::Puntero<ITypeInfo> interfaz;
    clase->GetImplTypeFlags(i, &banderas);
    clase->GetRefTypeOfImplType(i, &referencia);
    clase->GetRefTypeInfo(referencia, interfaz.put());
    interfaz->GetTypeAttr(&atributos);
    EXPECT_TRUE(banderas & IMPLTYPEFLAG_FDEFAULT);
    if (banderas & IMPLTYPEFLAG_FSOURCE) {
      EXPECT_TRUE(IsEqualIID(atributos->guid, DIID___Comunica));
    } else {
      EXPECT_TRUE(IsEqualIID(atributos->guid, IID__Comunica));
    }
    interfaz->ReleaseTypeAttr(atributos);
  }
  clase.reset();

  struct Miembro {
    const char* nombre;
    MEMBERID id;
    INVOKEKIND tipo;
    VARTYPE resultado;  // VT_EMPTY: none
  };
  struct Interfaz {
    REFIID iid;
    std::vector<Miembro> miembros;  // in vtable order
  };
  const Interfaz interfaces[] = {
      {IID__Comunica,
       {{"Terminate", 0x60030003, INVOKE_FUNC, VT_EMPTY},
        {"MostrarConfiguracion", 0x60030004, INVOKE_FUNC, VT_VARIANT},
        {"LectoraONOFF", 0x60030005, INVOKE_FUNC, VT_BOOL},
        {"blnLogActivo", 0x40030008, INVOKE_PROPERTYGET, VT_BOOL},
        {"blnLogActivo", 0x40030008, INVOKE_PROPERTYPUT, VT_EMPTY}}},
      {IID__Collection,
       {{"Item", 0, INVOKE_FUNC, VT_VARIANT},
        {"Add", 1, INVOKE_FUNC, VT_EMPTY},
        {"Count", 2, INVOKE_FUNC, VT_I4},
        {"Remove", 3, INVOKE_FUNC, VT_EMPTY},
        {"_NewEnum", DISPID_NEWENUM, INVOKE_FUNC, VT_UNKNOWN}}},
  };
  for (const Interfaz& esperada : interfaces) {
    SCOPED_TRACE(Utf8(TextoGuid(esperada.iid).c_str()));
    com::Puntero<ITypeInfo> despacho;
    ASSERT_EQ(biblioteca->GetTypeInfoOfGuid(esperada.iid, despacho.put()), S_OK);
    despacho->GetTypeAttr(&atributos);
    EXPECT_TRUE(atributos->wTypeFlags & TYPEFLAG_FDUAL);
    despacho->ReleaseTypeAttr(atributos);
    // The vtable view: IDispatch's seven slots, then the members in order.
    HREFTYPE referencia = 0;
    com::Puntero<ITypeInfo> vtable;
    ASSERT_EQ(despacho->GetRefTypeOfImplType(static_cast<UINT>(-1), &referencia), S_OK);
    ASSERT_EQ(despacho->GetRefTypeInfo(referencia, vtable.put()), S_OK);
    vtable->GetTypeAttr(&atributos);
    ASSERT_EQ(atributos->cFuncs, esperada.miembros.size());
    vtable->ReleaseTypeAttr(atributos);
    for (UINT i = 0; i < esperada.miembros.size(); ++i) {
      const Miembro& miembro = esperada.miembros[i];
      FUNCDESC* funcion = nullptr;
      ASSERT_EQ(vtable->GetFuncDesc(i, &funcion), S_OK);
      BSTR nombre = nullptr;
      UINT cuantos = 0;
      vtable->GetNames(funcion->memid, &nombre, 1, &cuantos);
      EXPECT_EQ(Utf8(nombre), miembro.nombre);
      SysFreeString(nombre);
      EXPECT_EQ(funcion->memid, miembro.id) << miembro.nombre;
      EXPECT_EQ(funcion->invkind, miembro.tipo) << miembro.nombre;
      EXPECT_EQ(funcion->oVft, static_cast<SHORT>((7 + i) * sizeof(void*))) << miembro.nombre;
      VARTYPE resultado = VT_EMPTY;
      if (funcion->cParams > 0) {
        const ELEMDESC& ultimo = funcion->lprgelemdescParam[funcion->cParams - 1];
        if (ultimo.paramdesc.wParamFlags & PARAMFLAG_FRETVAL) {
          resultado = ultimo.tdesc.lptdesc->vt;
        }
      }
      EXPECT_EQ(resultado, miembro.resultado) << miembro.nombre;
      vtable->ReleaseFuncDesc(funcion);
    }
  }

  // The events: DISPIDs 1 to 3 with their arguments' types.
  com::Puntero<ITypeInfo> eventos;
  ASSERT_EQ(biblioteca->GetTypeInfoOfGuid(DIID___Comunica, eventos.put()), S_OK);
  eventos->GetTypeAttr(&atributos);
  EXPECT_EQ(atributos->typekind, TKIND_DISPATCH);
  EXPECT_FALSE(atributos->wTypeFlags & TYPEFLAG_FDUAL);
  ASSERT_EQ(atributos->cFuncs, 3);
  eventos->ReleaseTypeAttr(atributos);
  struct Evento {
    const char* nombre;
    std::vector<VARTYPE> argumentos;
  };
  const Evento esperados[] = {
      {"LectoraDatos", {VT_PTR}}, {"LectoraError", {VT_I4, VT_BSTR}}, {"LectoraActiva", {VT_BOOL}}};
  for (UINT i = 0; i < 3; ++i) {
    FUNCDESC* funcion = nullptr;
    ASSERT_EQ(eventos->GetFuncDesc(i, &funcion), S_OK);
    BSTR nombre = nullptr;
    UINT cuantos = 0;
    eventos->GetNames(funcion->memid, &nombre, 1, &cuantos);
    EXPECT_EQ(Utf8(nombre), esperados[i].nombre);
    SysFreeString(nombre);
    EXPECT_EQ(funcion->memid, static_cast<MEMBERID>(i + 1));
    std::vector<VARTYPE> tipos;
    for (SHORT p = 0; p < funcion->cParams; ++p) {
      tipos.push_back(funcion->lprgelemdescParam[p].tdesc.vt);
    }
    EXPECT_EQ(tipos, esperados[i].argumentos) << esperados[i].nombre;
    eventos->ReleaseFuncDesc(funcion);
  }
  // The type library is let go before the server is unregistered (the
  // class's type info, which holds it too, went after its loop).
  eventos.reset();
  biblioteca.reset();
  EXPECT_EQ(RegSvr32(L"/s /u", carpeta_.RutaDll()), 0u);
}

}  // namespace
}  // namespace vardel::prueba
