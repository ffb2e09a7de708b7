// A page's conversation with the control, one member family after another,
// against one virtual token of the first family (password 12345678).
//   cscript //nologo conversation.js UID_TEXT
// Prints "FAIL: ..." per failed check, then the closing line.
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
var control = new ActiveXObject("QuillActiveX.QuillActiveXCtrl");
var versioned = new ActiveXObject("QuillActiveX.QuillActiveXCtrl.1");
same(typeof control, "object", "created by the version-independent ProgID");
same(typeof versioned, "object", "created by the ProgID of version 1");

// Presence and selection.
same(control.QuillCheckExist(), 1, "QuillCheckExist");
same(control.QuillGetUID(), uid, "QuillGetUID");
same(control.QuillGetUIDByIndex(0), uid, "QuillGetUIDByIndex(0)");
same(control.QuillGetUIDByIndex(5), "", "QuillGetUIDByIndex beyond the list");
same(control.QuillGetLastError(), 4130, "index out of range");
same(control.QuillIsConnected(uid), 0, "QuillIsConnected");
same(control.QuillSelectId("too short"), 2, "QuillSelectId of a malformed id");
same(control.QuillSelectId(uid), 0, "QuillSelectId");

// Login.
check(control.QuillOpen("wrong-password") !== 0, "a wrong password is refused");
same(control.QuillGetLastError(), 522, "the token's code for a wrong password");
same(control.QuillOpen("12345678"), 0, "QuillOpen");

// Properties.
same(control.Version, "3.3", "Version");
control.Version = "9.9";
same(control.Version, "3.3", "Version keeps its value");
same(control.Model, 0, "Model");
same(typeof control.Name, "string", "Name");
same(typeof control.RequestEnabled, "number", "RequestEnabled");

// The key information record belongs to the second family.
same(control.QuillSetKeyInfo("name", "description", "url", "other", 1), 1,
     "QuillSetKeyInfo on a first-family model");
same(control.QuillGetLastError(), 4113, "wrong model");

// Files are not supported. (A success empties the error store first: it
// keeps the oldest code until then.)
same(control.QuillCheckExist(), 1, "QuillCheckExist again");
same(control.QuillOpenFile("notes.txt", 0), -1, "QuillOpenFile");
same(control.QuillGetLastError(), 4129, "not supported");
same(control.QuillReadFile(1, 4), "", "QuillReadFile");

// Storage.
same(control.QuillWriteUserStorage("hello storage"), 0, "QuillWriteUserStorage");
same(control.QuillReadUserStorage(13), "hello storage", "QuillReadUserStorage");
same(control.QuillWriteUserStorageEx(100, "abc"), 0, "QuillWriteUserStorageEx");
same(control.QuillReadUserStorageEx(100, 3), "abc", "QuillReadUserStorageEx");
same(control.QuillReadUserStorageEx(2050, 7), "", "a read beyond the area");
same(control.QuillGetLastError(), 4107, "read too long");

// Data cipher.
var sealed = control.QuillDataEncrypt("quill data");
check(sealed.length > 0, "QuillDataEncrypt gives Base64 text");
same(control.QuillDataDecrypt(sealed), "quill data", "QuillDataDecrypt");
same(control.QuillDataEncrypt("").length, 12, "the empty text is one padding block");

// Memory: written from cipher text, read back as cipher text.
same(control.QuillWriteMemory(0, control.QuillDataEncrypt("memo")), 0, "QuillWriteMemory");
same(control.QuillDataDecrypt(control.QuillReadMemory(0, 4)), "memo", "QuillReadMemory");
same(control.QuillReadMemory(190, 3), "1", "a memory read beyond the area");

same(control.QuillClose(), 0, "QuillClose");

WScript.Echo("failures=" + failures);
WScript.Echo("com-conversation-done");
WScript.Quit(failures);
