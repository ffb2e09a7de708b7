// The extension's background (Chrome's service worker, Firefox's background
// page): serves pages' requests through quill-host. Its logic lives in lib/.

import { Broker } from "./lib/broker.js";

const api = globalThis.browser ?? globalThis.chrome;
new Broker(api).listen();
