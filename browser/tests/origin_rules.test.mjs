// Origins as browsers report them and the administrator's patterns.

import { test } from "node:test";
import assert from "node:assert/strict";
import {
  managedDecision,
  parseOrigin,
  parsePattern,
  patternMatches,
  senderOrigin,
} from "../extension/lib/origin_rules.js";

test("only canonical http and https origins are origins", () => {
  for (const good of [
    "https://a.example",
    "http://127.0.0.1:8080",
    "https://[::1]",
    "https://[2001:db8::1]:8443",
    "http://localhost",
    "https://xn--bcher-kva.example",
  ]) {
    assert.ok(parseOrigin(good), good);
  }
  for (const bad of [
    "null",
    "file:///x",
    "https://a.example/",
    "https://a.example:443",
    "http://a.example:80",
    "https://a.example:0",
    "https://a.example:65536",
    "https://a.example:0443",
    "https://user@a.example",
    "HTTPS://A.EXAMPLE",
    "https://a.example.",
    "https://a..example",
    "https://-a.example",
    "https://a.example\\@b",
    "javascript:alert(1)",
    "chrome-extension://abcdefghijklmnopabcdefghijklmnop",
    "https://[::0:1]",
    "https://256.1.1.1",
    "https://a%2eexample",
    "https://" + "a".repeat(64) + ".example",
    42,
  ]) {
    assert.equal(parseOrigin(bad), null, String(bad));
  }
});

test("the sender's origin: the browser's own field first, else its URL's", () => {
  assert.equal(senderOrigin({ origin: "https://a.example", url: "https://b.example/x" }), "https://a.example");
  assert.equal(senderOrigin({ url: "https://b.example:8443/path?q#f" }), "https://b.example:8443");
  assert.equal(senderOrigin({ origin: "null", url: "https://b.example/x" }), null);
  assert.equal(senderOrigin({ url: "file:///etc/passwd" }), null);
  assert.equal(senderOrigin({ url: "not a url" }), null);
  assert.equal(senderOrigin(undefined), null);
});

test("patterns: exact, any subdomain (not the domain itself, same port), every origin", () => {
  const matches = (pattern, origin) => patternMatches(parsePattern(pattern), origin);
  assert.ok(matches("*", "http://anything.example:81"));
  assert.ok(matches("https://a.example", "https://a.example"));
  assert.ok(!matches("https://a.example", "http://a.example"));
  assert.ok(!matches("https://a.example", "https://a.example:8443"));
  assert.ok(matches("https://*.example.com", "https://shop.example.com"));
  assert.ok(matches("https://*.example.com", "https://a.b.example.com"));
  assert.ok(!matches("https://*.example.com", "https://example.com"));
  assert.ok(!matches("https://*.example.com", "https://badexample.com"));
  assert.ok(!matches("https://*.example.com", "http://shop.example.com"));
  assert.ok(!matches("https://*.example.com", "https://shop.example.com:8443"));
  assert.ok(matches("https://*.example.com:8443", "https://shop.example.com:8443"));
  for (const bad of [
    "",
    "https://*",
    "https://*.",
    "*.example.com",
    "https://a.*.example",
    "https://*.example.com/",
    "**",
    "https://*.1.2.3.4",
    "http://*.0.0.1",
    7,
  ]) {
    assert.equal(parsePattern(bad), null, String(bad));
  }
});

test("managed storage: forbidden wins, a malformed list is unreadable", () => {
  const origin = "https://shop.example.com";
  assert.equal(managedDecision({}, origin), null);
  assert.equal(managedDecision(undefined, origin), null);
  assert.equal(managedDecision({ allowedOrigins: ["https://*.example.com"] }, origin), "allow");
  assert.equal(managedDecision({ allowedOrigins: ["*"], forbiddenOrigins: [origin] }, origin), "forbid");
  assert.equal(managedDecision({ allowedOrigins: ["https://other.example"] }, origin), null);
  assert.equal(managedDecision({ forbiddenOrigins: "https://shop.example.com" }, origin), "unreadable");
  assert.equal(managedDecision({ forbiddenOrigins: ["https://shop.example.com/"] }, origin), "unreadable");
  assert.equal(managedDecision({ allowedOrigins: [null] }, origin), "unreadable");
});
