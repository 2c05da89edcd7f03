#pragma once

// The control identifiers of the settings dialog on Windows. A host's
// automation (and the project's screen test) finds the controls by them.
namespace vardel::win32 {

inline constexpr int kIdFrame2 = 1001;
inline constexpr int kIdFrame5 = 1002;
inline constexpr int kIdFrame6 = 1003;
inline constexpr int kIdLabel9 = 1011;
inline constexpr int kIdLabel10 = 1012;
inline constexpr int kIdLabel20 = 1013;
inline constexpr int kIdLabel26 = 1014;
inline constexpr int kIdLabel22 = 1015;
inline constexpr int kIdTxtResolucionAR = 1101;
inline constexpr int kIdTxtTipoAR = 1102;
inline constexpr int kIdTxtModoLectura = 1103;
inline constexpr int kIdTxtCadenaImpre = 1104;
inline constexpr int kIdTxtDirecImagenes = 1105;
inline constexpr int kIdCmdSelDirectorio = 1201;
inline constexpr int kIdCmdGuardar = 1202;
inline constexpr int kIdCmdOK = 1203;
inline constexpr int kIdCboResolucionAR = 1301;
inline constexpr int kIdCboTipoAR = 1302;
inline constexpr int kIdCboModoLectura = 1303;

}  // namespace vardel::win32
