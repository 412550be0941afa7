Attribute VB_Name = "mdlText"
Option Explicit

' •¶š—ñ‚ğŒ‹‡‚·‚é
Public Function JoinText(ByVal a As String, ByVal b As String) As String
Attribute JoinText.VB_Description = "“ñ‚Â‚Ì•¶š—ñ‚ğ‚Â‚È‚®"
    JoinText = a & b
End Function

Public Sub Clear()
Attribute Clear.VB_Description = "‚·‚×‚ÄÁ‚·"
End Sub
