// Saving into the hue file, in a page that `hues edit` serves.
// A save sends the same patch the download gives, naming the stamp of the file as the page read
// it: the server refuses it, writing nothing, when the file has changed since, and then the page
// offers to read the file again and put the person's changes back on top of it.

import { hueOf, sameHue, withPastedJson } from "./hues.js";
import {
  change, changesJson, done, keepUnder, loaded, patchExtras, reloadLeavingChanges, showChanges,
  undone,
} from "./editor.js";
import { $, changedHues, hues, placeOfId, render } from "./table.js";

const RebaseKey = "hue-changes-to-rebase";
// What resolving a merge adds to a save: what is left to resolve, a save with nothing changed
// once all is settled as ours, and what it says when none is left.
export const saveHooks = { query: () => "", mayBeEmpty: () => false, saved: () => {} };

// `served`: the stamp of the file the page was made from.
export function startSaving(served) {
  const saveButton = $("save"), saveStatus = $("save-status"), rebaseButton = $("save-rebase");
  let stamp = served.stamp, saving = false;
  $("save-bar").hidden = false;

  const sayOfSave = (text, refusal) => {
    saveStatus.setAttribute("role", refusal ? "alert" : "status");
    saveStatus.textContent = text;
  };

  // The hues as they were sent are now the file's; a hue changed while the save was under way
  // stays changed. Undo starts again from the file as saved.
  function becomeFile(sent) {
    for (const [hue, fields] of sent) loaded.set(hue, fields);
    for (const hue of [...changedHues]) if (sameHue(loaded.get(hue), hueOf(hues, hue))) changedHues.delete(hue);
    if (changedHues.size === 0) done.length = undone.length = 0;
    keepUnder(stamp);
    showChanges();
    render(true);
  }

  async function save() {
    if (saving) return;
    if (changedHues.size === 0 && patchExtras.size === 0 && !saveHooks.mayBeEmpty()) {
      return sayOfSave("Nothing to save: no hue is changed", false);
    }
    saving = saveButton.disabled = true;
    sayOfSave("Saving…", false);
    const sent = new Map(Array.from(changedHues, (hue) => [hue, hueOf(hues, hue)]));
    let answer;
    try {
      const response = await fetch("/save" + location.search + "&stamp=" + stamp + saveHooks.query(), {
        method: "POST", headers: { "Content-Type": "application/json" }, body: changesJson() });
      answer = { ...(await response.json()), ok: response.ok, status: response.status };
    } catch {
      answer = { error: "hues edit does not answer: is it still running? Nothing was saved; your " +
                        "changes are kept in this browser" };
    }
    saving = saveButton.disabled = false;
    if (answer.ok) {
      stamp = answer.stamp;
      becomeFile(sent);
      rebaseButton.hidden = true;
      sayOfSave(answer.message, false);
      return saveHooks.saved(answer);
    }
    sayOfSave(answer.error, true);
    rebaseButton.hidden = !answer.conflict;
  }
  saveButton.addEventListener("click", save);
  // Started from a menu, hues edit has no terminal to stop it in: the page stops it.
  $("stop").addEventListener("click", async () => {
    if (changedHues.size > 0 && !confirm("Stop hues edit? Your unsaved changes stay in this browser.")) return;
    try {
      await fetch("/stop" + location.search, { method: "POST", headers: { "Content-Type": "application/json" }, body: "{}" });
      sayOfSave("hues edit has stopped: this page can no longer save", false);
      saveButton.disabled = true;
    } catch {
      sayOfSave("hues edit does not answer: it may have stopped already", true);
    }
  });
  addEventListener("keydown", (event) => {
    if ((event.ctrlKey || event.metaKey) && !event.altKey && event.key.toLowerCase() === "s") {
      event.preventDefault();
      save();
    }
  });

  // The changes go with the page as it loads the file again, and are laid over it as a patch:
  // each names only the fields the person changed.
  rebaseButton.addEventListener("click", () => {
    localStorage.setItem(RebaseKey, changesJson());
    reloadLeavingChanges();
  });
  const waiting = localStorage.getItem(RebaseKey);
  if (waiting) {
    localStorage.removeItem(RebaseKey);
    const missing = [];
    for (const patch of JSON.parse(waiting)) {
      const hue = placeOfId.get(patch.id);
      if (hue === undefined) missing.push(patch.id);
      else change(hue, withPastedJson(hueOf(hues, hue), JSON.stringify(patch)));
    }
    sayOfSave("The file as it is now, with your changes on top of it: Save saves them" +
              (missing.length ? "; hues " + missing.join(", ") + " are no longer in the file" : ""), false);
  }
}
