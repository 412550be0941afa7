Attribute VB_Name = "mdlText"
'/**
' * Text helpers.
' * @modulename mdlText
' * @auther Someone
' */
Option Explicit

Private Const SEP As String = ","

'/**
' * Joins two words with a separator.
' * The words stay as they are: <b> & \\n arrive as text.
' * @return the joined text, e.g. "a,b"
' * @param first - the first word
' * @param Optional second = "" - the second word
' * @param {String} sep: what goes between, */ not closing
' * @example
' *   s = JoinWords("a", "b")
' */
Public Function JoinWords(ByVal first As String, _
                          Optional ByVal second As String = "", _
                          Optional ByVal sep As String = SEP) As String
    JoinWords = first & sep & second
End Function

'/**
' * Prints every value.
' * @param values() the values, any number
' * @see JoinWords
' */
Public Sub PrintAll(ParamArray values() As Variant)
End Sub

Private Sub NotShown()
End Sub
