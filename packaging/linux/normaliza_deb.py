#!/usr/bin/env python3
"""Gives every member of Debian packages (ar archives) the mode 100644.

CPack writes each member's mode from the file it made for it, so the
umask of the cpack run ends up in the package's bytes; dpkg reads no
member's mode. Run by cpack (normaliza-deb.cmake) on the packages it
made:

  normaliza_deb.py PACKAGE.deb...
"""

import sys

MAGIA = b"!<arch>\n"
CABECERA = 60  # name 16, date 12, owner 6, group 6, mode 8, size 10, "`\n"
MODO = b"100644".ljust(8)


def normaliza(ruta):
    with open(ruta, "r+b") as f:
        if f.read(len(MAGIA)) != MAGIA:
            sys.exit(f"normaliza_deb: {ruta} is not an ar archive")
        posicion = len(MAGIA)
        while True:
            f.seek(posicion)
            cabecera = f.read(CABECERA)
            if not cabecera:
                return
            if len(cabecera) != CABECERA or cabecera[58:60] != b"`\n":
                sys.exit(f"normaliza_deb: {ruta}: a damaged member header at {posicion}")
            f.seek(posicion + 40)
            f.write(MODO)
            tamano = int(cabecera[48:58])
            # Members start at even offsets.
            posicion += CABECERA + tamano + tamano % 2


for paquete in sys.argv[1:]:
    normaliza(paquete)
