Attribute VB_Name = "mdl日本語"
'/**
' * 日本語の説明を持つモジュール。
' * @modulename mdl日本語
' * @author 山田 太郎
' */
Option Explicit

'/**
' * 選択範囲の合計を返す。
' * 空のセルは数えない。
' * @return 合計値
' * @param 対象 - 合計するセル範囲
' * @param 既定値 - 空のときの値
' */
Public Function 合計(ByVal 対象 As Range, Optional ByVal 既定値 As Double = 0) As Double
    合計 = 既定値
End Function

'/**
' * Worksheet 選択対象変更時.
' * @param Target
' */
Private Sub Worksheet_SelectionChange(ByVal Target As Range)
End Sub
