#pragma once

namespace vardel::cli::puente {

// The class of the bridge's hidden window, by which a test (or IT's own
// tooling) finds it to ask it to close.
inline constexpr const wchar_t* kClaseVentanaPuente = L"VardelPuente";

#ifdef _WIN32

// A hidden top-level window of the bridge, on a thread of its own, that
// turns what Windows tells a program with windows into the stop SIGTERM
// asks for (parada.h): WM_CLOSE (taskkill without /F) and the end of the
// session (WM_ENDSESSION: logoff, shutdown). A program that loads user32
// gets no console event for logoff or shutdown, and a message-only window
// gets no end-session messages: hence a top-level one, never shown. At the
// session's end the window holds the system until the object goes (the
// bridge has stopped) or a while has passed, since Windows may end the
// process as soon as it answers. Without a desktop to make it on (Wine
// without a display driver) there is none, and the bridge runs without it,
// as the component shows no settings screen there.
class VentanaOculta {
 public:
  VentanaOculta();
  ~VentanaOculta();
  VentanaOculta(const VentanaOculta&) = delete;
  VentanaOculta& operator=(const VentanaOculta&) = delete;

 private:
  void* hilo_ = nullptr;
  unsigned long idHilo_ = 0;
};

#else

// Elsewhere the service manager's SIGTERM is the stop.
class VentanaOculta {};

#endif

}  // namespace vardel::cli::puente
