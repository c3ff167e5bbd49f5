// The hue editor: a panel beside the table that changes one hue at a time, every change undone
// and redone in order back to the file as loaded, kept in the browser's storage so that neither
// a closed tab nor a crash loses it, and leaving the page as a patch for `hues apply`.
import { HUES, SERVED } from "./data.js";
import {
  EditError, bytesHex, hueObject, hueOf, jsonLines, patchOf, putHue, rgbText, sameHue, withColor,
  withGradient, withName, withPastedJson, withTable,
} from "./hues.js";
import {
  $, changedHues, copy, editingHue, hues, ids, lowerNames, markEditing, onEditAsked,
  onPictureChanged, onlyChanged, order, paintHue, placeOfId, rebuildOrder, remeasure, render,
  sample, say, showPosition,
} from "./table.js";

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
$("edit-colours").append(...colorInputs);

// ---- The changes: each hue as loaded, from its first change on, and every change in order ----

export const loaded = new Map();
export const done = [], undone = [];  // { hue, before, after }, the last change last

function put(hue, fields) {
  if (!loaded.has(hue)) loaded.set(hue, hueOf(hues, hue));
  putHue(hues, hue, fields);
  lowerNames[hue] = fields.name.toLowerCase();
  if (sameHue(loaded.get(hue), fields)) changedHues.delete(hue);
  else changedHues.add(hue);
  remeasure(hue);
}

// What else follows the hues as they change (a merge's conflicts).
const changeListeners = [];
export const onHueChanged = (listener) => changeListeners.push(listener);
function afterChange(hue) {
  if (onlyChanged.checked) rebuildOrder();
  else render(true);
  if (hue === editingHue) showEditor();
  showChanges();
  keepSoon();
  for (const listener of changeListeners) listener(hue);
}

// A change the editor made: it shows at once, and can be undone.
export function change(hue, { hue: after, note }) {
  const before = hueOf(hues, hue);
  if (note) tell(note, false);
  if (sameHue(before, after)) return;
  put(hue, after);
  done.push({ hue, before, after });
  undone.length = 0;
  afterChange(hue);
}

// Undo and redo bring the changed hue into view, and into the editor when it is open.
function step(from, to, fields, verb) {
  const entry = from.pop();
  if (!entry) return;
  to.push(entry);
  put(entry.hue, fields(entry));
  if (editingHue !== null && editingHue !== entry.hue) showInEditor(entry.hue);
  const position = order.indexOf(entry.hue);
  if (position >= 0) showPosition(position);
  afterChange(entry.hue);
  say(verb + " a change to hue " + ids[entry.hue]);
}
const undo = () => step(done, undone, (entry) => entry.before, "Undid");
const redo = () => step(undone, done, (entry) => entry.after, "Redid");
undoButton.addEventListener("click", undo);
redoButton.addEventListener("click", redo);

export function showChanges() {
  const count = changedHues.size;
  changesText.textContent = count === 0 ? "No hues changed" : count === 1 ? "1 hue changed" : count + " hues changed";
  undoButton.disabled = done.length === 0;
  redoButton.disabled = undone.length === 0;
  $("download-changes").disabled = $("copy-changes").disabled = count === 0;
}

// ---- The changes as text: a patch that `hues apply` takes ----

// Fields the hues of the page do not hold, by hue id (a block's header, chosen in a merge).
export const patchExtras = new Map();
export function changesJson() {
  const changed = Array.from(changedHues);
  for (const id of patchExtras.keys()) {
    if (!changedHues.has(placeOfId.get(id))) changed.push(placeOfId.get(id));
  }
  changed.sort((a, b) => ids[a] - ids[b]);
  return jsonLines(changed.map((hue) => ({
    ...(changedHues.has(hue) ? patchOf(ids[hue], loaded.get(hue), hueOf(hues, hue)) : { id: ids[hue] }),
    ...patchExtras.get(ids[hue]),
  })));
}
$("download-changes").addEventListener("click", () => {
  const link = document.createElement("a");
  link.href = URL.createObjectURL(new Blob([changesJson()], { type: "application/json" }));
  link.download = "changes.json";
  link.click();
  setTimeout(() => URL.revokeObjectURL(link.href));
  say("Downloaded the changes as changes.json: hues -f FILE apply changes.json");
});
$("copy-changes").addEventListener("click", () => copy(changesJson()));

// ---- Kept in the browser for these hues (HUES.key), and back when the page opens again ----

// A served page's hues are those of the file's bytes it names in its stamp.
let storageKey = "hue-changes:" + (SERVED ? SERVED.stamp : HUES.key);
// After a save the hues are those of the file as saved: what is kept is kept under its stamp.
export function keepUnder(stamp) {
  localStorage.removeItem(storageKey);
  storageKey = "hue-changes:" + stamp;
  keep();
}
const fieldsText = (fields) => [fields.name, bytesHex(fields.bytes), Array.from(fields.values)];
const fieldsOf = ([name, hex, list]) =>
  ({ name, bytes: Uint8Array.from(hex.match(/../g), (pair) => parseInt(pair, 16)), values: Uint16Array.from(list) });
let keeping = 0;
function keepSoon() {
  clearTimeout(keeping);
  keeping = setTimeout(keep);
}
function keep() {
  const entries = (list) => list.map(({ hue, before, after }) => [ids[hue], fieldsText(before), fieldsText(after)]);
  try {
    if (done.length + undone.length === 0) localStorage.removeItem(storageKey);
    else localStorage.setItem(storageKey, JSON.stringify({ done: entries(done), undone: entries(undone) }));
  } catch {
    say("This browser would not keep your changes: download them before you leave the page");
  }
}
function restore() {
  let kept = null;
  try {
    kept = JSON.parse(localStorage.getItem(storageKey));
    const entries = (list) => list.map(([id, before, after]) => {
      if (!placeOfId.has(id)) throw new Error("no hue " + id);
      return { hue: placeOfId.get(id), before: fieldsOf(before), after: fieldsOf(after) };
    });
    if (kept) kept = { done: entries(kept.done), undone: entries(kept.undone) };
  } catch {
    kept = null;
  }
  if (!kept || kept.done.length + kept.undone.length === 0) return;
  for (const entry of kept.done) put(entry.hue, entry.after);
  done.push(...kept.done);
  undone.push(...kept.undone);
  const count = changedHues.size;
  say("Your unsaved changes are back: " + (count === 1 ? "1 hue" : count + " hues") +
      " changed. Undo takes them back to the file as loaded");
  render(true);
}
let reloading = false;  // on purpose, with the changes kept: no need to ask
// Loads the page again without asking, the changes taken along elsewhere (a save's rebase).
export function reloadLeavingChanges() {
  localStorage.removeItem(storageKey);
  reloading = true;
  location.reload();
}
addEventListener("pagehide", keep);
addEventListener("beforeunload", (event) => {
  if (changedHues.size > 0 && !reloading) event.preventDefault();
});

// ---- The panel ----

function tell(text, refusal) {
  editMessage.textContent = text;
  editMessage.classList.toggle("note", !refusal);
}

function showEditor() {
  const fields = hueOf(hues, editingHue);
  $("edit-id").textContent = ids[editingHue];
  const hex = (value) => value.toString(16).toUpperCase();
  for (const [input, value] of [[editName, fields.name], [editStart, hex(fields.values[0])],
                                [editEnd, hex(fields.values[1])]]) {
    input.value = input.dataset.shown = value;
  }
  colorInputs.forEach((input, i) => {
    const color = rgbText[fields.values[2 + i] & 0x7fff];
    input.value = color.toLowerCase();
    input.title = "Colour " + i + ": " + color;
  });
  showEditedSample();
}
onPictureChanged(showEditedSample);
function showEditedSample() {
  editSample.hidden = !sample || editingHue === null;
  if (editSample.hidden) return;
  editSample.width = sample.width;
  editSample.height = sample.height;
  paintHue(editSample, editingHue);
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
  render(true);
  editName.focus();
}
onEditAsked(openEditor);
function closeEditor() {
  const hue = editingHue;
  markEditing(null);
  editor.hidden = true;
  document.body.classList.remove("editing");
  render(true);
  const row = document.getElementById("hue-" + ids[hue]);
  if (row) row.querySelector("button.edit").focus();
}
$("edit-close").addEventListener("click", closeEditor);

// One edit of the hue in the editor; a refusal says why, and the hue stays as it was.
function edit(make) {
  tell("", false);
  try {
    change(editingHue, make(hueOf(hues, editingHue)));
    return true;
  } catch (error) {
    if (!(error instanceof EditError)) throw error;
    tell(error.message, true);
    showEditor();
    return false;
  }
}
editName.addEventListener("change", () => edit((hue) => withName(hue, editName.value)));
editStart.addEventListener("change", () => edit((hue) => withTable(hue, "start", editStart.value)));
editEnd.addEventListener("change", () => edit((hue) => withTable(hue, "end", editEnd.value)));

const gradient = $("edit-gradient"), copyOf = $("edit-copy-of"), paste = $("edit-paste");
const applyGradient = () => edit((hue) => withGradient(hue, gradient.value));
function copyHue() {
  const id = copyOf.value.trim();
  edit(() => {
    if (!/^\d+$/.test(id) || !placeOfId.has(+id)) throw new EditError("There is no hue \"" + id + "\" on this page to copy");
    return { hue: hueOf(hues, placeOfId.get(+id)) };
  });
}
function pasteHue(text) {
  if (edit((hue) => withPastedJson(hue, text))) paste.value = "";
}
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
  copy(JSON.stringify(hueObject(ids[editingHue], hueOf(hues, editingHue)))));

// ---- Keys: undo and redo everywhere but while text is being typed; Escape leaves the panel ----

export const typing = (target) => target.matches("input:not([type=color]):not([type=checkbox]):not([type=file]), textarea") &&
  !(target.dataset.shown !== undefined && target.value === target.dataset.shown) &&
  !(editor.contains(target) && target.value === "");
addEventListener("keydown", (event) => {
  const key = event.key.toLowerCase();
  if ((event.ctrlKey || event.metaKey) && !event.altKey && (key === "z" || key === "y") && !typing(event.target)) {
    event.preventDefault();
    if (key === "y" || event.shiftKey) redo();
    else undo();
  }
  if (event.key === "Escape" && editor.contains(event.target)) closeEditor();
});

// ---- Start: the changes kept from before, if any ----

export function startEditor() {
  $("changes-bar").hidden = false;
  restore();
  showChanges();
}
