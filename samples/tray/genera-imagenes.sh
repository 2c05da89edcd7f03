#!/usr/bin/env bash
# Draws the sample cheque images of the tray (front and back as bilevel
# TIFF, a grey JPEG of the front). Needs ImageMagick. The images are
# committed; run this only to change them.
#   samples/tray/genera-imagenes.sh
set -euo pipefail
cd "$(dirname "$0")"
font=DejaVu-Sans
# number|bank name|branch|payee|amount text|code line
while IFS='|' read -r n banco oficina beneficiario importe linea; do
  [ -z "$n" ] && continue
  base=cheque$n
  draw=(-fill none -stroke black -strokewidth 2 -draw "rectangle 6,6 633,283"
        -stroke gray40 -strokewidth 1 -draw "line 40,150 600,150" -draw "line 40,190 400,190"
        -draw "line 430,230 600,230" -draw "rectangle 440,60 610,95"
        -stroke none -fill black
        -font "$font" -pointsize 20 -annotate +30+42 "$banco"
        -pointsize 12 -annotate +30+62 "Oficina $oficina"
        -pointsize 14 -annotate +450+84 "$importe"
        -pointsize 13 -annotate +40+145 "Páguese a $beneficiario"
        -annotate +40+185 "Madrid, a 8 de diciembre de 2026"
        -pointsize 11 -annotate +440+245 "Firma"
        -font DejaVu-Sans-Mono -pointsize 16 -annotate +30+272 "$linea")
  convert -size 640x290 xc:'#e6e6e6' "${draw[@]}" -colorspace gray -resize 75% -quality 40 \
    -strip "$base-anverso.jpg"
  convert -size 640x290 xc:white "${draw[@]}" -threshold 60% -type bilevel \
    -compress group4 -strip "$base-anverso.tif"
  convert -size 640x290 xc:white -fill none -stroke black -strokewidth 1 \
    -draw "rectangle 6,6 633,283" -draw "line 330,20 330,270" -stroke none -fill black \
    -font "$font" -pointsize 12 -annotate +350+40 "Endosado - cheque $n" \
    -annotate +40+40 "No escriba debajo de esta línea" -type bilevel -compress group4 \
    -strip "$base-reverso.tif"
done <<'LISTA'
01|Banco 0049|1234|Construcciones Ebro S.L.|***123,45 EUR|C1234567E0049C1234E0123456789B00B0012A000012345C
02|Banco 0075|0310|María Pérez Gil||C2345678E0075C0310E0200012345B00B0012A
03|Banco 0182|5678|Talleres Duero S.A.|***1.500,00 EUR|C3456789E0182C5678E0201518888B00B0012A000150000C
04|Banco 2100|0813|Suministros Tajo S.L.|Vto. 31-12-26|C4567890E2100C0813E0200098765B00B0017A311226D
05|Banco 0081|0240|Josep Vila Soler|***2.500 EUR|C5678901E0081C0240E0001122334B00B0012A00002500C
06|Banco 2038|1020|Hermanos Ruiz C.B.|Vto. 02-03-2027|C6789012E2038C1020E6000345678B00B0013A02032027D
07|Banco 0049|5?34|Ana López Ortega|***49,99 EUR|C7890123E0049C?234E01234?6789B00B0012A000004999C
08|Banco 0182|0100|Distribuciones Sil S.A.|***999,99 EUR|C8901234E0182C0100E0209876543B00B0012A000099999C
09|Banco 0081|0777|Pedro Sanz Mora|***75,00 EUR|C9012345E0081C0777E0009988776B00B0012A000007500C
10|Banco 0075|0042|Luis Gómez Rey|***310,20 EUR|C0123456E0075C0042E0200055512B00B0012A000031020C
LISTA
