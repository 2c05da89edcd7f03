#!/usr/bin/env bash
# Signs one Windows file (a DLL, a program or an MSI) with Authenticode,
# SHA-256, through osslsigncode (docs/windows-install.md, "Signing a
# release"):
#   firma.sh --pkcs12 FILE.p12 [OPTIONS] IN OUT
#   firma.sh --pkcs11-modulo MODULE.so --pkcs11-clave URI --certificados CHAIN.pem
#            [--pkcs11-motor ENGINE.so] [OPTIONS] IN OUT
# OPTIONS: --clave-archivo FILE (the PKCS#12 password or the token's PIN in
# a file), --sello URL (an RFC 3161 time-stamping service; none when empty).
# The password or PIN may instead come in the environment variable
# VARDEL_FIRMA_CLAVE. It never goes on a command line: osslsigncode reads it
# from a file or from a pipe, so no process list or build log shows it.
set -euo pipefail

pkcs12="" modulo="" clave_pkcs11="" certificados="" motor="" clave_archivo="" sello=""
while [ $# -gt 2 ]; do
  case $1 in
    --pkcs12) pkcs12=$2 ;;
    --pkcs11-modulo) modulo=$2 ;;
    --pkcs11-clave) clave_pkcs11=$2 ;;
    --pkcs11-motor) motor=$2 ;;
    --certificados) certificados=$2 ;;
    --clave-archivo) clave_archivo=$2 ;;
    --sello) sello=$2 ;;
    *) echo "firma.sh: unknown option $1" >&2; exit 2 ;;
  esac
  shift 2
done
[ $# -eq 2 ] || { echo "usage: firma.sh OPTIONS IN OUT" >&2; exit 2; }
entrada=$1 salida=$2

orden=(osslsigncode sign -h sha256)
if [ -n "$pkcs12" ]; then
  orden+=(-pkcs12 "$pkcs12")
elif [ -n "$modulo" ]; then
  [ -n "$clave_pkcs11" ] && [ -n "$certificados" ] ||
    { echo "firma.sh: a PKCS#11 token needs --pkcs11-clave and --certificados" >&2; exit 2; }
  [ -z "$motor" ] || orden+=(-pkcs11engine "$motor")
  orden+=(-pkcs11module "$modulo" -certs "$certificados" -key "$clave_pkcs11")
else
  echo "firma.sh: no certificate: --pkcs12 or --pkcs11-modulo" >&2
  exit 2
fi
# The product's name in the signature: what Windows shows when it asks
# whether to trust the file.
orden+=(-n Vardel)
[ -z "$sello" ] || orden+=(-ts "$sello")

# osslsigncode will not write over its input, and a failed run leaves half a
# file: it writes beside the output, which then takes its place.
temporal=$salida.firmando
rm -f "$temporal"
if [ -n "$clave_archivo" ]; then
  "${orden[@]}" -readpass "$clave_archivo" -in "$entrada" -out "$temporal" >/dev/null
elif [ -n "${VARDEL_FIRMA_CLAVE:-}" ]; then
  # printf is a shell builtin: the password reaches osslsigncode through a
  # pipe, without being any process's argument.
  "${orden[@]}" -readpass <(printf '%s' "$VARDEL_FIRMA_CLAVE") -in "$entrada" -out "$temporal" >/dev/null
else
  "${orden[@]}" -in "$entrada" -out "$temporal" >/dev/null
fi
mv -f "$temporal" "$salida"
