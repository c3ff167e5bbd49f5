// A hue's history in git, in a page that `hues edit` serves for a file git tracks: the commits
// that changed the hue, newest first, each with its author, date and subject and the hue's
// strip as it was after it, and a button that makes the hue that again: an ordinary edit,
// counted, undone with Ctrl+Z and saved with Save.
import { EditError, withHueObject } from "./hues.js";
import { change, onEditorShows } from "./editor.js";
import { fieldsOf, hues, shownText } from "./store.js";
import { $ } from "./data.js";

export function startHistory() {
  const section = $("history"), list = $("history-list"), status = $("history-status");
  let asked = 0;  // the latest request: an answer to an older one is dropped

  function entryOf(entry, hue) {
    const item = document.createElement("li");
    item.className = "history-entry";
    item.dataset.commit = entry.commit;
    const heading = document.createElement("p");
    heading.append(Object.assign(document.createElement("strong"), { textContent: entry.subject }));
    const when = Object.assign(document.createElement("p"), { className: "when" });
    when.textContent = entry.commit.slice(0, 7) + " \u00B7 " + entry.author + " \u00B7 " + entry.date;
    item.append(heading, when);
    if (entry.after) {
      const strip = document.createElement("div");
      strip.className = "history-strip";
      strip.setAttribute("role", "img");
      strip.setAttribute("aria-label", "Hue " + entry.hue + " after " + entry.commit.slice(0, 7));
      strip.append(...entry.after.stored.map((stored) => {
        const swatch = document.createElement("span");
        swatch.dataset.stored = stored;
        swatch.style.background = shownText(stored);
        return swatch;
      }));
      const restore = Object.assign(document.createElement("button"), {
        type: "button", className: "restore", textContent: "Restore" });
      restore.setAttribute("aria-label", "Restore hue " + entry.hue + " as it was after " + entry.commit.slice(0, 7));
      restore.addEventListener("click", () => restoreHue(hue, entry));
      item.append(strip, restore);
    } else {
      item.append(Object.assign(document.createElement("p"), { textContent: "No such hue after it" }));
    }
    return item;
  }

  // The hue as the commit left it, an ordinary edit; a state the editor cannot take is said.
  function restoreHue(hue, entry) {
    try {
      change(hue, withHueObject(fieldsOf(hue), entry.after, "Hue " + entry.hue + " as of " + entry.commit.slice(0, 7)));
    } catch (error) {
      if (!(error instanceof EditError)) throw error;
      status.textContent = error.message;
    }
  }

  onEditorShows(async (hue) => {
    const id = hues.ids[hue], mine = ++asked;
    section.hidden = false;
    list.replaceChildren();
    status.textContent = "Reading the history of hue " + id + "\u2026";
    // Asked only of a hue that stays shown a moment: going through hues one after another asks
    // git once, for the last, not once a hue passed.
    await new Promise((resolve) => setTimeout(resolve, 150));
    if (mine !== asked) return;
    let entries;
    try {
      const response = await fetch("/history" + location.search + "&hue=" + id);
      entries = await response.json();
      if (!response.ok) throw new Error(entries.error);
    } catch (error) {
      if (mine === asked) status.textContent = "No history: " + (error.message || "hues edit does not answer");
      return;
    }
    if (mine !== asked) return;
    list.replaceChildren(...entries.map((entry) => entryOf(entry, hue)));
    status.textContent = entries.length === 1 ? "1 commit changed this hue" : entries.length + " commits changed this hue";
  });
}
