// The options page: the user's remembered decisions, each revocable, and the
// administrator's lists from the browser's managed storage (read-only).

(() => {
  const api = globalThis.browser ?? globalThis.chrome;
  const DECISION_TEXT = { allow: "Always allowed", deny: "Denied" };

  async function showDecisions() {
    const stored = await api.storage.local.get("decisions");
    const decisions = stored.decisions ?? {};
    const body = document.querySelector("#decisions tbody");
    body.replaceChildren();
    const origins = Object.keys(decisions).sort();
    for (const origin of origins) {
      const row = body.insertRow();
      row.dataset.origin = origin;
      row.insertCell().textContent = origin;
      row.insertCell().textContent = DECISION_TEXT[decisions[origin]] ?? decisions[origin];
      const button = document.createElement("button");
      button.className = "revoke";
      button.textContent = "Revoke";
      button.addEventListener("click", async () => {
        button.disabled = true;
        await api.runtime.sendMessage({ type: "revoke", origin });
        await showDecisions();
      });
      row.insertCell().append(button);
    }
    document.getElementById("decisions").hidden = origins.length === 0;
    document.getElementById("no-decisions").hidden = origins.length > 0;
  }

  function showList(id, patterns) {
    const list = document.getElementById(id);
    list.replaceChildren();
    const items = Array.isArray(patterns) && patterns.length > 0 ? patterns : null;
    for (const pattern of items ?? ["(none)"]) {
      const item = document.createElement("li");
      item.textContent = String(pattern);
      list.append(item);
    }
  }

  async function showManaged() {
    let managed = {};
    try {
      managed = (await api.storage.managed.get(["forbiddenOrigins", "allowedOrigins"])) ?? {};
    } catch {
      // No managed settings installed (Firefox says so by failing).
    }
    showList("forbidden-origins", managed.forbiddenOrigins);
    showList("allowed-origins", managed.allowedOrigins);
  }

  api.storage.onChanged.addListener((changes, area) => {
    if (area === "local" && "decisions" in changes) showDecisions();
    if (area === "managed") showManaged();
  });
  showDecisions();
  showManaged();
})();
