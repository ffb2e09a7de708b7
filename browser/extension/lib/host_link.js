// One quill-host process for one origin: one native port, one control
// session. Requests go one at a time (the caller awaits each reply); the
// host is started on the first request and again after it ended.

export const HOST_NAME = "com.quill.host";

export class HostError extends Error {
  constructor(code, message) {
    super(message);
    this.code = code;
  }
}

export class HostLink {
  constructor(runtime, hostName = HOST_NAME) {
    this.runtime = runtime;
    this.hostName = hostName;
    this.port = null;
    this.nextId = 1;
    this.inFlight = null;
    // The machine policy's answer for this origin, asked once per host start.
    this.policy = null;
    // Set when a host that had served ended: the next reply says so.
    this.restarted = false;
  }

  // Sends one request (without its id) and resolves with the host's reply
  // object; rejects with a HostError when the host is missing or ended.
  send(request) {
    if (this.inFlight) {
      return Promise.reject(new HostError("busy", "a request to this host is already in flight"));
    }
    if (!this.port) this.start();
    const id = this.nextId++;
    return new Promise((resolve, reject) => {
      this.inFlight = { id, resolve, reject, port: this.port };
      try {
        this.port.postMessage({ id, ...request });
      } catch (error) {
        this.ended(this.port, String(error?.message ?? error));
      }
    });
  }

  // Takes the "host-restarted" notice, once.
  takeRestartNotice() {
    const restarted = this.restarted;
    this.restarted = false;
    return restarted;
  }

  // Ends the host process on purpose (the origin's consent was revoked).
  close() {
    const port = this.port;
    this.port = null;
    this.policy = null;
    if (port) port.disconnect();
    if (this.inFlight) {
      const { reject } = this.inFlight;
      this.inFlight = null;
      reject(new HostError("host-exited", "the host session was ended"));
    }
  }

  start() {
    const port = this.runtime.connectNative(this.hostName);
    this.port = port;
    this.policy = null;
    port.served = false;
    port.onMessage.addListener((message) => this.received(port, message));
    port.onDisconnect.addListener((disconnected) => {
      const error = disconnected?.error ?? this.runtime.lastError;
      this.ended(port, error?.message ?? "");
    });
  }

  received(port, message) {
    if (port !== this.port) return;
    port.served = true;
    const inFlight = this.inFlight;
    if (!inFlight || !message || message.id !== inFlight.id) return;
    this.inFlight = null;
    inFlight.resolve(message);
  }

  ended(port, reason) {
    if (port !== this.port) return;
    this.port = null;
    this.policy = null;
    if (port.served) this.restarted = true;
    const inFlight = this.inFlight;
    if (!inFlight) return;
    this.inFlight = null;
    // A port that ends before its host ever answered never had a host: the
    // browser found none registered for the extension (or none it may run).
    if (!port.served && !/exited/i.test(reason)) {
      inFlight.reject(
        new HostError(
          "host-missing",
          `quill-host could not be started (${reason || "no native host"}); install it and run "quill-host --install"`,
        ),
      );
    } else {
      inFlight.reject(
        new HostError("host-exited", `quill-host ended during the request${reason ? ` (${reason})` : ""}`),
      );
    }
  }
}
