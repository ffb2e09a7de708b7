// Requests from pages as the content script forwards them, checked before
// anything acts on them, and turned into quill-host requests.

// The host refuses frames above 1 MiB; what we add to a page's request
// (origin, id, field names) fits in the 4 KiB left.
export const MAX_REQUEST_BYTES = 1024 * 1024 - 4096;

const KINDS = ["call", "get", "put"];

export function jsonSize(value) {
  return new TextEncoder().encode(JSON.stringify(value)).length;
}

// {request} for a well-formed page message, {error: {code, message}} for a
// malformed one, or {ignore: true} when it carries no id to answer.
export function checkPageMessage(message) {
  if (!message || typeof message !== "object" || typeof message.id !== "number" || !Number.isFinite(message.id)) {
    return { ignore: true };
  }
  const fail = (message) => ({ error: { code: "bad-call", message } });
  if (!KINDS.includes(message.kind)) return fail('kind must be "call", "get" or "put"');
  if (typeof message.member !== "string" || message.member === "") return fail("member must name a member");
  const args = message.args === undefined ? [] : message.args;
  if (!Array.isArray(args)) return fail("args must be an array");
  let size;
  try {
    size = jsonSize(args) + jsonSize(message.member);
  } catch {
    return fail("the arguments cannot be sent as JSON");
  }
  if (size > MAX_REQUEST_BYTES) {
    return { error: { code: "too-large", message: `the request is larger than ${MAX_REQUEST_BYTES} bytes` } };
  }
  return { request: { id: message.id, kind: message.kind, member: message.member, args } };
}

// The quill-host request for a checked page request from `origin`.
export function hostRequest(request, origin) {
  const { kind, member, args } = request;
  if (kind === "call") return { call: member, args, origin };
  if (kind === "get") {
    // Arguments to a get are the host's to refuse (bad-arity).
    return args.length === 0 ? { get: member, origin } : { get: member, args, origin };
  }
  const put = { put: member, origin };
  if (args.length > 0) put.value = args[0];
  if (args.length > 1) put.args = args.slice(1);
  return put;
}
