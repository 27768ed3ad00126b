// Creates the control by program identifier, as page script does.
// Exit code 0: created under both identifiers; 2: creation failed.
var names = ["FexoControl.FexoCtl", "FexoControl.FexoCtl.3.6.1.52"];
for (var i = 0; i < names.length; i++) {
    try {
        var control = new ActiveXObject(names[i]);
        if (!control) WScript.Quit(2);
    } catch (e) {
        WScript.Quit(2);
    }
}
WScript.Quit(0);
