// Child processes that must not outlive the test, scratch folders, and
// bounded waits.
import { spawn } from "node:child_process";
import fs from "node:fs";
import os from "node:os";
import path from "node:path";

const children = new Set();
const scratchFolders = new Set();

function killGroup(child, signal) {
  try {
    process.kill(-child.pid, signal); // the child leads a process group of its own
  } catch {
    try {
      process.kill(child.pid, signal);
    } catch {
      // already gone
    }
  }
}

function cleanUpNow() {
  for (const child of children) killGroup(child, "SIGKILL");
  children.clear();
  for (const folder of scratchFolders) fs.rmSync(folder, { recursive: true, force: true });
  scratchFolders.clear();
}

// A test that fails, is interrupted or times out still ends its browsers.
process.on("exit", cleanUpNow);
for (const signal of ["SIGINT", "SIGTERM", "SIGHUP"]) {
  process.on(signal, () => {
    cleanUpNow();
    process.exit(128 + os.constants.signals[signal]);
  });
}

// Ends the test run, browsers included, once `ms` have passed: a harness
// that kills this process outright (a ctest timeout) would leave them behind.
export function endAfter(ms, what) {
  setTimeout(() => {
    console.error(`${what} took longer than ${ms} ms; ending it`);
    process.exit(1); // the exit handler ends the browsers
  }, ms).unref();
}

// Starts a program in a process group of its own, remembered until stopped.
export function startProcess(program, args, options = {}) {
  const child = spawn(program, args, { stdio: ["ignore", "pipe", "pipe"], detached: true, ...options });
  children.add(child);
  child.exited = new Promise((resolve) => child.once("exit", (code, signal) => resolve({ code, signal })));
  child.once("exit", () => children.delete(child));
  child.output = "";
  const keep = (chunk) => {
    child.output += chunk.toString();
    if (child.output.length > 200000) child.output = child.output.slice(-100000);
  };
  child.stdout?.on("data", keep);
  child.stderr?.on("data", keep);
  return child;
}

// Asks the program to end, then ends its whole group; resolves once it is gone.
export async function stopProcess(child, graceMs = 3000) {
  if (!child || child.exitCode !== null || child.signalCode !== null) {
    if (child) killGroup(child, "SIGKILL");
    return;
  }
  try {
    process.kill(child.pid, "SIGTERM");
  } catch {
    // already gone
  }
  const timer = setTimeout(() => killGroup(child, "SIGKILL"), graceMs);
  await child.exited;
  clearTimeout(timer);
  killGroup(child, "SIGKILL"); // helpers the program left behind
}

export function makeScratchFolder(prefix) {
  const folder = fs.mkdtempSync(path.join(os.tmpdir(), `quill-${prefix}-`));
  scratchFolders.add(folder);
  return folder;
}

export class WaitTimeout extends Error {}

// Polls `probe` until it returns a value other than undefined/false, at most
// `timeoutMs`; the error names what was awaited.
export async function waitFor(what, probe, { timeoutMs = 10000, intervalMs = 50 } = {}) {
  const deadline = Date.now() + timeoutMs;
  let lastError;
  for (;;) {
    try {
      const value = await probe();
      if (value !== undefined && value !== false && value !== null) return value;
      lastError = undefined;
    } catch (error) {
      lastError = error;
    }
    if (Date.now() >= deadline) {
      const reason = lastError ? ` (last error: ${lastError.message})` : "";
      throw new WaitTimeout(`timed out after ${timeoutMs} ms waiting for ${what}${reason}`);
    }
    await new Promise((resolve) => setTimeout(resolve, intervalMs));
  }
}

// Settles with the promise, or fails after `timeoutMs` naming what was awaited.
export function within(what, promise, timeoutMs) {
  let timer;
  const timeout = new Promise((_, reject) => {
    timer = setTimeout(() => reject(new WaitTimeout(`timed out after ${timeoutMs} ms: ${what}`)), timeoutMs);
  });
  return Promise.race([promise, timeout]).finally(() => clearTimeout(timer));
}

// The ids of the processes below `rootPid` (any depth) whose program is `exe`.
export function descendantsRunning(rootPid, exe) {
  const parentOf = new Map();
  for (const entry of fs.readdirSync("/proc")) {
    if (!/^\d+$/.test(entry)) continue;
    try {
      const stat = fs.readFileSync(`/proc/${entry}/stat`, "utf8");
      const fields = stat.slice(stat.lastIndexOf(")") + 2).split(" ");
      parentOf.set(Number(entry), Number(fields[1]));
    } catch {
      // ended while we looked
    }
  }
  const isBelowRoot = (pid) => {
    for (let p = parentOf.get(pid); p !== undefined && p > 1; p = parentOf.get(p)) {
      if (p === rootPid) return true;
    }
    return false;
  };
  const wanted = fs.realpathSync(exe);
  const found = [];
  for (const pid of parentOf.keys()) {
    if (!isBelowRoot(pid)) continue;
    try {
      if (fs.readlinkSync(`/proc/${pid}/exe`) === wanted) found.push(pid);
    } catch {
      // ended while we looked, or not ours to read
    }
  }
  return found;
}
