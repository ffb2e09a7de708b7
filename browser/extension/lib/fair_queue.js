// The requests of one origin waiting for its host: a queue per tab, served
// round-robin across tabs so that a tab that floods cannot starve another,
// in order within a tab, and bounded per tab.

export const MAX_WAITING_PER_TAB = 64;

export class FairQueue {
  constructor(limit = MAX_WAITING_PER_TAB) {
    this.limit = limit;
    // Insertion order is the serving order: a tab just served moves last.
    this.tabs = new Map();
    this.blocked = new Set();
  }

  get size() {
    let total = 0;
    for (const items of this.tabs.values()) total += items.length;
    return total;
  }

  // False when the tab already has `limit` requests waiting.
  push(tab, item) {
    let items = this.tabs.get(tab);
    if (!items) {
      items = [];
      this.tabs.set(tab, items);
    }
    if (items.length >= this.limit) return false;
    items.push(item);
    return true;
  }

  // The next request, round-robin over the tabs that are not blocked, or
  // null when none may be served now.
  shift() {
    for (const [tab, items] of this.tabs) {
      if (this.blocked.has(tab)) continue;
      const item = items.shift();
      this.tabs.delete(tab);
      if (items.length > 0) this.tabs.set(tab, items);
      return { tab, item };
    }
    return null;
  }

  // A tab's head request goes back to the front of its queue (it waits for
  // something, e.g. the user's answer).
  unshift(tab, item) {
    const items = this.tabs.get(tab);
    if (items) {
      items.unshift(item);
    } else {
      this.tabs.set(tab, [item]);
    }
  }

  // A blocked tab keeps its requests but is skipped until unblocked.
  block(tab) {
    this.blocked.add(tab);
  }

  unblock(tab) {
    this.blocked.delete(tab);
  }

  // Removes and returns every waiting request of the tab.
  takeTab(tab) {
    const items = this.tabs.get(tab) ?? [];
    this.tabs.delete(tab);
    return items;
  }

  // Removes and returns the waiting requests for which `test` holds.
  remove(test) {
    const removed = [];
    for (const [tab, items] of [...this.tabs]) {
      const kept = items.filter((item) => {
        if (!test(item)) return true;
        removed.push(item);
        return false;
      });
      if (kept.length > 0) {
        this.tabs.set(tab, kept);
      } else {
        this.tabs.delete(tab);
      }
    }
    return removed;
  }
}
