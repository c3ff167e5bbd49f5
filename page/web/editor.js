// The hue editor: a panel beside the table that changes one hue at a time, every change undone
// and redone in order back to the file as loaded, kept in the browser's storage so that neither
// a closed tab nor a crash loses it, and leaving the page as a patch for `hues apply`.
import { $ } from "./data.js";
import {
  EditError, bytesHex, hueObject, jsonLines, patchOf, rgbText, withColor, withGradient, withName,
  withPastedJson, withTable,
} from "./hues.js";
import {
  bringBackChanges, canRedo, canUndo, changeHue, changedCount, changedList, chosenVision, editingHue, extraIds,
  extraOf, fieldsOf, hues, isChanged, keptChanges, keptKey, loadedFieldsOf, markEditing, markReloading,
  onPictureChanged, onVisionChanged, redoChange, reloadingOnPurpose, samplePicture, shownText, undoChange,
} from "./store.js";
import {
  copy, markEditingRow, onEditAsked, paintHue, positionOf, render, say, showChangedHue, showPosition,
} from "./table.js";
import { findingText, findingsFailure, findingsOf, onFindingsChanged } from "./findings.js";

const { ids, placeOfId } = hues;
const editor = $("editor"), editName = $("edit-name"), editStart = $("edit-start");
const editEnd = $("edit-end"), editMessage = $("edit-message"), editSample = $("edit-sample");
const undoButton = $("undo"), redoButton = $("redo"), changesText = $("changes");
const colorInputs = Array.from({ length: 32 }, (_, i) => {
  const input = document.createElement("input");
  input.type = "color";
  input.className = "edit-colour";
  input.setAttribute("aria-label", "Colour " + i);
  input.addEventListener("change", () => edit((hue) => withColor(hue, i, input.value)));
  return input;
});

// What else follows the hues as they change (a merge's conflicts).
const changeListeners = [];
export const onHueChanged = (listener) => changeListeners.push(listener);
function afterChange(hue) {
  showChangedHue();
  if (hue === editingHue()) showEditor();
  showChanges();
  keepSoon();
  for (const listener of changeListeners) listener(hue);
}

// A change the editor made: it shows at once, and can be undone.
export function change(hue, { hue: after, note }) {
  if (note) tell(note, false);
  if (changeHue(hue, after)) afterChange(hue);
}

// Undo and redo bring the changed hue into view, and into the editor when it is open.
function step(take, verb) {
  const hue = take();
  if (hue === null) return;
  if (editingHue() !== null && editingHue() !== hue) showInEditor(hue);
  const position = positionOf(hue);
  if (position >= 0) showPosition(position);
  afterChange(hue);
  say(verb + " a change to hue " + ids[hue]);
}
const undo = () => step(undoChange, "Undid");
const redo = () => step(redoChange, "Redid");

export function showChanges() {
  const count = changedCount();
  changesText.textContent = count === 0 ? "No hues changed" : count === 1 ? "1 hue changed" : count + " hues changed";
  undoButton.disabled = !canUndo();
  redoButton.disabled = !canRedo();
  $("download-changes").disabled = $("copy-changes").disabled = count === 0;
}

// ---- The changes as text: a patch that `hues apply` takes ----

// The patch: each changed hue's changed fields, and the fields a patch carries beside the hues'
// own (a block's header, chosen in a merge), in id order.
export function changesJson() {
  const changed = changedList();
  for (const id of extraIds()) {
    if (!isChanged(placeOfId.get(id))) changed.push(placeOfId.get(id));
  }
  changed.sort((a, b) => ids[a] - ids[b]);
  return jsonLines(changed.map((hue) => ({
    ...(isChanged(hue) ? patchOf(ids[hue], loadedFieldsOf(hue), fieldsOf(hue)) : { id: ids[hue] }),
    ...extraOf(ids[hue]),
  })));
}

// ---- Kept in the browser for these hues (HUES.key), and back when the page opens again ----

// After a save the hues are those of the file as saved, kept under its stamp (keptKey): what was
// kept under `previous` goes there.
export function keepAnew(previous) {
  localStorage.removeItem(previous);
  keep();
}
const fieldsText = (fields) => [fields.name, bytesHex(fields.bytes), Array.from(fields.values)];
const keptFields = ([name, hex, list]) =>
  ({ name, bytes: Uint8Array.from(hex.match(/../g), (pair) => parseInt(pair, 16)), values: Uint16Array.from(list) });
let keeping = 0;
function keepSoon() {
  clearTimeout(keeping);
  keeping = setTimeout(keep);
}
function keep() {
  const entries = (list) => list.map(({ hue, before, after }) => [ids[hue], fieldsText(before), fieldsText(after)]);
  const { done, undone } = keptChanges();
  try {
    if (done.length + undone.length === 0) localStorage.removeItem(keptKey());
    else localStorage.setItem(keptKey(), JSON.stringify({ done: entries(done), undone: entries(undone) }));
  } catch {
    say("This browser would not keep your changes: download them before you leave the page");
  }
}
function restore() {
  let kept = null;
  try {
    kept = JSON.parse(localStorage.getItem(keptKey()));
    const entries = (list) => list.map(([id, before, after]) => {
      if (!placeOfId.has(id)) throw new Error("no hue " + id);
      return { hue: placeOfId.get(id), before: keptFields(before), after: keptFields(after) };
    });
    if (kept) kept = { done: entries(kept.done), undone: entries(kept.undone) };
  } catch {
    kept = null;
  }
  if (!kept || kept.done.length + kept.undone.length === 0) return;
  bringBackChanges(kept);
  const count = changedCount();
  say("Your unsaved changes are back: " + (count === 1 ? "1 hue" : count + " hues") +
      " changed. Undo takes them back to the file as loaded");
  render(true);
}
// Loads the page again without asking, the changes taken along elsewhere (a save's rebase).
export function reloadLeavingChanges() {
  localStorage.removeItem(keptKey());
  markReloading();
  location.reload();
}

// ---- The panel ----

export function tell(text, refusal) {
  editMessage.textContent = text;
  editMessage.classList.toggle("note", !refusal);
}

function showEditor() {
  const fields = fieldsOf(editingHue());
  $("edit-id").textContent = ids[editingHue()];
  const hex = (value) => value.toString(16).toUpperCase();
  for (const [input, value] of [[editName, fields.name], [editStart, hex(fields.values[0])],
                                [editEnd, hex(fields.values[1])]]) {
    input.value = input.dataset.shown = value;
  }
  // With another vision, the pickers' swatches show the colours as seen (the pickers keep the
  // real ones); with normal vision, their own, which follow the picker as it moves.
  $("edit-colours").classList.toggle("seen", chosenVision().kind !== "normal");
  colorInputs.forEach((input, i) => {
    const color = rgbText[fields.values[2 + i] & 0x7fff];
    input.value = color.toLowerCase();
    input.title = "Colour " + i + ": " + color;
    input.style.setProperty("--seen", shownText(fields.values[2 + i]));
  });
  showEditedSample();
  showFindings();
}
// The hue's findings, as the file last read or saved holds them.
function showFindings() {
  const list = $("edit-findings"), found = findingsOf(ids[editingHue()]);
  const failure = findingsFailure();
  const lines = failure ? ["hues check: " + failure] : (found?.list ?? []).map(findingText);
  if (found && found.count > found.list.length) lines.push("and " + (found.count - found.list.length) + " more: hues check " + ids[editingHue()] + " lists them all");
  list.replaceChildren(...lines.map((line) => Object.assign(document.createElement("li"), { textContent: line })));
  list.hidden = lines.length === 0;
}
function showEditedSample() {
  const sample = samplePicture();
  editSample.hidden = !sample || editingHue() === null;
  if (editSample.hidden) return;
  editSample.width = sample.width;
  editSample.height = sample.height;
  paintHue(editSample, editingHue());
}

// What else shows the hue in the editor (its history), told when the editor takes another.
const editorShows = [];
export const onEditorShows = (listener) => editorShows.push(listener);
function showInEditor(hue) {
  markEditing(hue);
  tell("", false);
  showEditor();
  for (const listener of editorShows) listener(hue);
}
function openEditor(hue) {
  showInEditor(hue);
  editor.hidden = false;
  document.body.classList.add("editing");
  render(false);
  markEditingRow();
  editName.focus();
}
function closeEditor() {
  const hue = editingHue();
  markEditing(null);
  editor.hidden = true;
  document.body.classList.remove("editing");
  render(true);
  const row = document.getElementById("hue-" + ids[hue]);
  if (row) row.querySelector("button.edit").focus();
}

// One edit of the hue in the editor; a refusal says why, and the hue stays as it was.
// One edit of the hue in the editor, made by `make` from its fields; a refusal (EditError) is
// told in the panel instead.
export function edit(make) {
  tell("", false);
  try {
    change(editingHue(), make(fieldsOf(editingHue())));
    return true;
  } catch (error) {
    if (!(error instanceof EditError)) throw error;
    tell(error.message, true);
    showEditor();
    return false;
  }
}

const gradient = $("edit-gradient"), copyOf = $("edit-copy-of"), paste = $("edit-paste");
const applyGradient = () => edit((hue) => withGradient(hue, gradient.value));
function copyHue() {
  const id = copyOf.value.trim();
  edit(() => {
    if (!/^\d+$/.test(id) || !placeOfId.has(+id)) throw new EditError("There is no hue \"" + id + "\" on this page to copy");
    return { hue: fieldsOf(placeOfId.get(+id)) };
  });
}
function pasteHue(text) {
  if (edit((hue) => withPastedJson(hue, text))) paste.value = "";
}

// ---- Keys: undo and redo everywhere but while text is being typed; Escape leaves the panel ----

export const typing = (target) => target.matches("input:not([type=color]):not([type=checkbox]):not([type=file]), textarea") &&
  !(target.dataset.shown !== undefined && target.value === target.dataset.shown) &&
  !(editor.contains(target) && target.value === "");

// ---- Start: the changes kept from before, if any ----

export function startEditor() {
  listenToThePage();
  $("changes-bar").hidden = false;
  restore();
  showChanges();
}

// What the editor listens to, made as it starts, so that importing it changes nothing.
function listenToThePage() {
  $("edit-colours").append(...colorInputs);
  undoButton.addEventListener("click", undo);
  redoButton.addEventListener("click", redo);
  $("download-changes").addEventListener("click", () => {
    const link = document.createElement("a");
    link.href = URL.createObjectURL(new Blob([changesJson()], { type: "application/json" }));
    link.download = "changes.json";
    link.click();
    setTimeout(() => URL.revokeObjectURL(link.href));
    say("Downloaded the changes as changes.json: hues -f FILE apply changes.json");
  });
  $("copy-changes").addEventListener("click", () => copy(changesJson()));
  addEventListener("pagehide", keep);
  addEventListener("beforeunload", (event) => {
    if (changedCount() > 0 && !reloadingOnPurpose()) event.preventDefault();
  });
  onVisionChanged(() => { if (editingHue() !== null) showEditor(); });
  onFindingsChanged(() => { if (editingHue() !== null) showFindings(); });
  onPictureChanged(showEditedSample);
  onEditAsked(openEditor);
  $("edit-close").addEventListener("click", closeEditor);
  editName.addEventListener("change", () => edit((hue) => withName(hue, editName.value)));
  editStart.addEventListener("change", () => edit((hue) => withTable(hue, "start", editStart.value)));
  editEnd.addEventListener("change", () => edit((hue) => withTable(hue, "end", editEnd.value)));
  $("edit-gradient-apply").addEventListener("click", applyGradient);
  $("edit-copy-apply").addEventListener("click", copyHue);
  gradient.addEventListener("keydown", (event) => { if (event.key === "Enter") applyGradient(); });
  copyOf.addEventListener("keydown", (event) => { if (event.key === "Enter") copyHue(); });
  paste.addEventListener("paste", (event) => {
    event.preventDefault();
    pasteHue(event.clipboardData.getData("text"));
  });
  paste.addEventListener("change", () => { if (paste.value.trim()) pasteHue(paste.value); });
  $("edit-copy-json").addEventListener("click", () =>
    copy(JSON.stringify(hueObject(ids[editingHue()], fieldsOf(editingHue())))));
  addEventListener("keydown", (event) => {
    const key = event.key.toLowerCase();
    if ((event.ctrlKey || event.metaKey) && !event.altKey && (key === "z" || key === "y") && !typing(event.target)) {
      event.preventDefault();
      if (key === "y" || event.shiftKey) redo();
      else undo();
    }
    if (event.key === "Escape" && editor.contains(event.target)) closeEditor();
  });
}
