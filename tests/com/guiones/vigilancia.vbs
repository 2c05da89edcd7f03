' The presence watch: LectoraActiva when the simulated reader appears and
' when it goes away (the watch looks every 5 s).
Option Explicit

Dim fallos, avisos, primero, segundo
fallos = 0
avisos = 0

Sub Falla(texto)
  WScript.Echo "FALLO: " & texto
  fallos = fallos + 1
End Sub

Sub Lectora_LectoraActiva(OnOff)
  avisos = avisos + 1
  If avisos = 1 Then primero = OnOff
  If avisos = 2 Then segundo = OnOff
End Sub

Sub Escenario(presente)
  Dim fso, archivo
  Set fso = WScript.CreateObject("Scripting.FileSystemObject")
  Set archivo = fso.CreateTextFile("mtxmlmcr.scenario", True)
  archivo.WriteLine "[Reader]"
  archivo.WriteLine "present=" & presente
  archivo.WriteLine "devices=EXCELLA.EXC001"
  archivo.Close
End Sub

' Waits, pumping messages, until `cuantos` notices have arrived.
Sub Espera(cuantos)
  Dim i
  For i = 1 To 28
    If avisos >= cuantos Then Exit Sub
    WScript.Sleep 500
  Next
End Sub

Dim lectora
Set lectora = WScript.CreateObject("Vardel.Comunica", "Lectora_")
If lectora.LectoraONOFF <> False Then Falla "LectoraONOFF sin lectora"

Escenario "yes"
Espera 1
If avisos <> 1 Then
  Falla "avisos al llegar: " & avisos
ElseIf primero <> True Or VarType(primero) <> vbBoolean Then
  Falla "aviso al llegar: " & primero
End If
If lectora.LectoraONOFF <> True Then Falla "LectoraONOFF con lectora"

Escenario "no"
Espera 2
If avisos <> 2 Then
  Falla "avisos al irse: " & avisos
ElseIf segundo <> False Then
  Falla "aviso al irse: " & segundo
End If
WScript.Echo avisos & " avisos, " & fallos & " fallos"
WScript.Quit fallos
