#include "lectura.h"

#include <cmath>
#include <utility>

#include "momento.h"
#include "salida.h"

namespace vardel::cli {

bool Lectura::CapturaFallida(bool otroDocumento) {
  const bool atasco = atascoEnPase_;
  atascoEnPase_ = false;
  if (atasco || !otroDocumento) {
    return false;
  }
  ++cuentas_.capturasFallidas;
  return true;
}

DocumentoLeido Lectura::Documento(const std::shared_ptr<Collection>& dato) {
  atascoEnPase_ = false;
  DocumentoLeido documento;
  documento.numero = anteriores_ + ++cuentas_.documentos;
  documento.dato = dato;
  documento.imagenes = std::move(imagenes_);
  documento.perdidas = std::move(perdidas_);
  imagenes_.clear();
  perdidas_.clear();
  cuentas_.imagenes += static_cast<int>(documento.imagenes.size());
  cuentas_.noGuardadas += static_cast<int>(documento.perdidas.size());
  documento.entero = dato && !dato->Contiene("IDERR") && documento.perdidas.empty();
  if (!dato) {
    ++cuentas_.sinDatos;
  } else if (dato->Contiene("IDERR")) {
    ++cuentas_.noLeidos;
  } else if (!documento.entero) {
    ++cuentas_.incompletos;
  } else {
    ++cuentas_.cheques;
  }
  if (documento.entero) {
    cuentas_.ultimo = dato;
    cuentas_.ultimoEntero = documento.numero;
  } else {
    cuentas_.volverAPasar.push_back(documento.numero);
  }
  return documento;
}

ordered_json JsonDocumento(const DocumentoLeido& documento, const RutaPublica& rutaPublica) {
  ordered_json noGuardadas = ordered_json::array();
  for (const ImagenPerdida& perdida : documento.perdidas) {
    noGuardadas.push_back(
        {{"imagen", perdida.imagen},
         {"ruta", perdida.ruta.empty() ? ordered_json(nullptr) : ordered_json(perdida.ruta)},
         {"numero", perdida.numero}});
  }
  ordered_json imagenes = ordered_json::array();
  for (const std::string& ruta : documento.imagenes) {
    imagenes.push_back(rutaPublica ? rutaPublica(ruta) : ruta);
  }
  return {{"tipo", "documento"},
          {"documento", documento.numero},
          {"datos", documento.dato ? JsonDe(*documento.dato) : ordered_json(nullptr)},
          {"imagenes", imagenes},
          {"no_guardadas", noGuardadas},
          {"aviso", documento.entero ? ordered_json(nullptr) : ordered_json(kVuelvaAPasar)}};
}

ordered_json Lectura::JsonResumen(std::time_t inicio, double segundos,
                                  const std::string& directorio) const {
  return {{"tipo", "resumen"},
          {"inicio", MomentoIso(inicio)},
          {"documentos", cuentas_.documentos},
          {"cheques", cuentas_.cheques},
          {"no_leidos", cuentas_.noLeidos},
          {"sin_datos", cuentas_.sinDatos},
          {"imagenes", cuentas_.imagenes},
          {"directorio_imagenes", directorio},
          {"segundos", std::round(segundos * 1000.0) / 1000.0},
          {"atascos", cuentas_.atascos},
          {"imagenes_no_guardadas", cuentas_.noGuardadas},
          {"volver_a_pasar", cuentas_.volverAPasar},
          {"incompletos", cuentas_.incompletos}};
}

ordered_json Lectura::JsonLectoraPerdida() const {
  return {{"tipo", "lectora_perdida"},
          {"ultimo_documento", cuentas_.ultimoEntero},
          {"datos", cuentas_.ultimo ? JsonDe(*cuentas_.ultimo) : ordered_json(nullptr)}};
}

ordered_json Lectura::JsonDetenida(MotivoParada motivo) const {
  return {{"tipo", "detenida"},
          {"motivo", ClaveParada(motivo)},
          {"ultimo_documento", cuentas_.ultimoEntero},
          {"datos", cuentas_.ultimo ? JsonDe(*cuentas_.ultimo) : ordered_json(nullptr)}};
}

ordered_json JsonErrorLectora(std::int32_t numero, const std::string& descripcion,
                              const std::string& detalle) {
  return {{"tipo", "error_lectora"},
          {"numero", numero},
          {"descripcion", descripcion},
          {"detalle", detalle}};
}

ordered_json JsonCapturaFallida(std::int32_t resultado) {
  return {{"tipo", "captura_fallida"}, {"resultado", resultado}, {"aviso", kAvisoCapturaFallida}};
}

}  // namespace vardel::cli
