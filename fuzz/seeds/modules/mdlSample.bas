Attribute VB_Name = "mdlSample"
Option Explicit

Private mTotal As Long

' 合計に加える
Public Function AddToTotal(ByVal amount As Long, Optional ByRef note As String = "") As Long
    mTotal = mTotal + amount
    AddToTotal = mTotal
End Function

Public Property Get Total() As Long
    Total = mTotal
End Property

Public Property Let Total(ByVal value As Long)
    mTotal = value
End Property

Private Sub Worksheet_SelectionChange(ByVal Target As Range)
    Debug.Print Target.Address
End Sub
