Attribute VB_Name = "mdlTools"
Option Explicit

Private Declare PtrSafe Function GetTickCount Lib "kernel32" () As Long

'/**
' * Adds two numbers.
' * @return the sum
' * @param a - the first
' * @param b - the second
' */
Public Function Add(ByVal a As Long, ByVal b As Long) As Long
    Add = a + b
End Function

'/**
' * Scales a value.
' * @return
' * @param x - the value
' */
Function Scale(ByVal x As Double) As Double
End Function

'/**
' * Halves a value.
' * @param x - the value
' */
Function Half(ByVal x As Double) As Double
End Function

'/**
' * .
' */
Sub Reset()
End Sub

'/**
' * dict.
' */
Private Sub dict_Changed()
End Sub

'/**
' * Logs a line.
' * @param text
' */
Sub Log(ByVal text As String)
End Sub

'/**
' * Copies a range.
' * @param source - where from
' */
Sub Copy(ByVal source As Range, ByVal target As Range)
End Sub

' Trims a name.
' @param name the name
Private Function TrimName(ByVal name As String) As String
End Function

Sub Untouched()
End Sub

'/**
' * Clears the cache.
' * @param gone - a parameter that went away
' */
Private Sub Clear()
End Sub
