// Serves the pages of a folder and the built quill.js over HTTP on 127.0.0.1,
// on as many ports as the test needs origins. Also a small program:
//   node page_server.mjs ROOT QUILL_JS [PORT]   prints "serving http://127.0.0.1:PORT/"
import fs from "node:fs";
import http from "node:http";
import path from "node:path";
import { fileURLToPath } from "node:url";

const types = {
  ".html": "text/html; charset=utf-8",
  ".js": "text/javascript; charset=utf-8",
  ".mjs": "text/javascript; charset=utf-8",
  ".css": "text/css; charset=utf-8",
  ".png": "image/png",
};

function handler(root, quillJs) {
  return (request, response) => {
    const url = new URL(request.url, "http://127.0.0.1");
    let file;
    if (url.pathname === "/quill.js") {
      file = quillJs;
    } else {
      const relative = url.pathname === "/" ? "index.html" : decodeURIComponent(url.pathname.slice(1));
      file = path.resolve(root, relative);
      if (!file.startsWith(path.resolve(root) + path.sep)) file = undefined;
    }
    if (!file || !fs.existsSync(file) || !fs.statSync(file).isFile()) {
      response.writeHead(404, { "content-type": "text/plain" });
      response.end("not found");
      return;
    }
    response.writeHead(200, {
      "content-type": types[path.extname(file)] ?? "application/octet-stream",
      "cache-control": "no-store",
    });
    fs.createReadStream(file).pipe(response);
  };
}

// Resolves with { origins: ["http://127.0.0.1:PORT", ...], close() }.
export async function servePages(root, quillJs, originCount = 1, ports = []) {
  const servers = [];
  for (let i = 0; i < originCount; i++) {
    const server = http.createServer(handler(root, quillJs));
    await new Promise((resolve, reject) => {
      server.once("error", reject);
      server.listen(ports[i] ?? 0, "127.0.0.1", resolve);
    });
    servers.push(server);
  }
  return {
    origins: servers.map((s) => `http://127.0.0.1:${s.address().port}`),
    close: () => Promise.all(servers.map((s) => new Promise((resolve) => s.close(resolve)))),
  };
}

if (process.argv[1] && path.resolve(process.argv[1]) === fileURLToPath(import.meta.url)) {
  const [root, quillJs, port] = process.argv.slice(2);
  const served = await servePages(root, quillJs, 1, port ? [Number(port)] : []);
  console.log(`serving ${served.origins[0]}/`);
}
