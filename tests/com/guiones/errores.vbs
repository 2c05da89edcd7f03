' Errors as a script sees them with On Error Resume Next: Err.Number,
' Err.Description and Err.Source of a failing read and of the collection.
Option Explicit

Dim fallos, datos
fallos = 0
Set datos = Nothing

Sub Falla(texto)
  WScript.Echo "FALLO: " & texto
  fallos = fallos + 1
End Sub

Sub Lectora_LectoraDatos(Dato)
  Set datos = Dato
End Sub

Sub EsperaError(numero, descripcion, que)
  If Err.Number <> numero Then Falla que & ": Err.Number " & Err.Number
  If descripcion <> "" And Err.Description <> descripcion Then
    Falla que & ": Err.Description " & Err.Description
  End If
  If Err.Source <> "Vardel" Then Falla que & ": Err.Source " & Err.Source
  Err.Clear
End Sub

Dim lectora, fso, texto, archivo, x
Set lectora = WScript.CreateObject("Vardel.Comunica", "Lectora_")
Set fso = WScript.CreateObject("Scripting.FileSystemObject")

On Error Resume Next
' The image directory of Config.ini does not exist: the first file fails.
lectora.Terminate
EsperaError 76, "No se ha encontrado la ruta de acceso", "Terminate"

' With the directory mended the next read delivers the next cheque.
texto = fso.OpenTextFile("Config.ini").ReadAll
Set archivo = fso.CreateTextFile("Config.ini", True)
archivo.Write Replace(texto, "\falta", "\img")
archivo.Close
lectora.Terminate
If Err.Number <> 0 Then Falla "segundo Terminate: " & Err.Number & " " & Err.Description
Err.Clear
If datos Is Nothing Then
  Falla "sin datos"
Else
  If datos("NumDoc") <> "2345678" Then Falla "NumDoc " & datos("NumDoc")
  x = datos("NoEsta")
  EsperaError 5, "Argumento o llamada a procedimiento no válida", "clave que falta"
  x = datos(0)
  EsperaError 9, "Subíndice fuera del intervalo", "posición 0"
  x = datos.Item(8)
  EsperaError 9, "", "posición 8"
  datos.Add "otro", "numdoc"
  EsperaError 457, "", "clave repetida"
  datos.Remove "NumDoc"
  If Err.Number <> 0 Or datos.Count <> 6 Then Falla "Remove"
End If
On Error GoTo 0
WScript.Echo fallos & " fallos"
WScript.Quit fallos
