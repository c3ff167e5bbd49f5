// The page's state in one place: the colour vision its colours are shown as, the picture its hues
// are painted on, and the hues and every change made to them: the hues as the file gave them
// and as changed, those changed from the file as loaded, the changes in order for undo and redo,
// the fields a patch carries beside the hues' own (a block's header chosen in a merge), and the
// hue in the editor. The other modules read and change them through these functions alone, and
// hear of each changed hue through onFieldsChanged.
import { HUES, SERVED } from "./data.js";
import { hueOf, loadHues, putHue, sameHue } from "./hues.js";
import { NormalVision, seenTexts } from "./vision.js";

// Read by every module (ids, names, values); its fields are written here alone.
export const hues = loadHues(HUES);
const loaded = new Map();    // each changed hue's fields as the file has them
const changed = new Set();   // hues whose fields differ from the file's
const done = [], undone = [];  // { hue, before, after }, the last change last
const extras = new Map();    // hue id -> fields a patch carries beside the hue's own
let editing = null;

const fieldsListeners = [];
// `listener(hue)` once a hue's fields are new (an edit, an undo, changes kept from before).
export const onFieldsChanged = (listener) => fieldsListeners.push(listener);

export const fieldsOf = (hue) => hueOf(hues, hue);
export const loadedFieldsOf = (hue) => loaded.get(hue);
export const isChanged = (hue) => changed.has(hue);
export const changedCount = () => changed.size;
export const changedList = () => Array.from(changed);
export const canUndo = () => done.length > 0;
export const canRedo = () => undone.length > 0;

function put(hue, fields) {
  if (!loaded.has(hue)) loaded.set(hue, hueOf(hues, hue));
  putHue(hues, hue, fields);
  if (sameHue(loaded.get(hue), fields)) changed.delete(hue);
  else changed.add(hue);
  for (const listener of fieldsListeners) listener(hue);
}

// One change of a hue, to be undone in turn; false when it changes nothing.
export function changeHue(hue, after) {
  const before = hueOf(hues, hue);
  if (sameHue(before, after)) return false;
  put(hue, after);
  done.push({ hue, before, after });
  undone.length = 0;
  return true;
}
// The last change undone (or the last undone redone): its hue, or null when there is none.
function step(from, to, side) {
  const entry = from.pop();
  if (!entry) return null;
  to.push(entry);
  put(entry.hue, entry[side]);
  return entry.hue;
}
export const undoChange = () => step(done, undone, "before");
export const redoChange = () => step(undone, done, "after");

// The changes in order, as kept in the browser and brought back from there.
export const keptChanges = () => ({ done: done.slice(), undone: undone.slice() });
export function bringBackChanges(kept) {
  for (const entry of kept.done) put(entry.hue, entry.after);
  done.push(...kept.done);
  undone.push(...kept.undone);
}

// Whose hues these are: in a page `hues edit` serves, the stamp of the file's bytes as read or
// last saved, which a save names; what the browser keeps of the changes is kept under it (under
// the hues' own key in a page of a file).
let stamp = SERVED ? SERVED.stamp : null;
export const fileStamp = () => stamp;
export const keptKey = () => "hue-changes:" + (stamp ?? HUES.key);
// A save under way (no second one starts), and a reload made on purpose with the changes kept
// (no need to ask before leaving).
let saving = false, reloading = false;
export const savingNow = () => saving;
export function markSaving(now) { saving = now; }
export const reloadingOnPurpose = () => reloading;
export function markReloading() { reloading = true; }

// After a save: the hues as they were sent are now the file's, whose bytes have `savedStamp`; a
// hue changed while the save was under way stays changed, and undo starts again from the file
// as saved once none is.
export function becomeFile(sent, savedStamp) {
  stamp = savedStamp;
  for (const [hue, fields] of sent) loaded.set(hue, fields);
  for (const hue of [...changed]) if (sameHue(loaded.get(hue), hueOf(hues, hue))) changed.delete(hue);
  if (changed.size === 0) done.length = undone.length = 0;
}

// Fields a patch carries for a hue beside its own (null drops them).
export function putExtra(id, fields) {
  if (fields) extras.set(id, fields);
  else extras.delete(id);
}
export const extraOf = (id) => extras.get(id);
export const extraIds = () => Array.from(extras.keys());
export const clearExtras = () => extras.clear();

export const editingHue = () => editing;
export function markEditing(hue) { editing = hue; }

// ---- What the table shows: the hues its filter keeps, in order, and their ranking ----

let order = Int32Array.from({ length: hues.total }, (_, hue) => hue);
let ranking = null;  // { hex, target, distances, best } while ordered by a colour
export const shownOrder = () => order;
export function putShownOrder(next) { order = next; }
export const colourRanking = () => ranking;
export function putColourRanking(next) { ranking = next; }

// ---- What the hues are shown as ----

let vision = NormalVision, shown = seenTexts(NormalVision);
const visionListeners = [];
export const chosenVision = () => vision;
// The colour a stored value is shown in, as the chosen vision sees it.
export const shownText = (value) => shown[value & 0x7fff];
// `listener()` once the page shows another vision.
export const onVisionChanged = (listener) => visionListeners.push(listener);
export function chooseVision(next) {
  vision = next;
  shown = seenTexts(next);
  for (const listener of visionListeners) listener();
}

// The picture every hue is painted on ({ width, height, data }), or null; and what else shows
// it (the table, the editor, a merge's conflicts), told when it or the way it is painted changes.
let sample = null;
const pictureListeners = [];
export const samplePicture = () => sample;
export const onPictureChanged = (listener) => pictureListeners.push(listener);
export const tellPictureChanged = () => { for (const listener of pictureListeners) listener(); };
export function useSamplePicture(pixels) {
  sample = pixels;
  tellPictureChanged();
}
