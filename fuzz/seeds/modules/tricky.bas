xxSub A()
End Sub
'@Ignore ProcedureNotUsed _
' because a button calls it
Sub F()
End Sub
Sub G(): End Sub
Sub H(	ByVal	x)
  x = 1: End Sub
