# The registry rows a registrar script (.rgs) writes, one per line as
# "KEY|NAME|VALUE": NAME "" is the key's default value, NAME "*" a key made
# without values (the installer's Registry table writes it the same way).
# HKCR becomes Software\Classes; NoRemove keys without values write nothing.
#   awk -v module=M -v appid=A -v olemisc=O -f msi_rgs_rows.awk FILE.rgs...
function flush_pending(   path) {
  if (pending == "") return
  path = join_path(pending)
  if (!pending_value_set && !pending_noremove) print path "|*|"
  pending = ""
}
function join_path(last,   i, path) {
  path = ""
  for (i = 1; i <= depth; i++) path = path (path == "" ? "" : "\\") stack[i]
  if (last == "") return path
  return path (path == "" ? "" : "\\") last
}
function replace(text) {
  gsub(/%MODULE%/, module, text); gsub(/%APPID%/, appid, text); gsub(/%OLEMISC%/, olemisc, text)
  return text
}
{ text = text $0 "\n" }
END {
  n = 0
  i = 1
  while (i <= length(text)) {
    c = substr(text, i, 1)
    if (c ~ /[ \t\r\n]/) { i++; continue }
    if (c == "'") {
      j = index(substr(text, i + 1), "'")
      tokens[++n] = "Q" substr(text, i + 1, j - 1); i += j + 1; continue
    }
    if (substr(text, i, 38) ~ /^\{[0-9A-Fa-f-]+\}$/) { tokens[++n] = "W" substr(text, i, 38); i += 38; continue }
    if (c == "{" || c == "}" || c == "=") { tokens[++n] = c; i++; continue }
    word = ""
    while (i <= length(text) && substr(text, i, 1) !~ /[ \t\r\n{}=']/) { word = word substr(text, i, 1); i++ }
    tokens[++n] = "W" word
  }
  depth = 0; pending = ""; noremove = 0
  for (t = 1; t <= n; t++) {
    tok = tokens[t]
    if (tok == "{") { if (pending != "") { stack[++depth] = pending; pending = "" } ; continue }
    if (tok == "}") { flush_pending(); if (depth > 0) depth--; continue }
    if (tok == "WNoRemove") { noremove = 1; continue }
    if (tok == "WForceRemove") { continue }
    if (tok == "Wval") {
      name = substr(tokens[t + 1], 2)
      # val NAME = s 'VALUE'
      flush_pending()
      print join_path("") "|" name "|" replace(substr(tokens[t + 4], 2))
      t += 4; continue
    }
    if (tok == "=") {
      # KEY = s 'VALUE'
      print join_path(pending) "||" replace(substr(tokens[t + 2], 2))
      pending_value_set = 1; t += 2; continue
    }
    flush_pending()
    pending = replace(substr(tok, 2)); pending_value_set = 0; pending_noremove = noremove; noremove = 0
    if (depth == 0 && pending == "HKCR") { pending = ""; stack[++depth] = "Software\\Classes"; t++ }
  }
}
