// Web origins as the browser reports them, and the administrator's patterns
// (the same forms quill-host reads from the machine policy):
//   "*"                          every origin
//   "https://a.example:8443"     exactly that origin
//   "https://*.example.com[:P]"  any host below example.com (not itself)

const DNS_LABEL = /^[a-z0-9]([a-z0-9-]{0,61}[a-z0-9])?$/;
const IPV4 = /^(25[0-5]|2[0-4][0-9]|1[0-9][0-9]|[1-9]?[0-9])(\.(25[0-5]|2[0-4][0-9]|1[0-9][0-9]|[1-9]?[0-9])){3}$/;
const DEFAULT_PORTS = { http: "80", https: "443" };

function isDnsName(host) {
  if (host.length === 0 || host.length > 253) return false;
  return host.split(".").every((label) => DNS_LABEL.test(label));
}

function isIpv6(bracketed) {
  if (!bracketed.startsWith("[") || !bracketed.endsWith("]")) return false;
  try {
    // The URL parser prints IPv6 hosts in their one canonical form.
    return new URL(`http://${bracketed}`).hostname === bracketed;
  } catch {
    return false;
  }
}

// Splits "scheme://host[:port]" into its parts, or null when the text is no
// canonical web origin.
export function parseOrigin(text) {
  if (typeof text !== "string") return null;
  const match = /^(https?):\/\/(\[[0-9a-f:.]+\]|[^:/?#@\\[\]\s%]+)(?::([1-9][0-9]{0,4}))?$/.exec(text);
  if (!match) return null;
  const [, scheme, host, port = ""] = match;
  let hostKind;
  if (host.startsWith("[")) {
    if (!isIpv6(host)) return null;
    hostKind = "ipv6";
  } else if (IPV4.test(host)) {
    hostKind = "ipv4";
  } else if (isDnsName(host) && !/^[0-9.]+$/.test(host)) {
    hostKind = "domain";
  } else {
    return null;
  }
  if (port !== "" && (Number(port) > 65535 || port === DEFAULT_PORTS[scheme])) return null;
  return { scheme, host, hostKind, port };
}

// The origin of a runtime.Port's sender, as the browser reports it (never a
// value from a message), or null unless it is an http: or https: origin.
export function senderOrigin(sender) {
  if (!sender) return null;
  let origin = typeof sender.origin === "string" ? sender.origin : null;
  if (origin === null && typeof sender.url === "string") {
    try {
      origin = new URL(sender.url).origin;
    } catch {
      return null;
    }
  }
  return parseOrigin(origin) ? origin : null;
}

// The pattern's parts, or null when it is malformed.
export function parsePattern(text) {
  if (text === "*") return { kind: "any" };
  if (typeof text !== "string") return null;
  const wildcard = /^(https?):\/\/\*\.([^:]+)(?::([0-9]+))?$/.exec(text);
  if (wildcard) {
    const [, scheme, domain, port] = wildcard;
    const base = parseOrigin(`${scheme}://${domain}${port === undefined ? "" : `:${port}`}`);
    if (!base || base.hostKind !== "domain") return null;
    return { kind: "subdomains", scheme, domain, port: base.port };
  }
  const exact = parseOrigin(text);
  return exact ? { kind: "exact", origin: text } : null;
}

export function patternMatches(pattern, origin) {
  if (pattern.kind === "any") return true;
  if (pattern.kind === "exact") return pattern.origin === origin;
  const parts = parseOrigin(origin);
  return (
    parts !== null &&
    parts.hostKind === "domain" &&
    parts.scheme === pattern.scheme &&
    parts.port === pattern.port &&
    parts.host.endsWith(`.${pattern.domain}`)
  );
}

// The browser's managed storage ({forbiddenOrigins, allowedOrigins}) on an
// origin: "forbid", "allow", or null when it says nothing. Forbidden wins. A
// list that is not an array of valid patterns makes the whole setting
// unusable: "unreadable", so that a mistyped forbidden entry never lets an
// origin through.
export function managedDecision(managed, origin) {
  const lists = {};
  for (const key of ["forbiddenOrigins", "allowedOrigins"]) {
    const value = managed ? managed[key] : undefined;
    if (value === undefined) {
      lists[key] = [];
      continue;
    }
    if (!Array.isArray(value)) return "unreadable";
    const patterns = value.map(parsePattern);
    if (patterns.includes(null)) return "unreadable";
    lists[key] = patterns;
  }
  if (lists.forbiddenOrigins.some((pattern) => patternMatches(pattern, origin))) return "forbid";
  if (lists.allowedOrigins.some((pattern) => patternMatches(pattern, origin))) return "allow";
  return null;
}
