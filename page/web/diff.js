// The diff page: each hue that differs between two hue files, its fields and its 32 colours
// before and after, the changed ones marked; a filter by id or name; the unchanged hues on
// request; each changed hue on a picture, before and after. Served by `hues diff --web` (and
// git difftool), its Done button, or closing it, ends the program.
import { bytesOfBase64, colorField, fieldNames, hueLayout, nameText, printable, rgbText, useProgram } from "./hues.js";
import { paintPicture, pictureOf, readAsUrl } from "./picture.js";

const $ = (id) => document.getElementById(id);
const data = JSON.parse($("diff-data").textContent);
useProgram(data.program);
// Fields by the JSON format's names, as `diff --format json` and `log` give them.
const F = fieldNames();
const list = $("diff-list"), filter = $("filter"), showUnchanged = $("show-unchanged");
const hex = (value) => (value & 0xffff).toString(16).toUpperCase();

function element(tag, properties = {}, ...children) {
  const made = Object.assign(document.createElement(tag), properties);
  made.append(...children);
  return made;
}

// ---- A changed hue ----

// A field's line: old → new where it changed (marked with data-field), its value where not.
function fieldLine(field, label, before, after, changed) {
  const shown = changed ? (before ?? "\u2014") + " \u2192 " + (after ?? "\u2014") : after ?? before;
  const line = element("div", {}, element("dt", { textContent: label }), element("dd", { textContent: shown }));
  if (changed) {
    line.className = "changed";
    line.dataset.field = field;
  }
  return line;
}

// One side's strip: 32 swatches in colour order, those that changed marked; none for a side
// without the hue.
function sideOf(kind, label, side, fields) {
  const row = element("div", { className: "side " + kind }, element("span", { textContent: label }));
  if (!side) {
    row.append(element("em", { textContent: "no such hue" }));
    return row;
  }
  const strip = element("div", { className: "strip" });
  strip.setAttribute("role", "img");
  const changed = side[F.stored].filter((_, i) => fields.has(colorField(i))).length;
  strip.setAttribute("aria-label", label + ": 32 colours" + (changed ? ", " + changed + " changed" : ""));
  side[F.stored].forEach((stored, i) => {
    const swatch = element("span", { className: "swatch", title: "Colour " + i + ": " + rgbText[stored & 0x7fff] });
    swatch.style.background = rgbText[stored & 0x7fff];
    if (fields.has(colorField(i))) {
      swatch.classList.add("changed");
      swatch.dataset.field = colorField(i);
    }
    strip.append(swatch);
  });
  const canvas = element("canvas");
  canvas.setAttribute("aria-label", "The picture in hue " + label.toLowerCase());
  canvas.hidden = true;
  row.append(strip, canvas);
  return row;
}

function changedHue({ hue, fields: changedFields, before, after }) {
  const fields = new Set(changedFields);
  const shown = after ?? before;
  const kind = !before ? "added" : !after ? "removed" : "";
  const item = element("li", { className: "diff-hue", id: "hue-" + hue },
    element("h2", {}, "Hue " + hue + " ", element("q", { textContent: shown[F.name] }),
      kind ? element("span", { className: "kind", textContent: kind }) : ""));
  item.dataset.hue = hue;
  const value = (side, key, show) => (side ? show(side[key]) : null);
  const quoted = (name) => "\u201C" + name + "\u201D";
  item.append(element("dl", { className: "fields" },
    fieldLine(F.name, "Name", value(before, F.name, quoted), value(after, F.name, quoted), fields.has(F.name)),
    fieldLine(F.tableStart, "Table start", value(before, F.tableStart, hex), value(after, F.tableStart, hex),
              fields.has(F.tableStart)),
    fieldLine(F.tableEnd, "Table end", value(before, F.tableEnd, hex), value(after, F.tableEnd, hex),
              fields.has(F.tableEnd))));
  item.append(sideOf("before", "Before", before, fields), sideOf("after", "After", after, fields));
  item.searchName = shown[F.name].toLowerCase();
  item.sides = [before, after];
  return item;
}

const items = data.changed.map(changedHue);
list.append(...items);

// ---- The unchanged hues, when asked for: in id order among the changed, each read from the
// second file's bytes (as the program reads an entry: its bytes behind its block's header) ----

let sameItems = null;
function sameHues() {
  const bytes = bytesOfBase64(data.after), view = new DataView(bytes.buffer);
  const changed = new Set(data.changed.map(({ hue }) => hue)), made = [];
  for (let id = 0; id < data.held; id++) {
    if (changed.has(id)) continue;
    const { entryBytes, blockHeaderBytes, huesPerBlock, nameOffset, nameBytes } = hueLayout();
    const at = Math.floor(id / huesPerBlock) * (blockHeaderBytes + huesPerBlock * entryBytes) +
      blockHeaderBytes + (id % huesPerBlock) * entryBytes;
    const stops = Array.from({ length: 32 }, (_, i) =>
      rgbText[view.getUint16(at + 2 * i, true) & 0x7fff] + " " + i * 14 + "px " + (i + 1) * 14 + "px");
    const name = printable(nameText(bytes.subarray(at + nameOffset, at + nameOffset + nameBytes)));
    const strip = element("div", { className: "strip" });
    strip.style.background = "linear-gradient(90deg," + stops.join(",") + ")";
    strip.setAttribute("role", "img");
    strip.setAttribute("aria-label", "32 colours, unchanged");
    const item = element("li", { className: "same-hue", id: "hue-" + id },
      element("span", { textContent: "Hue " + id }), element("q", { textContent: name }), strip);
    item.searchName = name.toLowerCase();
    made.push(item);
  }
  return made;
}
function showSame(show) {
  if (!show) {
    for (const item of sameItems ?? []) item.remove();
    return;
  }
  sameItems ??= sameHues();
  const all = [...items, ...sameItems].sort((a, b) => parseInt(a.id.slice(4)) - parseInt(b.id.slice(4)));
  list.replaceChildren(...all);
}

// ---- The filter ----

function applyFilter() {
  const wanted = filter.value.trim().toLowerCase();
  let shown = 0;
  for (const item of list.children) {
    item.hidden = wanted !== "" && item.id !== "hue-" + wanted && !item.searchName.includes(wanted);
    shown += item.hidden ? 0 : 1;
  }
  $("shown").textContent = wanted || showUnchanged.checked ? shown + " shown" : "";
}
filter.addEventListener("input", applyFilter);
showUnchanged.addEventListener("change", () => { showSame(showUnchanged.checked); applyFilter(); });

// ---- The picture: each changed hue painted on it, before and after, as it comes on screen ----

let picture = null;
const painter = new IntersectionObserver((entries) => {
  for (const { target, isIntersecting } of entries) if (isIntersecting && picture) paintItem(target);
});
function paintItem(item) {
  item.querySelectorAll("canvas").forEach((canvas, i) => {
    const side = item.sides[i === 0 && item.sides[0] ? 0 : 1];
    canvas.hidden = false;
    paintPicture(canvas, picture, side[F.stored].map((value) => rgbText[value & 0x7fff]), false);
  });
}
function usePicture(pixels) {
  picture = pixels;
  for (const item of items) {
    painter.unobserve(item);
    painter.observe(item);
  }
}
$("picture").addEventListener("change", async (event) => {
  const file = event.target.files[0];
  if (!file) return;
  try { usePicture(await pictureOf(await readAsUrl(file))); }
  catch { $("shown").textContent = "Could not read " + file.name + " as a picture"; }
});

// ---- Done: the program that serves the page ends, and git moves on to the next file ----

function finish() {
  return fetch("/done" + location.search, { method: "POST", keepalive: true,
                                            headers: { "Content-Type": "application/json" }, body: "{}" });
}
if (data.served) {
  const done = $("done");
  done.hidden = false;
  let finished = false;
  done.addEventListener("click", async () => {
    finished = true;
    done.disabled = true;
    try {
      await finish();
      $("shown").textContent = "Done: you may close this tab";
    } catch {
      $("shown").textContent = "hues does not answer: it may have stopped already";
    }
  });
  addEventListener("pagehide", () => { if (!finished) finish().catch(() => {}); });
}

$("controls").hidden = false;
if (data.sample) pictureOf(data.sample).then(usePicture, () => {});
