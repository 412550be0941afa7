Attribute VB_Name = "mdlConstants"
Option Explicit

Public Const VERSION_TEXT As String = "1.0"
Public Declare PtrSafe Sub Sleep Lib "kernel32" (ByVal milliseconds As Long)
