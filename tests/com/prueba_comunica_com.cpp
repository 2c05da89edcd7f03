// The class Comunica as a C++ host uses it: registered with regsvr32,
// created by ProgID, called late-bound and through its vtable, its events
// sunk, the data collections read, errors with number and description.
#include <windows.h>

#include <olectl.h>

#include <gmock/gmock.h>

#include <cstring>
#include <filesystem>
#include <functional>
#include <thread>
#include <vector>

#include "component/com/puntero_com.h"
#include "entorno_com.h"
#include "receptor_eventos.h"
#include "vardel_h.h"

namespace vardel::prueba {
namespace {

using testing::ElementsAre;

constexpr HRESULT kErrorArgumento = static_cast<HRESULT>(0x800A0005);
constexpr HRESULT kErrorSubindice = static_cast<HRESULT>(0x800A0009);
constexpr HRESULT kErrorClaveDuplicada = static_cast<HRESULT>(0x800A01C9);
constexpr HRESULT kErrorRutaNoEncontrada = static_cast<HRESULT>(0x800A004C);

VARIANT Texto(const wchar_t* texto) {
  VARIANT v;
  VariantInit(&v);
  v.vt = VT_BSTR;
  v.bstrVal = SysAllocString(texto);
  return v;
}

VARIANT Entero(LONG valor) {
  VARIANT v;
  VariantInit(&v);
  v.vt = VT_I4;
  v.lVal = valor;
  return v;
}

class ComunicaCom : public testing::Test {
 protected:
  static void SetUpTestSuite() {
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    carpeta_ = new CarpetaServidor();
    ASSERT_EQ(RegSvr32(L"/s", carpeta_->RutaDll()), 0u);
  }
  static void TearDownTestSuite() {
    RegSvr32(L"/s /u", carpeta_->RutaDll());
    CoFreeUnusedLibraries();
    CoUninitialize();
    delete carpeta_;
  }
  void SetUp() override {
    carpeta_->EscribeConfig(carpeta_->DirectorioImagenes());
    carpeta_->EscribeEscenario(kEscenarioBandeja);
  }

  // A new object by ProgID, as scripts and late-bound hosts create it.
  static com::Puntero<_Comunica> Crea() {
    com::Puntero<_Comunica> objeto;
    EXPECT_EQ(CreaPorProgId(L"Vardel.Comunica", IID__Comunica, objeto.put_void()), S_OK);
    return objeto;
  }

  // The item `clave` of a collection, read late-bound (c("Clave")).
  static void Item(IDispatch* coleccion, VARIANT indice, VARIANT* resultado) {
    DISPPARAMS parametros{&indice, nullptr, 1, 0};
    UINT erroneo = 0;
    ASSERT_EQ(coleccion->Invoke(DISPID_VALUE, IID_NULL, 0, DISPATCH_METHOD | DISPATCH_PROPERTYGET,
                                &parametros, resultado, nullptr, &erroneo),
              S_OK);
    VariantClear(&indice);
  }

  static CarpetaServidor* carpeta_;
};

CarpetaServidor* ComunicaCom::carpeta_ = nullptr;

TEST_F(ComunicaCom, SeCreaPorSuProgIdYOfreceSusInterfaces) {
  CLSID clsid{};
  ASSERT_EQ(CLSIDFromProgID(L"Vardel.Comunica", &clsid), S_OK);
  EXPECT_TRUE(IsEqualCLSID(clsid, CLSID_Comunica));
  // The class has one ProgID: no versioned one.
  EXPECT_EQ(CLSIDFromProgID(L"Vardel.Comunica.1", &clsid), CO_E_CLASSSTRING);
  com::Puntero<IUnknown> objeto;
  ASSERT_EQ(CoCreateInstance(CLSID_Comunica, nullptr, CLSCTX_INPROC_SERVER, IID_IUnknown,
                             objeto.put_void()),
            S_OK);
  for (REFIID iid : {IID_IDispatch, IID__Comunica, IID_IConnectionPointContainer,
                     IID_IProvideClassInfo, IID_IProvideClassInfo2, IID_ISupportErrorInfo}) {
    com::Puntero<IUnknown> interfaz;
    EXPECT_EQ(objeto->QueryInterface(iid, interfaz.put_void()), S_OK)
        << Utf8(TextoGuid(iid).c_str());
    if (interfaz) {
      // One identity: IUnknown through any interface is the same pointer.
      com::Puntero<IUnknown> identidad;
      interfaz->QueryInterface(IID_IUnknown, identidad.put_void());
      EXPECT_EQ(identidad.get(), objeto.get());
    }
  }
  // A plain pointer, set beforehand: the refused call must empty it (a
  // holder's put() would empty it first).
  IUnknown* ajena = objeto.get();
  EXPECT_EQ(objeto->QueryInterface(IID_IClassFactory, reinterpret_cast<void**>(&ajena)),
            E_NOINTERFACE);
  EXPECT_EQ(ajena, nullptr);
  // Each interface below is let go at the end of its block, before the
  // count of the last reference is checked.
  {
    com::Puntero<IProvideClassInfo2> clase;
    ASSERT_EQ(objeto->QueryInterface(IID_IProvideClassInfo2, clase.put_void()), S_OK);
    GUID fuente{};
    EXPECT_EQ(clase->GetGUID(GUIDKIND_DEFAULT_SOURCE_DISP_IID, &fuente), S_OK);
    EXPECT_TRUE(IsEqualIID(fuente, DIID___Comunica));
    com::Puntero<ITypeInfo> info;
    ASSERT_EQ(clase->GetClassInfo(info.put()), S_OK);
    TYPEATTR* atributos = nullptr;
    info->GetTypeAttr(&atributos);
    EXPECT_TRUE(IsEqualCLSID(atributos->guid, CLSID_Comunica));
    info->ReleaseTypeAttr(atributos);
  }
  {
    com::Puntero<ISupportErrorInfo> errores;
    objeto->QueryInterface(IID_ISupportErrorInfo, errores.put_void());
    EXPECT_EQ(errores->InterfaceSupportsErrorInfo(IID__Comunica), S_OK);
  }
  // The host's last reference: the object goes with it.
  EXPECT_EQ(objeto.detach()->Release(), 0u);
}

TEST_F(ComunicaCom, LosMiembrosRespondenPorNombreYPorVtable) {
  com::Puntero<_Comunica> objeto = Crea();
  ASSERT_NE(objeto.get(), nullptr);
  Variante resultado;
  EXCEPINFO excepcion{};

  // LectoraONOFF: the simulated reader is present.
  ASSERT_EQ(
      LlamaPorNombre(objeto.get(), L"lectoraonoff", DISPATCH_METHOD, &resultado.v, &excepcion),
      S_OK);
  EXPECT_EQ(resultado.v.vt, VT_BOOL);
  EXPECT_EQ(resultado.v.boolVal, VARIANT_TRUE);
  VARIANT_BOOL conectada = VARIANT_FALSE;
  ASSERT_EQ(objeto->LectoraONOFF(&conectada), S_OK);
  EXPECT_EQ(conectada, VARIANT_TRUE);

  // blnLogActivo: False at creation; a Long -1 from a script is True.
  VARIANT_BOOL registro = VARIANT_TRUE;
  ASSERT_EQ(objeto->get_blnLogActivo(&registro), S_OK);
  EXPECT_EQ(registro, VARIANT_FALSE);
  ASSERT_EQ(LlamaPorNombre(objeto.get(), L"blnLogActivo", DISPATCH_PROPERTYPUT, nullptr, &excepcion,
                           {Entero(-1)}),
            S_OK);
  ASSERT_EQ(objeto->get_blnLogActivo(&registro), S_OK);
  EXPECT_EQ(registro, VARIANT_TRUE);
  ASSERT_EQ(objeto->put_blnLogActivo(VARIANT_FALSE), S_OK);
  VariantClear(&resultado.v);
  ASSERT_EQ(
      LlamaPorNombre(objeto.get(), L"blnLogActivo", DISPATCH_PROPERTYGET, &resultado.v, &excepcion),
      S_OK);
  EXPECT_EQ(resultado.v.vt, VT_BOOL);
  EXPECT_EQ(resultado.v.boolVal, VARIANT_FALSE);

  // Terminate with an empty tray, late-bound: logging follows "LogActivo".
  carpeta_->EscribeEscenario(kEscenarioVacio);
  ASSERT_EQ(LlamaPorNombre(objeto.get(), L"Terminate", DISPATCH_METHOD, nullptr, &excepcion), S_OK);
  ASSERT_EQ(objeto->get_blnLogActivo(&registro), S_OK);
  EXPECT_EQ(registro, VARIANT_TRUE);
  ASSERT_EQ(objeto->Terminate(), S_OK);

  EXPECT_EQ(LlamaPorNombre(objeto.get(), L"NoExiste", DISPATCH_METHOD, nullptr, &excepcion),
            DISP_E_UNKNOWNNAME);

  // MostrarConfiguracion always gives Empty. Without a display the modal
  // screen returns at once; with one it would wait for an operator.
  if (GetEnvironmentVariableW(L"DISPLAY", nullptr, 0) == 0) {
    Variante vacio;
    ASSERT_EQ(LlamaPorNombre(objeto.get(), L"MostrarConfiguracion", DISPATCH_METHOD, &vacio.v,
                             &excepcion),
              S_OK);
    EXPECT_EQ(vacio.v.vt, VT_EMPTY);
    Variante por_vtable;
    por_vtable.v.vt = VT_I4;
    ASSERT_EQ(objeto->MostrarConfiguracion(&por_vtable.v), S_OK);
    EXPECT_EQ(por_vtable.v.vt, VT_EMPTY);
  }
}

TEST_F(ComunicaCom, TerminateEntregaLosDatosDeCadaDocumentoConSusTipos) {
  // Made first, so the cheques it keeps outlive the object.
  ReceptorEventos receptor;
  com::Puntero<_Comunica> objeto = Crea();
  ASSERT_EQ(receptor.Conecta(objeto.get()), S_OK);
  ASSERT_EQ(objeto->Terminate(), S_OK);
  receptor.Desconecta();
  ASSERT_EQ(receptor.eventos.size(), 3u);
  for (const auto& evento : receptor.eventos) {
    EXPECT_EQ(evento.id, 1);
    ASSERT_EQ(evento.argumentos.size(), 1u);
    ASSERT_EQ(evento.argumentos[0].vt, VT_DISPATCH);
    ASSERT_NE(evento.argumentos[0].pdispVal, nullptr);
  }

  // The first cheque by key: texts, and the amount as a Double.
  IDispatch* primero = receptor.eventos[0].argumentos[0].pdispVal;
  struct Campo {
    const wchar_t* clave;
    const wchar_t* texto;
  };
  for (const Campo& campo :
       {Campo{L"NumDoc", L"1234567"}, Campo{L"Entidad", L"0049"}, Campo{L"oficina", L"1234"},
        Campo{L"CUENTA", L"0123456789"}, Campo{L"TipoDoc", L"0012"}, Campo{L"FechaVto", L""}}) {
    Variante valor;
    Item(primero, Texto(campo.clave), &valor.v);
    ASSERT_EQ(valor.v.vt, VT_BSTR) << Utf8(campo.clave);
    EXPECT_EQ(Utf8(valor.v.bstrVal), Utf8(campo.texto));
  }
  Variante importe;
  Item(primero, Texto(L"Importe"), &importe.v);
  ASSERT_EQ(importe.v.vt, VT_R8);
  EXPECT_DOUBLE_EQ(importe.v.dblVal, 123.45);
  Variante quinto;
  Item(primero, Entero(5), &quinto.v);
  EXPECT_EQ(quinto.v.vt, VT_R8);

  // The second by position and For Each: the due date as a Date.
  IDispatch* segundo = receptor.eventos[1].argumentos[0].pdispVal;
  Variante enumerador;
  EXCEPINFO excepcion{};
  ASSERT_EQ(LlamaPorNombre(segundo, L"_NewEnum", DISPATCH_METHOD | DISPATCH_PROPERTYGET,
                           &enumerador.v, &excepcion),
            S_OK);
  ASSERT_EQ(enumerador.v.vt, VT_UNKNOWN);
  com::Puntero<IEnumVARIANT> recorrido;
  ASSERT_EQ(enumerador.v.punkVal->QueryInterface(IID_IEnumVARIANT, recorrido.put_void()), S_OK);
  std::vector<VARTYPE> tipos;
  VARIANT elemento;
  VariantInit(&elemento);
  ULONG leidos = 0;
  double fecha = 0;
  while (recorrido->Next(1, &elemento, &leidos) == S_OK && leidos == 1) {
    tipos.push_back(elemento.vt);
    if (elemento.vt == VT_DATE) {
      fecha = elemento.date;
    }
    VariantClear(&elemento);
  }
  EXPECT_THAT(tipos, ElementsAre(VT_BSTR, VT_BSTR, VT_BSTR, VT_BSTR, VT_BSTR, VT_BSTR, VT_DATE));
  EXPECT_DOUBLE_EQ(fecha, 46387.0);  // 31/12/2026

  // The unreadable line: the no-data collection, IDERR an Integer.
  com::Puntero<_Collection> tercero;
  ASSERT_EQ(receptor.eventos[2].argumentos[0].pdispVal->QueryInterface(IID__Collection,
                                                                       tercero.put_void()),
            S_OK);
  LONG cuenta = 0;
  ASSERT_EQ(tercero->Count(&cuenta), S_OK);
  EXPECT_EQ(cuenta, 2);
  Variante clave_id;
  clave_id.v = Texto(L"IDERR");
  Variante id_error;
  ASSERT_EQ(tercero->Item(&clave_id.v, &id_error.v), S_OK);
  EXPECT_EQ(id_error.v.vt, VT_I2);
  Variante clave_error;
  clave_error.v = Texto(L"Error");
  Variante texto_error;
  ASSERT_EQ(tercero->Item(&clave_error.v, &texto_error.v), S_OK);
  ASSERT_EQ(texto_error.v.vt, VT_BSTR);
  EXPECT_EQ(Utf8(texto_error.v.bstrVal),
            "Error: 99 - No se ha recogido ningún dato del documento. Vuelva a pasar el talón.");
}

TEST_F(ComunicaCom, LaColeccionFallaComoLaDelRuntime) {
  // Made first, so the cheques it keeps outlive the object.
  ReceptorEventos receptor;
  com::Puntero<_Comunica> objeto = Crea();
  receptor.Conecta(objeto.get());
  carpeta_->EscribeEscenario(
      std::string(kEscenarioBandeja).substr(0, std::string(kEscenarioBandeja).find("[Document2]")));
  ASSERT_EQ(objeto->Terminate(), S_OK);
  ASSERT_EQ(receptor.eventos.size(), 1u);
  IDispatch* datos = receptor.eventos[0].argumentos[0].pdispVal;

  struct Caso {
    const char* nombre;
    std::function<VARIANT()> indice;
    HRESULT scode;
  };
  const Caso casos[] = {
      {"clave que falta", [] { return Texto(L"NoEsta"); }, kErrorArgumento},
      {"posición 0", [] { return Entero(0); }, kErrorSubindice},
      {"posición 8", [] { return Entero(8); }, kErrorSubindice},
  };
  for (const Caso& caso : casos) {
    SCOPED_TRACE(caso.nombre);
    Variante resultado;
    EXCEPINFO excepcion;
    std::memset(&excepcion, 0xA5, sizeof excepcion);
    VARIANT indice = caso.indice();
    ASSERT_EQ(LlamaPorNombre(datos, L"Item", DISPATCH_METHOD, &resultado.v, &excepcion, {indice}),
              DISP_E_EXCEPTION);
    VariantClear(&indice);
    EXPECT_EQ(excepcion.scode, caso.scode);
    EXPECT_EQ(excepcion.wCode, 0);
    EXPECT_EQ(Utf8(excepcion.bstrSource), "Vardel");
    EXPECT_FALSE(Utf8(excepcion.bstrDescription).empty());
    com::VaciaExcepcion(excepcion);
  }

  // Through the vtable: the HRESULT, and the description in IErrorInfo.
  com::Puntero<_Collection> coleccion;
  datos->QueryInterface(IID__Collection, coleccion.put_void());
  Variante falta;
  falta.v = Texto(L"NoEsta");
  Variante nada;
  EXPECT_EQ(coleccion->Item(&falta.v, &nada.v), kErrorArgumento);
  com::Puntero<IErrorInfo> info;
  ASSERT_EQ(GetErrorInfo(0, info.put()), S_OK);
  BSTR descripcion = nullptr;
  info->GetDescription(&descripcion);
  EXPECT_EQ(Utf8(descripcion), "Argumento o llamada a procedimiento no válida");
  SysFreeString(descripcion);

  // Add and Remove behave as the runtime's; a duplicate key is error 457.
  Variante nuevo;
  nuevo.v = Texto(L"valor");
  Variante clave;
  clave.v = Texto(L"Extra");
  Variante sin;
  sin.v.vt = VT_ERROR;
  sin.v.scode = DISP_E_PARAMNOTFOUND;
  ASSERT_EQ(coleccion->Add(&nuevo.v, &clave.v, &sin.v, &sin.v), S_OK);
  LONG cuenta = 0;
  coleccion->Count(&cuenta);
  EXPECT_EQ(cuenta, 8);
  Variante otra;
  otra.v = Texto(L"EXTRA");
  EXPECT_EQ(coleccion->Add(&nuevo.v, &otra.v, nullptr, nullptr), kErrorClaveDuplicada);
  ASSERT_EQ(coleccion->Remove(&otra.v), S_OK);
  coleccion->Count(&cuenta);
  EXPECT_EQ(cuenta, 7);
}

TEST_F(ComunicaCom, UnFalloDeTerminateLlegaConNumeroYDescripcion) {
  com::Puntero<_Comunica> objeto = Crea();
  carpeta_->EscribeConfig(carpeta_->Archivo("no-existe"));
  // An out parameter: a host may hand it over uninitialised.
  EXCEPINFO excepcion;
  std::memset(&excepcion, 0xA5, sizeof excepcion);
  ASSERT_EQ(LlamaPorNombre(objeto.get(), L"Terminate", DISPATCH_METHOD, nullptr, &excepcion),
            DISP_E_EXCEPTION);
  EXPECT_EQ(excepcion.scode, kErrorRutaNoEncontrada);
  EXPECT_EQ(excepcion.wCode, 0);
  EXPECT_EQ(Utf8(excepcion.bstrSource), "Vardel");
  EXPECT_EQ(Utf8(excepcion.bstrDescription), "No se ha encontrado la ruta de acceso");
  com::VaciaExcepcion(excepcion);

  SetErrorInfo(0, nullptr);
  EXPECT_EQ(objeto->Terminate(), kErrorRutaNoEncontrada);
  com::Puntero<IErrorInfo> info;
  ASSERT_EQ(GetErrorInfo(0, info.put()), S_OK);
  BSTR fuente = nullptr;
  BSTR descripcion = nullptr;
  GUID guid{};
  info->GetSource(&fuente);
  info->GetDescription(&descripcion);
  info->GetGUID(&guid);
  EXPECT_EQ(Utf8(fuente), "Vardel");
  EXPECT_EQ(Utf8(descripcion), "No se ha encontrado la ruta de acceso");
  EXPECT_TRUE(IsEqualIID(guid, IID__Comunica));
  SysFreeString(fuente);
  SysFreeString(descripcion);
}

TEST_F(ComunicaCom, UnReceptorQueFallaOSeDesconectaNoPrivaALosDemas) {
  // Made first, so the cheques they keep outlive the object.
  ReceptorEventos que_falla;
  ReceptorEventos que_se_va;
  ReceptorEventos tranquilo;
  com::Puntero<_Comunica> objeto = Crea();
  que_falla.resultado_invoke = E_FAIL;
  que_se_va.al_recibir = [&](const ReceptorEventos::Evento&) { que_se_va.Desconecta(); };
  ASSERT_EQ(que_falla.Conecta(objeto.get()), S_OK);
  ASSERT_EQ(que_se_va.Conecta(objeto.get()), S_OK);
  ASSERT_EQ(tranquilo.Conecta(objeto.get()), S_OK);
  EXPECT_NE(que_falla.Cookie(), que_se_va.Cookie());

  // Let go in the reverse order: the point, its container, the object.
  com::Puntero<IConnectionPointContainer> contenedor;
  objeto->QueryInterface(IID_IConnectionPointContainer, contenedor.put_void());
  com::Puntero<IConnectionPoint> punto;
  ASSERT_EQ(contenedor->FindConnectionPoint(DIID___Comunica, punto.put()), S_OK);
  com::Puntero<IConnectionPoint> ninguno;
  EXPECT_EQ(contenedor->FindConnectionPoint(IID_IDispatch, ninguno.put()), CONNECT_E_NOCONNECTION);
  {
    // The enumeration holds the sinks too: it goes here, before the read.
    com::Puntero<IEnumConnections> conexiones;
    ASSERT_EQ(punto->EnumConnections(conexiones.put()), S_OK);
    CONNECTDATA datos[4] = {};
    ULONG leidas = 0;
    EXPECT_EQ(conexiones->Next(4, datos, &leidas), S_FALSE);
    EXPECT_EQ(leidas, 3u);
    // The sinks' references that Next filled in, given back one by one.
    for (ULONG i = 0; i < leidas; ++i) {
      datos[i].pUnk->Release();
    }
  }
  EXPECT_EQ(punto->Unadvise(12345), CONNECT_E_NOCONNECTION);

  ASSERT_EQ(objeto->Terminate(), S_OK);
  EXPECT_EQ(que_falla.eventos.size(), 3u);
  EXPECT_EQ(que_se_va.eventos.size(), 1u);
  EXPECT_EQ(tranquilo.eventos.size(), 3u);
  que_falla.Desconecta();
  tranquilo.Desconecta();
}

// Apartment-threaded: a pointer smuggled to another thread, unmarshalled,
// is refused rather than run off the object's thread.
TEST_F(ComunicaCom, RechazaLlamadasDesdeOtroHilo) {
  com::Puntero<_Comunica> objeto = Crea();
  HRESULT desde_otro = S_OK;
  std::thread otro([&] {
    VARIANT_BOOL conectada = VARIANT_FALSE;
    desde_otro = objeto->LectoraONOFF(&conectada);
  });
  otro.join();
  EXPECT_EQ(desde_otro, RPC_E_WRONG_THREAD);
  VARIANT_BOOL conectada = VARIANT_FALSE;
  EXPECT_EQ(objeto->LectoraONOFF(&conectada), S_OK);
}

// Whether the module an object came from still holds an object: the
// DllCanUnloadNow of the module of its vtable, which CoCreateInstance
// loaded (another copy of the same DLL may be loaded too).
using DllCanUnloadNowFn = HRESULT(WINAPI*)();
DllCanUnloadNowFn DescargableDe(IUnknown* objeto) {
  HMODULE modulo = nullptr;
  if (!GetModuleHandleExW(
          GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
          *reinterpret_cast<LPCWSTR*>(objeto), &modulo)) {
    return nullptr;
  }
  return reinterpret_cast<DllCanUnloadNowFn>(
      reinterpret_cast<void*>(GetProcAddress(modulo, "DllCanUnloadNow")));
}

// The watch's interval is 5 s: this case waits for one or two ticks.
TEST_F(ComunicaCom, LaVigilanciaAvisaCuandoLaLectoraLlegaYElAnfitrionPuedeSoltarlo) {
  carpeta_->EscribeEscenario(kEscenarioAusente);
  com::Puntero<_Comunica> objeto = Crea();
  VARIANT_BOOL conectada = VARIANT_TRUE;
  ASSERT_EQ(objeto->LectoraONOFF(&conectada), S_OK);
  EXPECT_EQ(conectada, VARIANT_FALSE);
  ReceptorEventos receptor;
  ASSERT_EQ(receptor.Conecta(objeto.get()), S_OK);
  // The host lets the object go inside the event itself.
  receptor.al_recibir = [&](const ReceptorEventos::Evento&) {
    receptor.Desconecta();
    objeto.reset();
  };
  const auto descargable = DescargableDe(objeto.get());
  ASSERT_NE(descargable, nullptr);
  ASSERT_EQ(descargable(), S_FALSE);
  carpeta_->EscribeEscenario(kEscenarioVacio);
  // One message at a time: right after the tick that raised the event the
  // object must still be alive (its end put off until the tick is over,
  // the code that raised the event still running), and gone soon after.
  HRESULT trasElTic = S_OK;
  const DWORD fin = GetTickCount() + 12000;
  while (receptor.eventos.empty() && static_cast<LONG>(fin - GetTickCount()) > 0) {
    MSG mensaje;
    if (PeekMessageW(&mensaje, nullptr, 0, 0, PM_REMOVE)) {
      DispatchMessageW(&mensaje);
      trasElTic = descargable();
    } else {
      MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT);
    }
  }
  EXPECT_EQ(trasElTic, S_FALSE) << "destroyed inside the tick that raised the event";
  ASSERT_EQ(receptor.eventos.size(), 1u);
  EXPECT_EQ(receptor.eventos[0].id, 3);
  ASSERT_EQ(receptor.eventos[0].argumentos.size(), 1u);
  EXPECT_EQ(receptor.eventos[0].argumentos[0].vt, VT_BOOL);
  EXPECT_EQ(receptor.eventos[0].argumentos[0].boolVal, VARIANT_TRUE);
  EXPECT_EQ(objeto.get(), nullptr);
  // The object goes once the loop runs again; nothing is left to unload.
  BombeaMensajes(300, [] { return false; });
  EXPECT_EQ(descargable(), S_OK);
}

// A host that lets go of the object inside the first cheque's event, while
// Terminate is still reading: the call's own reference keeps the object
// whole, the read goes on to the last cheque's images, and the object goes
// as the call returns.
TEST_F(ComunicaCom, UnAnfitrionQueLoSueltaEnLectoraDatosNoCortaLaLectura) {
  com::Puntero<_Comunica> objeto = Crea();
  const auto descargable = DescargableDe(objeto.get());
  ASSERT_NE(descargable, nullptr);
  ReceptorEventos receptor;
  ASSERT_EQ(receptor.Conecta(objeto.get()), S_OK);
  // The host's last reference, given back inside the event (reset empties
  // the holder, then releases); the call below runs on a plain copy of the
  // pointer, which holds no reference.
  _Comunica* const enCurso = objeto.get();
  receptor.al_recibir = [&](const ReceptorEventos::Evento&) {
    receptor.Desconecta();
    objeto.reset();
  };
  EXPECT_EQ(enCurso->Terminate(), S_OK);
  ASSERT_EQ(receptor.eventos.size(), 1u);
  // The cheque the host kept is an object of the module too.
  for (VARIANT& argumento : receptor.eventos[0].argumentos) {
    VariantClear(&argumento);
  }
  EXPECT_EQ(descargable(), S_OK);
  // The read went on after the event: the second cheque's image and the
  // third's, stored as an error image (its code line unreadable).
  std::vector<std::string> imagenes;
  for (const auto& entrada : std::filesystem::directory_iterator(carpeta_->DirectorioImagenes())) {
    const std::string extension = entrada.path().extension().string();
    if (extension == ".tif" || extension == ".jpg") {
      imagenes.push_back(entrada.path().filename().string());
    }
  }
  EXPECT_THAT(imagenes, testing::Contains("ANV21004567890.tif"));
  EXPECT_THAT(imagenes, testing::Contains(testing::StartsWith("ERRANV")));
}

}  // namespace
}  // namespace vardel::prueba
