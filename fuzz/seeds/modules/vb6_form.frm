VERSION 5.00
Object = "{831FDD16-0C5C-11D2-A9FC-0000F8754DA1}#2.0#0"; "MSCOMCTL.OCX"
Begin VB.Form frmList
   Caption         =   "List"
   Begin MSComctlLib.ListView lv
   End
End
Attribute VB_Name = "frmList"
Private Sub Form_Load()
End Sub
