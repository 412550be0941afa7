Attribute VB_Name = "mdlSample"
' Copyright (c) 2026 the sample's authors. Use it as you like.

Option Explicit

Private mTotal As Long

' 合計に加える。
' 加えた後の合計を返す。
'
' @param amount 加える額
Public Function AddToTotal(ByVal amount As Long, Optional ByRef note As String = "") As Long
    mTotal = mTotal + amount
    AddToTotal = mTotal
End Function

'@Description("The running total.")
Public Property Get Total() As Long
    Total = mTotal
End Property

Public Property Let Total(ByVal value As Long)
    mTotal = value
End Property

Private Sub Worksheet_SelectionChange(ByVal Target As Range)
    Debug.Print Target.Address
End Sub
