#!/usr/bin/python3
"""Makes a Windows Installer package's summary information reproducible.

wixl writes the summary information with the time of the build as its
creation and last-saved dates and a new random package code (the revision
number), so two builds of the same files differ there and nowhere else.
This sets every date of it to SOURCE_DATE_EPOCH and the package code to
one derived from the package's own bytes: the same package gets the same
code, and any change to it a new one, as Windows Installer wants. Run by
construye_msi.cmake after msibuild and before signing:

  resumen_msi.py PACKAGE.msi SOURCE_DATE_EPOCH

The stream is changed in place, byte for byte (same size): olefile, from
Debian's python3-olefile, finds where its sectors lie in the file.
"""

import hashlib
import struct
import sys
import uuid

import olefile

RESUMEN = "\x05SummaryInformation"
# Property identifiers of the summary information and their types.
PID_REVISION = 9  # the package code, VT_LPSTR "{XXXXXXXX-...}"
PID_FECHAS = (11, 12, 13)  # last printed, created, last saved: VT_FILETIME
VT_LPSTR, VT_FILETIME = 30, 64
# The package code of every package before its own is derived.
CODIGO_PROVISIONAL = "{00000000-0000-0000-0000-000000000000}"
ESPACIO = "https://vardel.example.org/msi/"


def falla(mensaje):
    print(f"resumen_msi: {mensaje}", file=sys.stderr)
    sys.exit(1)


def posiciones_flujo(ole, nombre):
    """The offset in the file of every byte of stream NOMBRE, in order."""
    entrada = ole.direntries[ole._find(nombre)]
    if entrada.size >= ole.minisectorcutoff:
        cadena, tamano = [], ole.sectorsize
        sector = entrada.isectStart
        while sector != olefile.ENDOFCHAIN:
            cadena.append((sector + 1) * ole.sectorsize)
            sector = ole.fat[sector]
    else:
        # A small stream lives in mini sectors inside the root's stream.
        ole.loadminifat()
        raiz = ole.root
        sectores_raiz = []
        sector = raiz.isectStart
        while sector != olefile.ENDOFCHAIN:
            sectores_raiz.append(sector)
            sector = ole.fat[sector]
        cadena, tamano = [], ole.minisectorsize
        sector = entrada.isectStart
        while sector != olefile.ENDOFCHAIN:
            desplazamiento = sector * ole.minisectorsize
            regular = sectores_raiz[desplazamiento // ole.sectorsize]
            cadena.append((regular + 1) * ole.sectorsize + desplazamiento % ole.sectorsize)
            sector = ole.minifat[sector]
    posiciones = [inicio + i for inicio in cadena for i in range(tamano)]
    if len(posiciones) < entrada.size:
        falla(f"{nombre!r}: its sector chain is shorter than the stream")
    return posiciones[:entrada.size]


def propiedades(datos):
    """{identifier: (type, offset of the value)} of the property set's first section."""
    if len(datos) < 48 or struct.unpack_from("<H", datos, 0)[0] != 0xFFFE:
        falla("the summary information is not a property set")
    seccion = struct.unpack_from("<I", datos, 44)[0]
    _, cuantas = struct.unpack_from("<II", datos, seccion)
    resultado = {}
    for n in range(cuantas):
        pid, desplazamiento = struct.unpack_from("<II", datos, seccion + 8 + 8 * n)
        tipo = struct.unpack_from("<I", datos, seccion + desplazamiento)[0] & 0xFFFF
        resultado[pid] = (tipo, seccion + desplazamiento + 4)
    return resultado


def escribe_resumen(ruta, fecha, codigo):
    """Sets the dates and the package code of PATH's summary information."""
    ole = olefile.OleFileIO(ruta)
    try:
        posiciones = posiciones_flujo(ole, RESUMEN)
        datos = bytearray(ole.openstream(RESUMEN).read())
    finally:
        ole.close()
    props = propiedades(datos)
    # FILETIME: 100-nanosecond intervals since 1601-01-01 UTC.
    instante = (fecha + 11644473600) * 10_000_000
    for pid in PID_FECHAS:
        if pid in props:
            tipo, valor = props[pid]
            if tipo != VT_FILETIME:
                falla(f"property {pid} is of type {tipo}, not FILETIME")
            struct.pack_into("<Q", datos, valor, instante)
    if PID_REVISION not in props or props[PID_REVISION][0] != VT_LPSTR:
        falla("no package code in the summary information")
    valor = props[PID_REVISION][1]
    longitud = struct.unpack_from("<I", datos, valor)[0]
    texto = codigo.encode("ascii") + b"\0"
    if longitud != len(texto):
        falla(f"the package code takes {longitud} bytes, not {len(texto)}")
    datos[valor + 4:valor + 4 + longitud] = texto
    with open(ruta, "r+b") as f:
        for posicion, byte in zip(posiciones, datos):
            f.seek(posicion)
            f.write(bytes([byte]))


def main():
    if len(sys.argv) != 3 or not sys.argv[2].isdigit():
        print("usage: resumen_msi.py PACKAGE.msi SOURCE_DATE_EPOCH", file=sys.stderr)
        sys.exit(2)
    ruta, fecha = sys.argv[1], int(sys.argv[2])
    escribe_resumen(ruta, fecha, CODIGO_PROVISIONAL)
    with open(ruta, "rb") as f:
        huella = hashlib.sha256(f.read()).hexdigest()
    codigo = "{" + str(uuid.uuid5(uuid.NAMESPACE_URL, ESPACIO + huella)).upper() + "}"
    escribe_resumen(ruta, fecha, codigo)


if __name__ == "__main__":
    main()
