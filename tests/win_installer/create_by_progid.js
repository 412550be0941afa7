// Creates the add-in by its ProgID, as the VBA editor does, and reads a
// property through its IDispatch: run by cscript of either bitness.
var connect = new ActiveXObject("tamvix.Connect");
WScript.Echo("created tamvix.Connect, FormDisplayed=" + connect.FormDisplayed);
