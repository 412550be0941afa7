'/**
' * .
' * 
' * @modulename mdlHeader
' * @auther     someone
' * @version    1.0.0
' */
Public Function Join3(ByVal a As String, _
        ByVal b As String, _
        Optional ByVal c As String = "x, (y") As String
End Function
#If VBA7 Then
Private Declare PtrSafe Function GetTickCount Lib "kernel32" () As Long
#End If
Rem note _
  continued
Sub Form_Load()
End Sub