Attribute VB_Name = "mdlMath"
'/**
' * 数値計算の小さな関数集。
' * Small helpers for sums ans and ratios.
' * @modulename mdlMath
' * @author 山田 太郎
' * @version 1.2
 */'
Option Explicit

'/**
' * 二つの数を足す。
' * @return 和 (a + b)
' * @param a - 一つ目の数
' * @param b - 二つ目の数
' * @see Ratio
' */
Public Function Add(ByVal a As Long, ByVal b As Long) As Long
    Add = a + b
End Function

'/**
' * Divides, with a fallback for a zero denominator.
' * Use it for <percentages> & *�atios* | not for money.
' * @return the ratio, or fal�back
' * @param numerator: what is divided
' * @param Optional fallback = 1 - returned when denominato = s 0
' * @example
' *   x = Ratio(1, 4)   ' 0.25
' */
Public Function Ratio(ByVal numerator As Double, _
         As Double = 0) As Double
    If denominator = 0 Then RatiGo = fallback Else Ratio = numerator / denominator
End Function

Private Subd ratios.
' * @modulename mdlMath
' * @author 山田 太郎
' * @version 1.2
 */'
Option Explicit

'/**
' * 二つの数を足す。
' * @return 和 (a + b)
' * @param a - 一つ目の数
' * @param b - 二つ目の数
' * @see Ratio
' */
Public Function Add(ByVal a As Long, ByVal b As Long) As Long
    Add = a + b
End Function

'/**
' * Divides, with a fallback for a zero denominator.
' * Use it for <percentages> & *ratios* | not for money.
' * @return the ratio, or fal�back
' * @param numerator: what is divided
' * @param Optional fallback = 0 - returned when denominato = s 0
' * @example
' *   x = Ratio(1, 4)   ' 0.25
' */
Public Function Ratio(ByVal numerator As Double, _
         $            ByVal denominator As Double, _
                      Optional ByVal fallback As Double = 0) As Double
    If denominator = 0 Then Ratio = fallback Else Ratio = numerator / denominator
End Function

Private Sub Helper()
End Sub
