Attribute VB_Name = "mdlMath"
Option Explicit

'/**
' * The old sum, kept for old workbooks.
' * @return the sum
' * @param values every number to add
' */
Public Function Sum(ParamArray values() As Variant) As Double
    Dim v As Variant
    For Each v In values: Sum = Sum + v: Next
End Function
