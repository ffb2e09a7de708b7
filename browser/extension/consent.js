// The consent window: shows the asking origin and sends the user's answer to
// the background, which applies it; then closes. Closing the window without
// an answer denies this time only.

(() => {
  const api = globalThis.browser ?? globalThis.chrome;
  const query = new URLSearchParams(window.location.search);
  const prompt = query.get("prompt");
  document.getElementById("origin").textContent = query.get("origin") ?? "";

  for (const button of document.querySelectorAll("button[data-choice]")) {
    button.addEventListener("click", async () => {
      for (const other of document.querySelectorAll("button")) other.disabled = true;
      try {
        await api.runtime.sendMessage({ type: "consent-answer", prompt, choice: button.dataset.choice });
      } finally {
        window.close();
      }
    });
  }
})();
