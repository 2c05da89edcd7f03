#!/usr/bin/env python3
"""The software bill of materials of one package: an SPDX 2.3 JSON document.

It lists the package (its name and version), every shipped file under a
folder with its SHA-1 and SHA-256 checksums and its licence, and the
libraries compiled into the binaries, each with the Debian package and
version it came from on this build machine (dpkg -S on a file the build
used, then dpkg-query). It is run by the build, never written by hand:

  inventario_spdx.py --nombre vardel --version 1.1.0-1 --raiz STAGING
      --copyright deb/copyright --salida usr/share/doc/vardel/vardel.spdx.json
      --biblioteca 'cli11=CLI11=/usr/include/CLI/CLI.hpp=BSD-3-Clause'
      --enlace 'usr/bin/vardel=cli11,...'

--biblioteca ID=NAME=FILE=LICENCE: a library compiled in, found through
FILE, a file of its Debian package that the build read. --enlace
PATH=ID,...: the libraries compiled into one shipped file (a path under
--raiz). The shipped files' own licence is the project's, whose text is the
"License:" paragraph of the machine-readable Debian copyright file given.
SOURCE_DATE_EPOCH, when set, is the document's date.
"""

import argparse
import datetime
import hashlib
import json
import os
import re
import subprocess
import sys
import uuid

LICENCIA_PROPIA = "LicenseRef-Vardel"
# Every document of this project shares this prefix; the rest of its
# namespace comes from what it describes, so a rebuild of the same files
# gives the same document.
ESPACIO = "https://vardel.example.org/spdx/"


def falla(mensaje):
    print(f"inventario_spdx: {mensaje}", file=sys.stderr)
    sys.exit(1)


def texto_licencia(copyright_deb):
    """The text of the "License: Vardel" paragraph of a Debian copyright file."""
    with open(copyright_deb, encoding="utf-8") as f:
        lineas = f.read().splitlines()
    texto = None
    for linea in lineas:
        if texto is None:
            if linea.startswith("License: "):
                texto = []
        elif linea.startswith(" "):
            texto.append("" if linea.strip() == "." else linea[1:])
        else:
            break
    if not texto:
        falla(f"no License paragraph in {copyright_deb}")
    return "\n".join(texto)


def paquete_debian(archivo):
    """The Debian package that owns FILE on this machine, its version and architecture."""
    real = os.path.realpath(archivo)
    for ruta in dict.fromkeys([archivo, real]):
        r = subprocess.run(["dpkg-query", "-S", ruta], capture_output=True, text=True, check=False)
        if r.returncode == 0:
            break
    else:
        falla(f"no Debian package owns {archivo}")
    nombre = r.stdout.splitlines()[0].split(": ", 1)[0].split(", ")[0]
    formato = "${Package}\t${Version}\t${Architecture}"
    r = subprocess.run(["dpkg-query", "-W", "-f", formato, nombre], capture_output=True, text=True,
                       check=True)
    paquete, version, arquitectura = r.stdout.split("\t")
    return paquete, version, arquitectura


def debian_version():
    try:
        with open("/etc/os-release", encoding="utf-8") as f:
            campos = dict(l.rstrip("\n").split("=", 1) for l in f if "=" in l)
        return campos.get("VERSION_ID", "").strip('"')
    except OSError:
        return ""


def resumenes(ruta):
    sha1, sha256 = hashlib.sha1(), hashlib.sha256()
    with open(ruta, "rb") as f:
        for bloque in iter(lambda: f.read(1 << 16), b""):
            sha1.update(bloque)
            sha256.update(bloque)
    return sha1.hexdigest(), sha256.hexdigest()


def archivos_enviados(raiz, excluido):
    """Every regular file under RAIZ but EXCLUIDO, as sorted relative paths.
    Links are left out: what they point to is listed where it is."""
    encontrados = []
    for carpeta, subcarpetas, nombres in os.walk(raiz):
        subcarpetas.sort()
        for nombre in nombres:
            ruta = os.path.join(carpeta, nombre)
            if os.path.islink(ruta) or not os.path.isfile(ruta):
                continue
            if os.path.abspath(ruta) == excluido:
                continue
            encontrados.append(os.path.relpath(ruta, raiz).replace(os.sep, "/"))
    return sorted(encontrados)


def identificador(texto):
    """An SPDX identifier's tail: letters, digits, '.' and '-' only."""
    return re.sub(r"[^A-Za-z0-9.-]", "-", texto)


def main():
    p = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    p.add_argument("--nombre", required=True)
    p.add_argument("--version", required=True)
    p.add_argument("--raiz", required=True, help="the folder of the shipped files")
    p.add_argument("--salida", required=True)
    p.add_argument("--copyright", required=True, help="machine-readable Debian copyright")
    p.add_argument("--archivo-paquete", default="",
                   help="the package's file, when the document is beside it: its checksum")
    p.add_argument("--nombre-archivo", default="", help="the package's file name")
    p.add_argument("--biblioteca", action="append", default=[])
    p.add_argument("--enlace", action="append", default=[])
    a = p.parse_args()

    raiz = os.path.abspath(a.raiz)
    archivos = archivos_enviados(raiz, os.path.abspath(a.salida))
    if not archivos:
        falla(f"no files under {raiz}")

    bibliotecas = {}
    distro = debian_version()
    for definicion in a.biblioteca:
        try:
            clave, nombre, archivo, licencia = definicion.split("=", 3)
        except ValueError:
            falla(f"--biblioteca {definicion}: expected ID=NAME=FILE=LICENCE")
        paquete, version, arquitectura = paquete_debian(archivo)
        purl = f"pkg:deb/debian/{paquete}@{version}?arch={arquitectura}"
        if distro:
            purl += f"&distro=debian-{distro}"
        bibliotecas[clave] = {
            "SPDXID": f"SPDXRef-Biblioteca-{identificador(clave)}",
            "name": nombre,
            "versionInfo": version,
            "supplier": "Organization: Debian",
            "downloadLocation": "NOASSERTION",
            "filesAnalyzed": False,
            "licenseConcluded": licencia,
            "licenseDeclared": licencia,
            "copyrightText": "NOASSERTION",
            "sourceInfo": f"compiled in from the Debian package {paquete} {version}"
                          f" ({arquitectura}); its copyright: /usr/share/doc/{paquete}/copyright",
            "externalRefs": [{"referenceCategory": "PACKAGE-MANAGER", "referenceType": "purl",
                              "referenceLocator": purl}],
        }

    enlaces = {}
    for definicion in a.enlace:
        ruta, _, claves = definicion.partition("=")
        if ruta not in archivos:
            falla(f"--enlace {ruta}: not a shipped file")
        for clave in claves.split(","):
            if clave not in bibliotecas:
                falla(f"--enlace {ruta}: no --biblioteca {clave}")
        enlaces[ruta] = claves.split(",")

    paquete_id = f"SPDXRef-Paquete-{identificador(a.nombre)}"
    entradas, relaciones, sha1s = [], [], []
    for n, ruta in enumerate(archivos, 1):
        sha1, sha256 = resumenes(os.path.join(raiz, ruta))
        sha1s.append(sha1)
        claves = enlaces.get(ruta, [])
        # A binary's licence is the project's and that of each library
        # compiled into it.
        licencias = [LICENCIA_PROPIA] + [bibliotecas[c]["licenseDeclared"] for c in claves]
        licencia = " AND ".join(l if " " not in l else f"({l})" for l in licencias)
        archivo_id = f"SPDXRef-Archivo-{n}"
        entradas.append({
            "fileName": f"./{ruta}",
            "SPDXID": archivo_id,
            "checksums": [{"algorithm": "SHA1", "checksumValue": sha1},
                          {"algorithm": "SHA256", "checksumValue": sha256}],
            "licenseConcluded": licencia,
            "licenseInfoInFiles": ["NOASSERTION"],
            "copyrightText": "NOASSERTION",
        })
        relaciones.append({"spdxElementId": paquete_id, "relationshipType": "CONTAINS",
                           "relatedSpdxElement": archivo_id})
        for c in claves:
            relaciones.append({"spdxElementId": archivo_id, "relationshipType": "STATIC_LINK",
                               "relatedSpdxElement": bibliotecas[c]["SPDXID"]})
    # The package verification code: the SHA-1 of its files' sorted SHA-1s.
    verificacion = hashlib.sha1("".join(sorted(sha1s)).encode()).hexdigest()

    paquete = {
        "SPDXID": paquete_id,
        "name": a.nombre,
        "versionInfo": a.version,
        "supplier": "Organization: Vardel",
        "downloadLocation": "NOASSERTION",
        "filesAnalyzed": True,
        "packageVerificationCode": {"packageVerificationCodeValue": verificacion},
        "licenseConcluded": "NOASSERTION",
        "licenseDeclared": LICENCIA_PROPIA,
        "licenseInfoFromFiles": ["NOASSERTION"],
        "copyrightText": "NOASSERTION",
        "primaryPackagePurpose": "APPLICATION",
    }
    if a.nombre_archivo:
        paquete["packageFileName"] = a.nombre_archivo
    if a.archivo_paquete:
        sha1, sha256 = resumenes(a.archivo_paquete)
        paquete["checksums"] = [{"algorithm": "SHA1", "checksumValue": sha1},
                                {"algorithm": "SHA256", "checksumValue": sha256}]

    fecha = datetime.datetime.fromtimestamp(int(os.environ.get("SOURCE_DATE_EPOCH") or
                                                datetime.datetime.now().timestamp()),
                                            datetime.timezone.utc)
    espacio = uuid.uuid5(uuid.NAMESPACE_URL, f"{a.nombre} {a.version} {verificacion}")
    documento = {
        "spdxVersion": "SPDX-2.3",
        "dataLicense": "CC0-1.0",
        "SPDXID": "SPDXRef-DOCUMENT",
        "name": f"{a.nombre}-{a.version}",
        "documentNamespace": f"{ESPACIO}{identificador(a.nombre)}-{a.version}-{espacio}",
        "creationInfo": {
            "created": fecha.strftime("%Y-%m-%dT%H:%M:%SZ"),
            "creators": ["Organization: Vardel", "Tool: inventario_spdx.py"],
        },
        "documentDescribes": [paquete_id],
        "packages": [paquete] + list(bibliotecas.values()),
        "files": entradas,
        "hasExtractedLicensingInfos": [{
            "licenseId": LICENCIA_PROPIA,
            "name": "Vardel",
            "extractedText": texto_licencia(a.copyright),
        }],
        "relationships": [{"spdxElementId": "SPDXRef-DOCUMENT", "relationshipType": "DESCRIBES",
                           "relatedSpdxElement": paquete_id}] + relaciones,
    }
    os.makedirs(os.path.dirname(os.path.abspath(a.salida)), exist_ok=True)
    with open(a.salida, "w", encoding="utf-8") as f:
        json.dump(documento, f, indent=1, ensure_ascii=False)
        f.write("\n")


if __name__ == "__main__":
    main()
