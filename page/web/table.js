// The table of hues, its filter and its ranking. The hues come as one compact block (HUES),
// and only the rows on screen are made, so that a file of 32,768 hues loads, filters and ranks
// as quickly as one of 3,000. Without scripts the page shows the plain table in <noscript>
// instead.
import { $, SAMPLE, SERVED } from "./data.js";
import { ValuesPerHue, oklab, rgbText, widened } from "./hues.js";
import { paintPicture, pictureOf, readAsUrl } from "./picture.js";
import { findingsOf, findingsShown, onFindingsChanged } from "./findings.js";
import {
  colourRanking, editingHue, hues, isChanged, onFieldsChanged, onPictureChanged, onVisionChanged, putColourRanking,
  putShownOrder, samplePicture, shownOrder, shownText, tellPictureChanged, useSamplePicture,
} from "./store.js";

const filter = $("filter"), color = $("colour"), colorText = $("colour-text");
const onlyGrey = $("only-grey");
const onlyChanged = $("only-changed");
const onlyFindings = $("only-findings");
const status = $("status"), count = $("count"), tip = $("tip");
const table = $("hues"), body = table.tBodies[0];

// ---- The hues: their values and names change as the editor changes them ----

const { total, ids, values, names, placeOfId } = hues;
const lowerNames = names.map((name) => name.toLowerCase());
const idTexts = Array.from(ids, String);
const colorOf = (hue, i) => values[hue * ValuesPerHue + 2 + i] & 0x7fff;
const colorsOf = (hue) => Array.from({ length: 32 }, (_, i) => rgbText[colorOf(hue, i)]);
const tableHex = (hue, which) => values[hue * ValuesPerHue + which].toString(16).toUpperCase();

// ---- What is shown: the filter, then the order ----

// Where the hue stands in the order shown (the store's), or -1 when the filter leaves it out.
export const positionOf = (hue) => shownOrder().indexOf(hue);

export function say(text) { status.textContent = text; }
export async function copy(text) {
  try { await navigator.clipboard.writeText(text); say("Copied " + text); }
  catch { say("Could not copy " + text); }
}

function passesFilter(hue, wanted) {
  if (onlyChanged.checked && !isChanged(hue)) return false;
  if (onlyFindings.checked && !findingsOf(ids[hue])) return false;
  return !wanted || idTexts[hue] === wanted || lowerNames[hue].includes(wanted);
}

export function rebuildOrder() {
  const wanted = filter.value.trim().toLowerCase();
  const shown = [];
  for (let hue = 0; hue < total; hue++) if (passesFilter(hue, wanted)) shown.push(hue);
  if (colourRanking()) {
    const { distances } = colourRanking();
    shown.sort((x, y) => distances[x] - distances[y] || ids[x] - ids[y]);
  }
  putShownOrder(Int32Array.from(shown));
  const narrowed = wanted || onlyChanged.checked || onlyFindings.checked;
  count.textContent = narrowed ? shown.length + " of " + total + " hues" : total + " hues";
  table.setAttribute("aria-rowcount", shownOrder().length + 1);
  render(true);
}

// ---- Finding by colour: deltaEOK from the chosen colour to each hue's closest colour ----

// OKLab of every stored value, made on the first ranking: L, a, b one after another.
let labOfValue = null;
function labsOfValues() {
  if (!labOfValue) {
    labOfValue = new Float64Array(32768 * 3);
    for (let v = 0; v < 32768; v++) {
      labOfValue.set(oklab(widened[v >> 10], widened[(v >> 5) & 31], widened[v & 31]), v * 3);
    }
  }
  return labOfValue;
}

// The distance from the OKLab point `target` to the hue's closest colour, into the ranking.
function measure(hue, target, distances, best) {
  const labs = labsOfValues(), [L, A, B] = target;
  let nearest = Infinity, index = 0;
  for (let i = 0, at = hue * ValuesPerHue + 2; i < 32; i++, at++) {
    const v = (values[at] & 0x7fff) * 3;
    const dL = labs[v] - L, da = labs[v + 1] - A, db = labs[v + 2] - B;
    const d = Math.sqrt(dL * dL + da * da + db * db);
    if (d < nearest) { nearest = d; index = i; }
  }
  distances[hue] = nearest;
  best[hue] = index;
}

function rank(hex) {
  const n = parseInt(hex.slice(1), 16);
  const target = oklab(n >> 16, (n >> 8) & 255, n & 255);
  const distances = new Float64Array(total), best = new Uint8Array(total);
  for (let hue = 0; hue < total; hue++) measure(hue, target, distances, best);
  putColourRanking({ hex, target, distances, best });
  table.classList.add("ranked");
  colorText.value = hex;
  rebuildOrder();
  toTop();
  say("Ordered by distance from " + hex);
}
function clearRanking() {
  putColourRanking(null);
  table.classList.remove("ranked");
  colorText.value = "";
  rebuildOrder();
  say("Ordered by id");
}

// ---- Rows: only those on screen, and a few either side ----

const Overscan = 20;
let rowHeight = 22, first = 0, last = 0;

// A mark beside the id of a hue with findings, in the colour of the worst.
function findingsMark(id) {
  const found = findingsOf(id);
  if (!found) return "";
  const text = found.count + (found.count === 1 ? " finding" : " findings") + ", the worst " + found.worst;
  return ' <span class="finding ' + found.worst + '" title="' + text + '">!<span class="visually-hidden"> ' +
    text + "</span></span>";
}

function rowHtml(hue, position) {
  const colors = colorsOf(hue);
  let stops = "";
  for (let i = 0; i < 32; i++) stops += "," + shownText(colorOf(hue, i)) + " 0 " + (i + 1) * 10 + "px";
  const name = names[hue].replace(/[&<>"']/g, (c) => "&#" + c.charCodeAt(0) + ";");
  const changed = isChanged(hue);
  const classes = (changed ? " changed" : "") + (hue === editingHue() ? " editing" : "");
  let html = '<tr id="hue-' + ids[hue] + '" aria-rowindex="' + (position + 2) +
    (classes ? '" class="' + classes.slice(1) : "") + '" data-colors="' + colors.join(" ") +
    '"><td><button type=button>' + ids[hue] + "</button>" +
    (changed ? '<span class="visually-hidden"> changed</span>' : "") + findingsMark(ids[hue]) +
    "<td>" + name + "<td>" + tableHex(hue, 0) + "<td>" + tableHex(hue, 1) +
    '<td><div class=strip style="background:linear-gradient(90deg' + stops + ')">';
  const ranking = colourRanking();
  if (ranking) {
    const best = ranking.best[hue];
    html += '<i style="left:' + best * 100 / 32 + '%" title="Closest: colour ' + best + '"></i>';
  }
  html += "</div><td>" + (ranking ? ranking.distances[hue].toFixed(4) : "");
  html += "<td>";
  const sample = samplePicture();
  if (sample) {
    html += '<canvas width="' + sample.width + '" height="' + sample.height +
      '" aria-label="The picture in hue ' + ids[hue] + '"></canvas>';
  }
  return html + '<td><button type=button class=edit aria-label="Edit hue ' + ids[hue] + '">Edit</button>';
}

function visibleRange() {
  const top = body.getBoundingClientRect().top;
  const from = Math.floor(-top / rowHeight) - Overscan;
  const to = Math.ceil((window.innerHeight - top) / rowHeight) + Overscan;
  const shown = shownOrder().length;
  return [Math.max(0, Math.min(from, shown)), Math.max(0, Math.min(to, shown))];
}

export function render(anew) {
  const [from, to] = visibleRange();
  if (!anew && from === first && to === last) return;
  first = from;
  last = to;
  const order = shownOrder();
  let html = "";
  for (let position = from; position < to; position++) html += rowHtml(order[position], position);
  body.style.paddingTop = from * rowHeight + "px";
  body.style.paddingBottom = (order.length - to) * rowHeight + "px";
  const active = document.activeElement;
  const focused = active && body.contains(active) ? active.closest("tr").id : null;
  const which = focused && active.classList.contains("edit") ? "button.edit" : "button";
  body.innerHTML = html;
  if (focused && $(focused)) $(focused).querySelector(which).focus({ preventScroll: true });
  markTarget();
  if (samplePicture()) for (const row of body.rows) paint(row);
}

// The rows again after a hue changed: the order anew where the filter keeps changed hues alone.
export function showChangedHue() {
  if (onlyChanged.checked) rebuildOrder();
  else render(true);
}
// Not while a button of the table is held down: the rows made anew would take the click's
// release from the one pressed, and the click would be lost.
let pending = false, held = false;
function renderSoon() {
  if (pending) return;
  pending = true;
  requestAnimationFrame(() => {
    pending = false;
    if (held) return;
    render(false);
  });
}

// The changes bar (the count, Undo, Redo, Save and what a save said) sticks to the top of the
// screen, and the table's header sticks just below it: what both cover is no place for a row.
const changesBar = $("changes-bar");
const covered = () => table.tHead.offsetHeight + changesBar.offsetHeight;

// The first row shown just below the sticky header, when the table's top is off screen.
function toTop() {
  const top = body.getBoundingClientRect().top - covered();
  if (top < 0) scrollBy(0, top);
  render(true);
}
// Brings the row at `position` of the order onto the screen: the rows are made anew only
// where the screen moved to others.
export function showPosition(position) {
  const top = body.getBoundingClientRect().top + scrollY + position * rowHeight;
  const header = covered();
  if (top - scrollY < header || top + rowHeight - scrollY > innerHeight) {
    scrollTo(0, top - header - rowHeight);
  }
  render(false);
  markTarget();
}

// The row of the hue in the editor marked, the others not, without making the rows anew.
export function markEditingRow() {
  for (const row of body.rows) row.classList.toggle("editing", hueOfRow(row) === editingHue());
}

// A link to #hue-N: the row is made, brought onto the screen and marked.
function markTarget() {
  const wanted = location.hash.slice(1);
  for (const row of body.querySelectorAll("tr.target")) row.classList.remove("target");
  const row = wanted && document.getElementById(wanted);
  if (row && row.parentNode === body) row.classList.add("target");
}
function goToHash() {
  const match = /^#hue-(\d+)$/.exec(location.hash);
  if (!match || !placeOfId.has(+match[1])) return;
  const hue = placeOfId.get(+match[1]);
  let position = shownOrder().indexOf(hue);
  if (position < 0) {  // filtered out: show every hue again
    filter.value = "";
    rebuildOrder();
    position = shownOrder().indexOf(hue);
  }
  showPosition(position);
}


// ---- Copying, the colour under the pointer, and moving by keyboard ----

const hueOfRow = (row) => placeOfId.get(+row.id.slice(4));
function stripIndex(strip, x) {
  const box = strip.getBoundingClientRect();
  return Math.max(0, Math.min(31, Math.floor((x - box.left) / box.width * 32)));
}

// ---- A hue on a picture: each pixel's level (its red >> 3) picks that colour of the hue;
// alpha stays, and with "Only grey pixels" a pixel that is not grey keeps its own colour ----

function paint(row) {
  const canvas = row.cells[6].firstChild;
  if (canvas) paintHue(canvas, hueOfRow(row));
}
export function paintHue(canvas, hue) {
  paintColors(canvas, Array.from({ length: 32 }, (_, i) => colorOf(hue, i)));
}
// The picture in 32 stored colours, as the chosen vision sees them.
export function paintColors(canvas, stored) {
  paintPicture(canvas, samplePicture(), Array.from(stored, shownText), onlyGrey.checked);
}
// What opens a hue's Edit button.
const editAsked = [];
export const onEditAsked = (listener) => editAsked.push(listener);
function useSample(pixels) {
  // A row is as tall as its picture is shown: at most 128 x 64, never stretched.
  const scale = Math.min(1, 128 / pixels.width, 64 / pixels.height);
  rowHeight = Math.max(22, Math.ceil(pixels.height * scale) + 2);
  table.style.setProperty("--row", rowHeight + "px");
  table.classList.add("sampled");
  useSamplePicture(pixels);
}
function dropSample() {
  rowHeight = 22;
  table.style.removeProperty("--row");
  table.classList.remove("sampled");
  useSamplePicture(null);
}

// ---- A picture chosen in the page is kept in the browser's storage for this file (the page's
// own path, or the served file's), and comes back after a reload; a picture `hues` was given
// anew (--sample) wins over one chosen with an older one. "Forget picture" drops it. ----

const pictureKey = "hue-picture:" + (SERVED ? SERVED.place : location.pathname);
const forgetPicture = $("forget-picture");
function markOf(text) {  // FNV-1a: which --sample a kept picture was chosen over
  let mark = 0x811c9dc5;
  for (let i = 0; i < (text || "").length; i++) mark = Math.imul(mark ^ text.charCodeAt(i), 0x01000193);
  return (text ? text.length : 0) + ":" + (mark >>> 0).toString(16);
}
function keptPicture() {
  try {
    const kept = JSON.parse(localStorage.getItem(pictureKey));
    if (kept && kept.over === markOf(SAMPLE) && kept.url.startsWith("data:image/")) return kept;
  } catch { /* nothing kept, or not by this page */ }
  localStorage.removeItem(pictureKey);
  return null;
}

// ---- Start: the table shown, at the hue the address names, and the picture ----

export function startTable() {
  listenToThePage();
  $("controls").hidden = false;
  table.hidden = false;
  table.setAttribute("aria-rowcount", total + 1);
  render(true);
  goToHash();
  const kept = keptPicture();
  if (kept || SAMPLE) {
    pictureOf(kept ? kept.url : SAMPLE).then((pixels) => {
      useSample(pixels);
      goToHash();
      if (kept) say("Showing each hue on " + kept.name + ", the picture chosen last time");
    }, () => say("Could not read the picture"));
  }
  forgetPicture.hidden = !kept;
}

// What the table listens to, made as it starts, so that importing it changes nothing.
function listenToThePage() {
  // A changed hue is found by its new name and measured again; it keeps its place until the next
  // filter or ranking.
  onFieldsChanged((hue) => {
    lowerNames[hue] = names[hue].toLowerCase();
    const ranking = colourRanking();
    if (ranking) measure(hue, ranking.target, ranking.distances, ranking.best);
  });
  body.addEventListener("pointerdown", () => { held = true; });
  addEventListener("pointerup", () => { held = false; renderSoon(); });
  addEventListener("pointercancel", () => { held = false; renderSoon(); });
  addEventListener("scroll", renderSoon, { passive: true });
  addEventListener("resize", renderSoon, { passive: true });
  new ResizeObserver(() => {
    document.documentElement.style.setProperty("--bar", changesBar.offsetHeight + "px");
  }).observe(changesBar);
  addEventListener("hashchange", goToHash);
  filter.addEventListener("input", () => { rebuildOrder(); toTop(); });
  color.addEventListener("input", () => rank(color.value.toUpperCase()));
  colorText.addEventListener("change", () => {
    const text = colorText.value.trim().replace(/^#?/, "#").toUpperCase();
    if (/^#[0-9A-F]{6}$/.test(text)) { color.value = text.toLowerCase(); rank(text); }
    else say("Give a colour as #RRGGBB");
  });
  $("clear").addEventListener("click", clearRanking);
  body.addEventListener("click", (event) => {
    const button = event.target.closest("td:first-child button");
    if (button) return copy(button.textContent);
    const edit = event.target.closest("button.edit");
    if (edit) return editAsked.forEach((listener) => listener(hueOfRow(edit.closest("tr"))));
    const strip = event.target.closest(".strip");
    if (strip) copy(colorsOf(hueOfRow(strip.closest("tr")))[stripIndex(strip, event.clientX)]);
  });
  body.addEventListener("mousemove", (event) => {
    const strip = event.target.closest(".strip");
    if (!strip) { tip.hidden = true; return; }
    const index = stripIndex(strip, event.clientX);
    tip.textContent = "Colour " + index + ": " + colorsOf(hueOfRow(strip.closest("tr")))[index];
    tip.style.left = event.clientX + 12 + "px";
    tip.style.top = event.clientY + 16 + "px";
    tip.hidden = false;
  });
  body.addEventListener("mouseleave", () => { tip.hidden = true; });
  // Up and down (and a page of them) move between the ids' buttons, making rows as they go.
  body.addEventListener("keydown", (event) => {
    const steps = { ArrowDown: 1, ArrowUp: -1, PageDown: 20, PageUp: -20 }[event.key];
    const row = event.target.closest("tr");
    if (!steps || !row) return;
    event.preventDefault();
    const position = Math.max(0, Math.min(shownOrder().length - 1, +row.getAttribute("aria-rowindex") - 2 + steps));
    showPosition(position);
    const next = document.getElementById("hue-" + ids[shownOrder()[position]]);
    if (next) next.querySelector(event.target.classList.contains("edit") ? "button.edit" : "button").focus();
  });
  // The rows shown anew whenever the picture or the way it is painted changes.
  onPictureChanged(() => render(true));
  // Another vision: the swatches made outside the table (they carry their stored value), the rows
  // and all else that shows a picture, shown anew.
  onVisionChanged(() => {
    for (const swatch of document.querySelectorAll("[data-stored]")) swatch.style.background = shownText(+swatch.dataset.stored);
    tellPictureChanged();
  });
  onlyGrey.addEventListener("change", tellPictureChanged);
  onlyChanged.addEventListener("change", () => { rebuildOrder(); toTop(); });
  onlyFindings.addEventListener("change", () => { rebuildOrder(); toTop(); });
  $("only-findings-label").hidden = !findingsShown();
  onFindingsChanged(() => rebuildOrder());
  $("picture").addEventListener("change", async (event) => {
    const file = event.target.files[0];
    if (!file) return;
    let url;
    try {
      url = await readAsUrl(file);
      useSample(await pictureOf(url));
    } catch { return say("Could not read " + file.name + " as a picture"); }
    try {
      localStorage.setItem(pictureKey, JSON.stringify({ name: file.name, url, over: markOf(SAMPLE) }));
      forgetPicture.hidden = false;
      say("Showing each hue on " + file.name + "; it comes back when this page is opened again");
    } catch {
      say("Showing each hue on " + file.name + "; too large to keep for the next visit");
    }
  });
  forgetPicture.addEventListener("click", async () => {
    localStorage.removeItem(pictureKey);
    forgetPicture.hidden = true;
    $("picture").value = "";
    if (SAMPLE) useSample(await pictureOf(SAMPLE));
    else dropSample();
    say("The picture is forgotten");
  });
}
