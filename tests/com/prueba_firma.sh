#!/usr/bin/env bash
# The Windows Installer package as IT signs it: built with a throwaway
# code-signing certificate made here, every binary inside it and the
# package itself carry an Authenticode SHA-256 signature that osslsigncode
# verifies against that certificate, and no other; a copy with one byte
# changed fails. Its bill of materials lies beside it and matches it. The
# signed package is left as WORK_DIR/Vardel-firmado.msi, which
# prueba_instalador installs under Wine (fixture paquete_firmado).
#   prueba_firma.sh TREE_PACKAGE.msi VERSION COMPILER WORK_DIR BUILD_SCRIPT -- BUILD COMMAND...
# (COMPILER: the tree's C++ compiler, whose runtime the binaries link in)
set -euo pipefail
arbol=$1 version=$2 compilador=$3 carpeta=$4 guion=$5
shift 5
[ "$1" = -- ] && shift
falla() { echo "FAIL: $*" >&2; exit 1; }
comprueba_spdx=$(cd "$(dirname "$0")/../install" && pwd)/comprueba_spdx.py

rm -rf "$carpeta" && mkdir -p "$carpeta" && cd "$carpeta"
# The certificate and its key, and another that signed nothing. The
# password reaches the build as a bank's would, in the environment.
certificado() {
  openssl req -x509 -newkey rsa:2048 -nodes -keyout "$1.key" -out "$1.pem" -days 2 \
    -subj "/CN=Vardel prueba $1" -addext keyUsage=critical,digitalSignature \
    -addext extendedKeyUsage=codeSigning 2>/dev/null
}
certificado firma
certificado otra
export VARDEL_FIRMA_CLAVE=clave-de-prueba
openssl pkcs12 -export -inkey firma.key -in firma.pem -out firma.p12 -passout env:VARDEL_FIRMA_CLAVE

# The tree's own package, built without a certificate, is not signed.
! osslsigncode verify -CAfile firma.pem -in "$arbol" >/dev/null 2>&1 || falla "the tree's package is signed"

firmado=$carpeta/Vardel-firmado.msi
"$@" -DVERSION="$version" -DSALIDA="$firmado" -DFIRMA_PKCS12="$carpeta/firma.p12" -P "$guion" >/dev/null ||
  falla "the signed build"
# verifica FILE: signed with SHA-256 by the certificate, which osslsigncode
# trusts only as the CA given; another certificate as the CA fails.
verifica() {
  local informe
  informe=$(osslsigncode verify -CAfile firma.pem -in "$1" 2>&1) || falla "$(basename "$1"): $informe"
  grep -q 'Message digest algorithm *: SHA256' <<<"$informe" || falla "$(basename "$1") is not SHA-256: $informe"
  ! osslsigncode verify -CAfile otra.pem -in "$1" >/dev/null 2>&1 || falla "$(basename "$1") verified by another CA"
}
# Byte N of FILE changed, in a copy that must fail verification.
alterado() {
  local copia=$carpeta/alterado-$(basename "$1") n=$2 byte
  cp "$1" "$copia"
  byte=$(od -An -tu1 -j "$n" -N1 "$copia" | tr -d ' ')
  printf "$(printf '\\%03o' $(((byte + 1) % 256)))" | dd of="$copia" bs=1 seek="$n" conv=notrunc status=none
  ! osslsigncode verify -CAfile firma.pem -in "$copia" >/dev/null 2>&1 ||
    falla "$(basename "$1") with byte $n changed still verifies"
}
verifica "$firmado"
# Past the middle of the package: inside its cabinet, which holds the files.
alterado "$firmado" $(($(stat -c %s "$firmado") * 2 / 3))
# The install folder as msiextract names it: "Vardel" for the x64 package,
# "Program Files/Vardel" for the x86 one.
instalados() { dirname "$(find "$1" -name Vardel.dll)"; }
msiextract -C extraidos "$firmado" >/dev/null
carpeta=$(instalados extraidos)
for binario in Vardel.dll vardel.exe vardel-puente.exe mtxmlmcr.dll; do
  verifica "$carpeta/$binario"
done
# In the code, and in the version resource near the end.
alterado "$carpeta/Vardel.dll" 4096
alterado "$carpeta/vardel.exe" $(($(stat -c %s "$carpeta/vardel.exe") - 8192))

# The bill of materials beside the package names the runtime linked into
# every binary and the command's libraries, with the versions installed
# here, and lists the package's files and its own checksum.
debian=()
for archivo in libstdc++.a libgcc.a libwinpthread.a; do
  debian+=(--debian "$(dpkg-query -S "$(realpath "$("$compilador" -print-file-name=$archivo)")" | cut -d: -f1)")
done
for cabecera in CLI/CLI.hpp nlohmann/json.hpp boost/version.hpp; do
  debian+=(--debian "$(dpkg-query -S "/usr/include/$cabecera" | cut -d: -f1)")
done
for msi in "$firmado" "$arbol"; do
  inventario=${msi%.msi}.spdx.json
  [ -f "$inventario" ] || falla "no $(basename "$inventario") beside $(basename "$msi")"
  rm -rf contenido && msiextract -C contenido "$msi" >/dev/null
  python3 "$comprueba_spdx" "$inventario" "$(instalados contenido)" "${debian[@]}" --archivo-paquete "$msi" ||
    falla "the bill of materials of $(basename "$msi")"
done
echo "signed package, its 4 binaries verified, 3 changed copies refused, bills of materials checked"
