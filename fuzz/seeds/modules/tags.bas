xx'/**
' * .
' * @param lngA　one
' * @param b：two
' * @param values
' * Setter: sets it
' */
Function T(lngA, b$, ParamArray values()) As Long
End Function
'/**
' * Setter: stores.
' * Getter: Old
' * @see x
'@Ignore Y
' */
Property Let V(v)
End Property
