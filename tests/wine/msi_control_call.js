// One call through the installed control: the UID of the only virtual token.
//   cscript //nologo msi_control_call.js UID_TEXT
// Prints "FAIL: ..." when the call fails, then the closing line.
var failures = 0;
var uid = WScript.Arguments.Item(0);
try {
  var control = new ActiveXObject("QuillActiveX.QuillActiveXCtrl");
  var actual = control.QuillGetUID();
  if (actual !== uid) {
    failures++;
    WScript.Echo("FAIL: QuillGetUID gave " + actual + ", expected " + uid);
  }
} catch (e) {
  failures++;
  WScript.Echo("FAIL: the installed control: " + e.message);
}
WScript.Echo("failures=" + failures);
WScript.Echo("msi-control-call-done");
WScript.Quit(failures === 0 ? 0 : 1);
