// Saving into the hue file, in a page that `hues edit` serves.
// A save sends the same patch the download gives, naming the stamp of the file as the page read
// it: the server refuses it, writing nothing, when the file has changed since, and then the page
// offers to read the file again and put the person's changes back on top of it.

import { askFindings } from "./findings.js";
import { EditError, withHueObject } from "./hues.js";
import { change, changesJson, keepAnew, reloadLeavingChanges, showChanges } from "./editor.js";
import {
  becomeFile, changedCount, changedList, extraIds, fieldsOf, fileStamp, hues, keptKey, markSaving, savingNow,
} from "./store.js";
import { render } from "./table.js";
import { $ } from "./data.js";

const RebaseKey = "hue-changes-to-rebase";
// What another part of the page adds to a save (resolving a merge), handed to startSaving: more
// to the query, a save with nothing changed allowed, and what follows a save.
const NoMore = { query: () => "", mayBeEmpty: () => false, saved: () => {} };
let hooks = NoMore;

const saveButton = $("save"), saveStatus = $("save-status"), rebaseButton = $("save-rebase");

function sayOfSave(text, refusal) {
  saveStatus.setAttribute("role", refusal ? "alert" : "status");
  saveStatus.textContent = text;
}

// The answer of hues edit to the patch, or the words for none.
async function sendChanges() {
  try {
    const response = await fetch("/save" + location.search + "&stamp=" + fileStamp() + hooks.query(), {
      method: "POST", headers: { "Content-Type": "application/json" }, body: changesJson() });
    return { ...(await response.json()), ok: response.ok, status: response.status };
  } catch {
    return { error: "hues edit does not answer: is it still running? Nothing was saved; your " +
                    "changes are kept in this browser" };
  }
}

async function save() {
  if (savingNow()) return;
  if (changedCount() === 0 && extraIds().length === 0 && !hooks.mayBeEmpty()) {
    return sayOfSave("Nothing to save: no hue is changed", false);
  }
  markSaving(true);
  saveButton.disabled = true;
  sayOfSave("Saving…", false);
  const sent = new Map(changedList().map((hue) => [hue, fieldsOf(hue)]));
  const answer = await sendChanges();
  markSaving(false);
  saveButton.disabled = false;
  if (!answer.ok) {
    sayOfSave(answer.error, true);
    rebaseButton.hidden = !answer.conflict;
    return;
  }
  const keptBefore = keptKey();
  becomeFile(sent, answer.stamp);
  keepAnew(keptBefore);
  showChanges();
  render(true);
  rebaseButton.hidden = true;
  sayOfSave(answer.message, false);
  askFindings();
  hooks.saved(answer);
}

// Started from a menu, hues edit has no terminal to stop it in: the page stops it.
async function stopServer() {
  if (changedCount() > 0 && !confirm("Stop hues edit? Your unsaved changes stay in this browser.")) return;
  try {
    await fetch("/stop" + location.search, { method: "POST", headers: { "Content-Type": "application/json" }, body: "{}" });
    sayOfSave("hues edit has stopped: this page can no longer save", false);
    saveButton.disabled = true;
  } catch {
    sayOfSave("hues edit does not answer: it may have stopped already", true);
  }
}

// The changes go with the page as it loads the file again, and are laid over it as a patch:
// each names only the fields the person changed.
function rebase() {
  localStorage.setItem(RebaseKey, changesJson());
  reloadLeavingChanges();
}
function putChangesBack(waiting) {
  const missing = [], refused = [];
  let patches;
  try {
    patches = JSON.parse(waiting);
  } catch {
    patches = [];
    refused.push("the changes kept to put back could not be read");
  }
  for (const patch of Array.isArray(patches) ? patches : []) {
    const hue = hues.placeOfId.get(patch?.id);
    if (hue === undefined) {
      missing.push(patch?.id);
      continue;
    }
    try {
      change(hue, withHueObject(fieldsOf(hue), patch, "Your change to hue " + patch.id));
    } catch (error) {
      if (!(error instanceof EditError)) throw error;
      refused.push(error.message);
    }
  }
  sayOfSave("The file as it is now, with your changes on top of it: Save saves them" +
            (missing.length ? "; hues " + missing.join(", ") + " are no longer in the file" : "") +
            (refused.length ? "; not put back: " + refused.join("; ") : ""), refused.length > 0);
}

// `more`: what a part adds to a save.
export function startSaving(more = {}) {
  hooks = { ...NoMore, ...more };
  $("save-bar").hidden = false;
  saveButton.addEventListener("click", save);
  $("stop").addEventListener("click", stopServer);
  addEventListener("keydown", (event) => {
    if ((event.ctrlKey || event.metaKey) && !event.altKey && event.key.toLowerCase() === "s") {
      event.preventDefault();
      save();
    }
  });
  rebaseButton.addEventListener("click", rebase);
  const waiting = localStorage.getItem(RebaseKey);
  if (waiting) {
    localStorage.removeItem(RebaseKey);
    putChangesBack(waiting);
  }
}
