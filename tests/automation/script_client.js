// Page script's view of the control, run by the script host against the
// registered server with the stand-in plugin beside it.  Each check has its
// own exit code; 0 when all hold.
var control = new ActiveXObject("FexoControl.FexoCtl");
var code = 10;
function check(condition) {
    if (!condition) WScript.Quit(code);
    code++;
}

control.Flags = "abc";
check(control.Flags == "abc");
control.noMenu = "true";
check(control.noMenu == "TRUE");
control.noMenu = "";
check(control.noMenu == "TRUE");
control.PostError = -1;
check(control.PostError == 1);
control.MagSize = 12;
check(control.MagSize == 12);
control.DisplayGamma = 2.5;
check(control.DisplayGamma == 2.5);
control.Thumbnails = "true";
check(control.Thumbnails == "true");
control.UserId = "me";
check(control.UserId == "");
check(control.Cache == "FALSE");
control.Cache = "yes";
check(control.Cache == "TRUE");

check(control.GetLastFexoError() == "");
control.SaveAs("C:\\docs\\a.pdf", "doc");
check(control.GetLastFexoError() == "Invalid file extension");
control.CmdDocInfo();
check(control.GetLastFexoError() == "No Doc information for sigle page document");
check(control.GetDocPagesCount() == 0);
control.RotateBy("90");
control.HighlightTerm("word", 1, 0, 1, 255);
control.PrintDocTo(1, 2, "current zoom", "printer", "header");
WScript.Quit(0);
