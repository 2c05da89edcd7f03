#!/usr/bin/env python3
"""Checks a package's bill of materials (SPDX 2.3, JSON) against the package.

  comprueba_spdx.py DOCUMENT FOLDER [--debian PACKAGE]... [--archivo-paquete FILE]

The fields SPDX 2.3 requires of a document, its packages, files and
relationships are present and well formed; every identifier is unique and
every reference resolves; the files listed are exactly the regular files
under FOLDER (the package's contents, the document itself aside) with their
checksums, and the package verification code is theirs; each Debian
PACKAGE is named with the version installed on this machine; FILE's
checksum is the package's. Prints every fault and exits 1 on any.
"""

import argparse
import hashlib
import json
import os
import re
import subprocess
import sys

fallos = []


def falla(mensaje):
    fallos.append(mensaje)


def exige(objeto, campos, donde):
    for campo in campos:
        if campo not in objeto or objeto[campo] in ("", None, []):
            falla(f"{donde}: no {campo}")


def main():
    p = argparse.ArgumentParser()
    p.add_argument("documento")
    p.add_argument("carpeta")
    p.add_argument("--debian", action="append", default=[])
    p.add_argument("--archivo-paquete", default="")
    a = p.parse_args()
    with open(a.documento, encoding="utf-8") as f:
        d = json.load(f)

    exige(d, ["spdxVersion", "dataLicense", "SPDXID", "name", "documentNamespace",
              "creationInfo", "packages", "relationships"], "document")
    if d.get("spdxVersion") != "SPDX-2.3":
        falla(f"spdxVersion {d.get('spdxVersion')}")
    if d.get("dataLicense") != "CC0-1.0":
        falla(f"dataLicense {d.get('dataLicense')}")
    if d.get("SPDXID") != "SPDXRef-DOCUMENT":
        falla(f"document SPDXID {d.get('SPDXID')}")
    if not re.match(r"^[a-z][a-z0-9+.-]*://[^#\s]+$", d.get("documentNamespace", "")):
        falla(f"documentNamespace {d.get('documentNamespace')} is no URI without '#'")
    creacion = d.get("creationInfo", {})
    exige(creacion, ["created", "creators"], "creationInfo")
    if not re.match(r"^\d{4}-\d\d-\d\dT\d\d:\d\d:\d\dZ$", creacion.get("created", "")):
        falla(f"created {creacion.get('created')}")
    for creador in creacion.get("creators", []):
        if not re.match(r"^(Person|Organization|Tool): \S", creador):
            falla(f"creator {creador}")

    ids = ["SPDXRef-DOCUMENT"]
    for paquete in d.get("packages", []):
        exige(paquete, ["name", "SPDXID", "downloadLocation"], f"package {paquete.get('name')}")
        ids.append(paquete.get("SPDXID"))
        if paquete.get("filesAnalyzed", True):
            codigo = paquete.get("packageVerificationCode", {}).get("packageVerificationCodeValue", "")
            if not re.match(r"^[0-9a-f]{40}$", codigo):
                falla(f"package {paquete.get('name')}: files analysed, no verification code")
    archivos = {}
    for archivo in d.get("files", []):
        exige(archivo, ["fileName", "SPDXID", "checksums"], f"file {archivo.get('fileName')}")
        ids.append(archivo.get("SPDXID"))
        sumas = {c.get("algorithm"): c.get("checksumValue") for c in archivo.get("checksums", [])}
        if "SHA1" not in sumas:
            falla(f"file {archivo.get('fileName')}: no SHA1 checksum")
        archivos[archivo.get("fileName", "")] = sumas
    for i in ids:
        if not re.match(r"^SPDXRef-[A-Za-z0-9.-]+$", str(i)):
            falla(f"identifier {i}")
    if len(set(ids)) != len(ids):
        falla("an identifier used twice")
    for r in d.get("relationships", []):
        exige(r, ["spdxElementId", "relationshipType", "relatedSpdxElement"], "relationship")
        for extremo in (r.get("spdxElementId"), r.get("relatedSpdxElement")):
            if extremo not in ids:
                falla(f"relationship to unknown {extremo}")
    descritos = d.get("documentDescribes", []) + [
        r["relatedSpdxElement"] for r in d.get("relationships", [])
        if r.get("spdxElementId") == "SPDXRef-DOCUMENT" and r.get("relationshipType") == "DESCRIBES"]
    if not descritos:
        falla("the document describes nothing")
    # Every licence of the project's own is defined in the document.
    definidas = {l.get("licenseId") for l in d.get("hasExtractedLicensingInfos", [])
                 if l.get("extractedText")}
    texto = json.dumps(d.get("packages", []) + d.get("files", []))
    for referencia in set(re.findall(r"LicenseRef-[A-Za-z0-9.-]+", texto)):
        if referencia not in definidas:
            falla(f"{referencia} used, not defined")

    # The files against the package's contents.
    documento = os.path.abspath(a.documento)
    presentes = {}
    for carpeta, _, nombres in os.walk(a.carpeta):
        for nombre in nombres:
            ruta = os.path.join(carpeta, nombre)
            if os.path.islink(ruta) or os.path.abspath(ruta) == documento:
                continue
            with open(ruta, "rb") as f:
                contenido = f.read()
            presentes["./" + os.path.relpath(ruta, a.carpeta)] = {
                "SHA1": hashlib.sha1(contenido).hexdigest(),
                "SHA256": hashlib.sha256(contenido).hexdigest()}
    for nombre in sorted(set(presentes) - set(archivos)):
        falla(f"{nombre} shipped, not listed")
    for nombre in sorted(set(archivos) - set(presentes)):
        falla(f"{nombre} listed, not shipped")
    for nombre in sorted(set(archivos) & set(presentes)):
        for algoritmo in ("SHA1", "SHA256"):
            if archivos[nombre].get(algoritmo) != presentes[nombre][algoritmo]:
                falla(f"{nombre}: wrong {algoritmo}")
    principal = next((p for p in d.get("packages", []) if p.get("SPDXID") in descritos), {})
    esperado = hashlib.sha1("".join(sorted(s["SHA1"] for s in presentes.values())).encode()).hexdigest()
    if principal.get("packageVerificationCode", {}).get("packageVerificationCodeValue") != esperado:
        falla("the package verification code is not its files'")
    if a.archivo_paquete:
        with open(a.archivo_paquete, "rb") as f:
            suma = hashlib.sha256(f.read()).hexdigest()
        if {"algorithm": "SHA256", "checksumValue": suma} not in principal.get("checksums", []):
            falla(f"the package's SHA256 is not {os.path.basename(a.archivo_paquete)}'s")

    # Each library compiled in, with the Debian version of this machine.
    for debian in a.debian:
        r = subprocess.run(["dpkg-query", "-W", "-f", "${Version}", debian], capture_output=True,
                           text=True, check=False)
        if r.returncode != 0 or not r.stdout:
            falla(f"{debian} is not installed here")
            continue
        version = r.stdout
        if not any(f"pkg:deb/debian/{debian}@{version}?" in json.dumps(p.get("externalRefs", []))
                   and p.get("versionInfo") == version and p.get("licenseDeclared")
                   for p in d.get("packages", [])):
            falla(f"no library from {debian} {version} with its licence")

    for f in fallos:
        print(f"comprueba_spdx: {a.documento}: {f}", file=sys.stderr)
    sys.exit(1 if fallos else 0)


if __name__ == "__main__":
    main()
