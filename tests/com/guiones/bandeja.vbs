' Reads the simulator's sample tray and checks every field of every
' LectoraDatos: keys, positions, For Each, and the type of each item.
Option Explicit

Dim fallos, recibidos, esperados
fallos = 0
recibidos = 0
' NumDoc, Entidad, Oficina, Cuenta, Importe, TipoDoc, FechaVto; Empty for
' the unreadable line. Document 8 jams and raises nothing.
esperados = Array( _
  Array("1234567", "0049", "1234", "0123456789", 123.45, "0012", ""), _
  Array("2345678", "0075", "0310", "0200012345", "", "0012", ""), _
  Array("3456789", "0182", "5678", "0201518888", 1500, "0012", ""), _
  Array("4567890", "2100", "0813", "0200098765", "", "0017", DateSerial(2026, 12, 31)), _
  Array("5678901", "0081", "0240", "0001122334", 2500, "0012", ""), _
  Array("6789012", "2038", "1020", "6000345678", "", "0013", DateSerial(2027, 3, 2)), _
  Empty, _
  Array("9012345", "0081", "0777", "0009988776", 75, "0012", ""), _
  Array("0123456", "0075", "0042", "0200055512", 310.2, "0012", ""))
Dim claves
claves = Array("NumDoc", "Entidad", "Oficina", "Cuenta", "Importe", "TipoDoc", "FechaVto")

Sub Falla(texto)
  WScript.Echo "FALLO (documento " & recibidos & "): " & texto
  fallos = fallos + 1
End Sub

Sub CompruebaCheque(Dato, campos)
  Dim i, valor, tipo, n, elemento
  If Dato.Count <> 7 Then Falla "Count " & Dato.Count
  For i = 0 To 6
    valor = Dato(claves(i))
    If VarType(campos(i)) = vbString Then
      tipo = vbString
    ElseIf VarType(campos(i)) = vbDate Then
      tipo = vbDate
    Else
      tipo = vbDouble
    End If
    If VarType(valor) <> tipo Then Falla claves(i) & ": tipo " & TypeName(valor)
    If valor <> campos(i) Then Falla claves(i) & ": " & valor & " <> " & campos(i)
    If VarType(Dato.Item(i + 1)) <> tipo Then Falla "posición " & (i + 1)
    If Dato.Item(i + 1) <> valor Then Falla "posición " & (i + 1) & " <> clave"
  Next
  If Dato(LCase(claves(0))) <> campos(0) Then Falla "clave en minúsculas"
  n = 0
  For Each elemento In Dato
    If elemento <> Dato(n + 1) Then Falla "For Each " & (n + 1)
    n = n + 1
  Next
  If n <> 7 Then Falla "For Each dio " & n
End Sub

Sub CompruebaSinDatos(Dato)
  If Dato.Count <> 2 Then Falla "Count " & Dato.Count
  If VarType(Dato("IDERR")) <> vbInteger Then Falla "IDERR " & TypeName(Dato("IDERR"))
  If Dato("Error") <> "Error: 99 - No se ha recogido ningún dato del documento. Vuelva a pasar el talón." Then
    Falla "Error: " & Dato("Error")
  End If
End Sub

Sub Lectora_LectoraDatos(Dato)
  recibidos = recibidos + 1
  If recibidos > UBound(esperados) + 1 Then
    Falla "evento de más"
  ElseIf Dato Is Nothing Then
    Falla "sin objeto"
  ElseIf IsEmpty(esperados(recibidos - 1)) Then
    CompruebaSinDatos Dato
  Else
    CompruebaCheque Dato, esperados(recibidos - 1)
  End If
End Sub

Dim lectora, fso
Set lectora = WScript.CreateObject("Vardel.Comunica", "Lectora_")
If lectora.LectoraONOFF <> True Then Falla "LectoraONOFF"
lectora.Terminate
If recibidos <> 9 Then Falla "eventos: " & recibidos
If lectora.blnLogActivo <> True Then Falla "blnLogActivo"
Set fso = WScript.CreateObject("Scripting.FileSystemObject")
If Not fso.FileExists("img\ANV00491234567.tif") Then Falla "sin imagen ANV00491234567.tif"
If Not fso.FileExists("img\REV00491234567.tif") Then Falla "sin imagen REV00491234567.tif"
If Not fso.FileExists("img\ANV00491234567.jpg") Then Falla "sin imagen ANV00491234567.jpg"
WScript.Echo recibidos & " documentos, " & fallos & " fallos"
WScript.Quit fallos
