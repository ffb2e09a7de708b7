// The demo's conversation with the token: presence, identity, a wrong and
// then the right password, and a round trip through the user storage. Each
// step is shown as it happens.
import quill, { QuillError } from "/quill.js";

const steps = document.getElementById("steps");
const outcome = document.getElementById("outcome");

function show(title, call, result, good) {
  const item = document.createElement("li");
  item.className = good ? "ok" : "failed";
  item.append(`${title}: `);
  const code = document.createElement("span");
  code.className = "call";
  code.textContent = call;
  const value = document.createElement("span");
  value.className = "result";
  value.textContent = JSON.stringify(result);
  item.append(code, " → ", value);
  steps.append(item);
  return good;
}

async function conversation() {
  steps.replaceChildren();
  outcome.textContent = "Running…";
  if (!(await quill.isAvailable())) {
    outcome.textContent = "The Quill browser extension is not installed or not enabled.";
    return false;
  }
  const password = document.getElementById("password").value;
  let good = true;

  const count = await quill.QuillCheckExist();
  good = show("Tokens plugged in", "QuillCheckExist()", count, count > 0) && good;
  const uid = await quill.QuillGetUID();
  good = show("The token's UID", "QuillGetUID()", uid, /^[0-9a-f]{32}$/.test(uid)) && good;

  const wrong = await quill.QuillOpen("wrong-password");
  show("Log in with a wrong password", 'QuillOpen("wrong-password")', wrong, wrong !== 0);
  const reason = await quill.QuillGetLastError();
  good = show("Why it failed (522: wrong password)", "QuillGetLastError()", reason, reason === 522) && good;
  const right = await quill.QuillOpen(password);
  good = show("Log in with the right password", "QuillOpen(password)", right, right === 0) && good;

  const text = `Hello from ${location.origin} at ${new Date().toISOString()}`;
  const written = await quill.QuillWriteUserStorage(text);
  good = show("Write the user storage", `QuillWriteUserStorage("${text}")`, written, written === 0) && good;
  const read = await quill.QuillReadUserStorage(text.length);
  good = show("Read it back", `QuillReadUserStorage(${text.length})`, read, read === text) && good;
  return good;
}

async function run() {
  let good = false;
  try {
    good = await conversation();
    if (good) outcome.textContent = "Every step gave the expected answer.";
    else if (outcome.textContent === "Running…") outcome.textContent = "A step gave an unexpected answer.";
  } catch (error) {
    const code = error instanceof QuillError ? ` (${error.code})` : "";
    outcome.textContent = `The conversation stopped: ${error.message}${code}`;
  }
  outcome.className = good ? "ok" : "failed";
  document.body.dataset.done = good ? "ok" : "failed";
}

document.getElementById("run").addEventListener("click", () => {
  delete document.body.dataset.done;
  run();
});
run();
