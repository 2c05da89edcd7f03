#pragma once

namespace vardel::cli::puente {

// The run of vardel-puente.exe, the bridge without a console that the
// installer starts at logon (Windows only): `vardel serve` with the
// options given, run by `ejecuta` as main would run it, its log in
// ArchivoRegistro(), and whatever the command writes to standard output
// or error (a usage error, the port taken, the component's error) as
// lines of that log too, since no one sees a windowless program's output.
int EjecutaSinConsola(int argc, char** argv, int (*ejecuta)(int argc, char** argv));

}  // namespace vardel::cli::puente
