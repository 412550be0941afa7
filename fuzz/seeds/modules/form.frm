VERSION 5.00
Begin {C62A69F0-16DC-11CE-9E98-00AA00574A4F} frmMain
   Caption         =   "Main"
   Begin VB.CommandButton cmd
   End
End
Attribute VB_Name = "frmMain"
Private WithEvents app As Application
Attribute app.VB_VarHelpID = -1

' 押された
Private Sub cmd_Click()
End Sub
