Attribute VB_Name = "mdlStats"
Option Explicit

' Adds two numbers.
' @param a the first
' @param second the second
Public Function Add(ByVal a As Long, ByVal b As Long) As Long
    Add = a + b
End Function

'/**
' * Writes a line to the log.
' * @param text what to write
' * @param level how loud
' * @return nothing
' */
Public Sub Log(ByVal text As String)
    Debug.Print text
End Sub
