// Resolving a merge by eye (the conflicts `hues merge --resolve` left, in the page it serves):
// each conflict with its base, ours and theirs side by side, as text, as the hue's strip and on
// the picture, and a button to take each. Taking a side is a change like any other in
// the editor: undone with Ctrl+Z. A conflict is resolved once a side is taken or its field is
// set by hand; Save with none left ends the merge.
import { bytesHex, fieldNamed, fieldNames, nameText, printable, rgbText } from "./hues.js";
import { change, onHueChanged, typing } from "./editor.js";
import { clearExtras, fieldsOf, hues, onPictureChanged, putExtra, samplePicture, shownText } from "./store.js";
import { paintColors } from "./table.js";
import { $ } from "./data.js";

const sides = ["base", "ours", "theirs"];
const sideNames = { base: "Base", ours: "Ours", theirs: "Theirs" };
// Fields by the JSON format's names (fieldNamed), whichever names the conflicts came with: the
// program's (fieldNames), taken as resolving starts.
let F = null;
const colorOf = (field) => {
  const prefix = F.colors + "/";
  return field.startsWith(prefix) ? +field.slice(prefix.length) : -1;
};
const nameOfHex = (hex) => Uint8Array.from(hex.match(/../g), (pair) => parseInt(pair, 16));
const isHueField = (conflict) => conflict.field !== F.blockHeader && conflict.field !== F.tail;

// The merge being resolved: the conflicts, each { hue, field, base, ours, theirs }, their items
// in the panel, those resolved as ours (the value they have already) and, for a block header's
// conflict, the side taken.
const merge = { conflicts: [], items: [], keptOurs: new Set(), headersTaken: new Map() };

// ---- A conflict's values ----

// The value a hue field has in the page now, in the form the conflicts give it.
function valueNow(conflict) {
  const fields = fieldsOf(hues.placeOfId.get(conflict.hue));
  if (conflict.field === F.name) return bytesHex(fields.bytes).toUpperCase();
  if (conflict.field === F.tableStart) return fields.values[0];
  if (conflict.field === F.tableEnd) return fields.values[1];
  return fields.values[2 + colorOf(conflict.field)];
}
// The hue as it is now with one side's value in the conflict's field.
function withSide(fields, conflict, value) {
  const next = { ...fields, values: fields.values.slice() };
  if (conflict.field === F.name) {
    next.bytes = nameOfHex(value);
    next.name = printable(nameText(next.bytes));
  } else if (conflict.field === F.tableStart) {
    next.values[0] = value;
  } else if (conflict.field === F.tableEnd) {
    next.values[1] = value;
  } else {
    next.values[2 + colorOf(conflict.field)] = value;
  }
  return next;
}
function valueText(conflict, side) {
  const value = conflict[side];
  if (value === null) return side === "base" ? "none (no base)" : "cut off";
  if (conflict.field === F.name) return '"' + printable(nameText(nameOfHex(value))) + '"';
  if (conflict.field === F.tail) return value + (value === 1 ? " byte" : " bytes");
  if (conflict.field === F.blockHeader) return "0x" + value.toString(16).toUpperCase().padStart(8, "0");
  if (conflict.field === F.tableStart || conflict.field === F.tableEnd) return value.toString(16).toUpperCase();
  return rgbText[value & 0x7fff] + " (0x" + value.toString(16).toUpperCase().padStart(4, "0") + ")";
}
const fieldWords = (field) => (colorOf(field) >= 0 ? "colour " + colorOf(field) : field.replace("_", " "));
const fieldText = (conflict) =>
  conflict.field === F.tail ? "the bytes after the last hue"
    : conflict.field === F.blockHeader ? "block " + conflict.hue / 8 + " header"
      : "hue " + conflict.hue + " " + fieldWords(conflict.field);

function resolved(i) {
  const conflict = merge.conflicts[i];
  if (conflict.field === F.tail) return true;  // not a hue: ours stays (see docs/using.md)
  if (conflict.field === F.blockHeader) return merge.keptOurs.has(i) || merge.headersTaken.has(i);
  return merge.keptOurs.has(i) || valueNow(conflict) !== conflict.ours;
}
const left = () => merge.conflicts.filter((_, i) => !resolved(i)).length;

// ---- The panel: a conflict an item, each side a column ----

function sideColumn(conflict, i, side) {
  const column = document.createElement("div");
  column.className = "side side-" + side;
  const heading = document.createElement("h4");
  heading.textContent = sideNames[side];
  const value = document.createElement("p");
  value.className = "value";
  if (colorOf(conflict.field) >= 0 && conflict[side] !== null) {
    const swatch = document.createElement("span");
    swatch.className = "swatch";
    swatch.dataset.stored = conflict[side];
    swatch.style.background = shownText(conflict[side]);
    value.append(swatch);
  }
  value.append(valueText(conflict, side));
  column.append(heading, value);
  if (isHueField(conflict) && conflict[side] !== null) {
    const strip = document.createElement("div");
    strip.className = "mini-strip";
    strip.setAttribute("aria-hidden", "true");
    strip.append(...Array.from({ length: 32 }, () => document.createElement("span")));
    const canvas = document.createElement("canvas");
    canvas.className = "conflict-sample";
    canvas.setAttribute("aria-label", "The picture with " + sideNames[side].toLowerCase() + "' hue");
    column.append(strip, canvas);
  }
  const take = document.createElement("button");
  take.type = "button";
  take.className = "take-" + side;
  take.textContent = "Take " + sideNames[side].toLowerCase();
  take.setAttribute("aria-label", "Take " + sideNames[side].toLowerCase() + " for " + fieldText(conflict));
  take.disabled = conflict[side] === null || conflict.field === F.tail;
  take.addEventListener("click", () => takeSide(i, side));
  column.append(take);
  return column;
}
function conflictItem(conflict, i) {
  const item = document.createElement("li");
  item.className = "conflict";
  item.dataset.hue = conflict.hue;
  item.dataset.field = conflict.field;
  item.tabIndex = -1;
  const title = document.createElement("h3");
  title.textContent = fieldText(conflict)[0].toUpperCase() + fieldText(conflict).slice(1);
  const row = document.createElement("div");
  row.className = "sides";
  row.append(...sides.map((side) => sideColumn(conflict, i, side)));
  const state = document.createElement("p");
  state.className = "state";
  item.append(title, row, state);
  return item;
}

// Each side's strip and picture: the hue as it is now, with that side's value in the field.
function paintSides(i) {
  const conflict = merge.conflicts[i];
  if (!isHueField(conflict)) return;
  const now = fieldsOf(hues.placeOfId.get(conflict.hue)), sample = samplePicture();
  for (const side of sides) {
    const column = merge.items[i].querySelector(".side-" + side);
    const strip = column.querySelector(".mini-strip");
    if (!strip) continue;
    const values = withSide(now, conflict, conflict[side]).values.subarray(2);
    Array.from(strip.children).forEach((swatch, k) => {
      swatch.dataset.stored = values[k];
      swatch.style.background = shownText(values[k]);
    });
    const canvas = column.querySelector("canvas");
    canvas.hidden = !sample;
    if (!sample) continue;
    canvas.width = sample.width;
    canvas.height = sample.height;
    paintColors(canvas, Array.from(values));
  }
}

function stateText(conflict, i) {
  const now = isHueField(conflict) ? valueNow(conflict) : null;
  return conflict.field === F.tail ? "ours stays: the bytes after the last hue are no hue"
    : conflict.field === F.blockHeader && merge.headersTaken.has(i) ? "Resolved: " + merge.headersTaken.get(i)
      : !resolved(i) ? "Not resolved yet: ours is in the file"
        : merge.keptOurs.has(i) && (now === null || now === conflict.ours) ? "Resolved: ours"
          : now === conflict.theirs ? "Resolved: theirs"
            : now === conflict.base ? "Resolved: base" : "Resolved: set by hand";
}
function update() {
  merge.conflicts.forEach((conflict, i) => {
    merge.items[i].classList.toggle("resolved", resolved(i));
    merge.items[i].querySelector(".state").textContent = stateText(conflict, i);
    paintSides(i);
  });
  const count = left();
  $("conflicts-left").textContent = count === 0 ? "No conflicts left: Save to finish the merge"
    : count === 1 ? "1 conflict left" : count + " conflicts left";
}

// ---- Taking a side, and moving from conflict to conflict ----

function takeSide(i, side) {
  const conflict = merge.conflicts[i];
  if (side === "ours") merge.keptOurs.add(i);
  else merge.keptOurs.delete(i);
  if (conflict.field === F.blockHeader) {
    merge.headersTaken.set(i, side);
    putExtra(conflict.hue, side === "ours" ? null : { [F.blockHeader]: conflict[side] });
    return update();
  }
  const place = hues.placeOfId.get(conflict.hue);
  change(place, { hue: withSide(fieldsOf(place), conflict, conflict[side]) });
  update();
}

// The next conflict left, after the one with the focus, and the hue's row in view.
function nextConflict() {
  const { items } = merge;
  const from = items.indexOf(document.activeElement.closest?.(".conflict"));
  for (let step = 1; step <= items.length; step++) {
    const i = (from + step + items.length) % items.length;
    if (resolved(i) && left() > 0) continue;
    items[i].scrollIntoView({ block: "center" });
    items[i].focus();
    return;
  }
}

// What resolving adds to a save: what is left, a save with nothing changed once all is settled
// as ours, and what it says when none is left.
function savedWhileResolving(answer) {
  clearExtras();
  if (!answer.resolved) return update();
  $("conflicts-left").textContent = "The merge is resolved and saved: you may close this tab";
  $("save").disabled = true;
}

// The conflicts, each { hue, field, base, ours, theirs }. Returns what resolving adds to a save.
export function startResolving(conflicts) {
  F = fieldNames();
  merge.conflicts = conflicts.map((conflict) => ({ ...conflict, field: fieldNamed(conflict.field) ?? conflict.field }));
  merge.items = merge.conflicts.map(conflictItem);
  $("conflict-list").append(...merge.items);
  $("next-conflict").addEventListener("click", nextConflict);
  addEventListener("keydown", (event) => {
    if (event.key.toLowerCase() === "n" && !event.ctrlKey && !event.metaKey && !event.altKey && !typing(event.target)) {
      event.preventDefault();
      nextConflict();
    }
  });
  onHueChanged(update);
  onPictureChanged(update);
  $("merge").hidden = false;
  update();
  return { query: () => "&left=" + left(), mayBeEmpty: () => left() === 0, saved: savedWhileResolving };
}
