// Two controls on one page share one session: what one sets, the other sees.
//   cscript //nologo two_instances.js UID_TEXT
var failures = 0;
function check(ok, what) {
  if (!ok) {
    failures++;
    WScript.Echo("FAIL: " + what);
  }
}
function same(actual, expected, what) {
  check(actual === expected, what + ": got " + actual + ", expected " + expected);
}

var uid = WScript.Arguments.Item(0);
var first = new ActiveXObject("QuillActiveX.QuillActiveXCtrl");
var second = new ActiveXObject("QuillActiveX.QuillActiveXCtrl.1");

same(first.Model, 0, "Model starts at 0");
first.Model = 1;
same(second.Model, 1, "Model put on one control is read on the other");
check(second.QuillCheckExist() < 1, "no token of the second family");
same(first.QuillGetLastError(), second.QuillGetLastError(), "one error store");
second.Model = 0;
same(first.Model, 0, "and back");
same(first.QuillCheckExist(), 1, "the first family's token");
same(second.QuillSelectId(uid), 0, "selected on the second control");
same(first.QuillGetUID(), uid, "seen on the first");
same(second.QuillOpen("12345678"), 0, "login on the second control");
same(first.QuillWriteUserStorage("shared"), 0, "written through the first");
same(second.QuillReadUserStorage(6), "shared", "read on the second");

WScript.Echo("failures=" + failures);
WScript.Echo("com-two-instances-done");
WScript.Quit(failures);
