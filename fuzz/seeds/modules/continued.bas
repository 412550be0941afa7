Attribute VB_Name = "mdlContinued"
Option Explicit

' a note _
  that goes on
Private Sub _
cmdOK_Click()
End Sub
Private _
Sub cmdCancel_Click()
End Sub
Public Property Get _
  Total() As Long
End Property
Sub F(a, _  
    b)
End Sub
