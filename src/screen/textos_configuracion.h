#pragma once

// The settings screen's texts (UTF-8), shared by the dialog logic and its
// renderings.
namespace vardel {

// The window's caption, and the title of every message box it shows.
inline constexpr const char* kTituloPantalla =
    "Configuración de la Lectora de Cheques con Imágenes Orbesca";

// The questions carry a single carriage return (code 13) between sentences.
inline constexpr const char* kPreguntaGuardar =
    "Se han realizado cambios en los parámetros de configuración de la lectora."
    "\r"
    "¿Está seguro de querer guardar estos cambios?";
inline constexpr const char* kPreguntaDescartar =
    "Se han realizado cambios en los parámetros de configuración de la lectora."
    "\r"
    "¿Está seguro de querer descartar estos cambios?";
inline constexpr const char* kPreguntaCrearDirectorio =
    "No existe el directorio para ubicar las imágenes. ¿Desea crearlo?";

// Frames, labels and buttons.
inline constexpr const char* kMarcoImagenes = "Datos de las Imágenes";
inline constexpr const char* kMarcoAnversoReverso = "Anverso Reverso";
inline constexpr const char* kMarcoAuxiliares = "Datos Auxiliares";
inline constexpr const char* kEtiquetaResolucion = "Resolución (dpi):";
inline constexpr const char* kEtiquetaTipo = "Tipo:";
inline constexpr const char* kEtiquetaModoLectura = "Modo de Lectura:";
inline constexpr const char* kEtiquetaCadenaImpre = "Cadena de Impresión:";
inline constexpr const char* kEtiquetaDirecImagenes = "Directorio Imágenes:";
inline constexpr const char* kBotonSelDirectorio = "...";
inline constexpr const char* kBotonAceptar = "&Aceptar";
inline constexpr const char* kBotonCancelar = "&Cancelar";
inline constexpr const char* kAyudaModosLectura = "Modos de lectura";

// The items of the three lists.
inline constexpr const char* kElementosResolucion[] = {"100", "127", "200", "254"};
inline constexpr const char* kElementosTipo[] = {"None",       "Raw",     "BMP",
                                                 "TIFF(gray)", "TIFF G4", "JPEG"};
inline constexpr const char* kElementosModoLectura[] = {"None",  "CMC7",  "E13B",
                                                        "OCR-A", "OCR-B", "CMC70E13B"};

}  // namespace vardel
