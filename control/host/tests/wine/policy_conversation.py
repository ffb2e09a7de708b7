#!/usr/bin/env python3
"""Speaks to quill-host (any command line, e.g. `wine quill-host.exe`) and
checks its answers to requests from web pages under the policy the caller
set up: argv[1] is the expected answer to the policy query of
https://a.example, argv[2] the expected error code (or "result") of a
member call from it, argv[3:] the host's command line."""
import json
import struct
import subprocess
import sys


def ask(host, request):
    payload = json.dumps(request).encode()
    host.stdin.write(struct.pack("<I", len(payload)) + payload)
    host.stdin.flush()
    size = struct.unpack("<I", host.stdout.read(4))[0]
    return json.loads(host.stdout.read(size))


def main():
    expected_query, expected_call, command = sys.argv[1], sys.argv[2], sys.argv[3:]
    host = subprocess.Popen(command, stdin=subprocess.PIPE, stdout=subprocess.PIPE)
    failures = []
    query = ask(host, {"id": 1, "origin": "https://a.example", "query": "policy"})
    got = query.get("result", query.get("error", {}).get("code"))
    if got != expected_query:
        failures.append(f"query: expected {expected_query}, got {query}")
    call = ask(host, {"id": 2, "origin": "https://a.example", "get": "Version"})
    got = "result" if "result" in call else call.get("error", {}).get("code")
    if got != expected_call:
        failures.append(f"call: expected {expected_call}, got {call}")
    local = ask(host, {"id": 3, "get": "Version"})
    if local.get("error", {}).get("code") != "origin-mismatch":
        failures.append(f"local request after binding: {local}")
    host.stdin.close()
    host.wait(timeout=30)
    for failure in failures:
        print(failure)
    print(f"query={json.dumps(query)}")
    print(f"failures={len(failures)}")
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
