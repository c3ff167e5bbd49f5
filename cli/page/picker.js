// The hue picker. The hues come as one compact block (HUES, before this script), and only the
// rows on screen are made, so that a file of 32,768 hues loads, filters and ranks as quickly as
// one of 3,000. Without scripts the page shows the plain table in <noscript> instead.
"use strict";

const $ = (id) => document.getElementById(id);
const filter = $("filter"), colour = $("colour"), colourText = $("colour-text");
const onlyGrey = $("only-grey"), status = $("status"), count = $("count"), tip = $("tip");
const table = $("hues"), body = table.tBodies[0];

// ---- The hues ----

function bytesOf(base64) {
  const text = atob(base64), bytes = new Uint8Array(text.length);
  for (let i = 0; i < text.length; i++) bytes[i] = text.charCodeAt(i);
  return bytes;
}
const total = HUES.names.length;
const ids = new Uint16Array(bytesOf(HUES.ids).buffer);
// Per hue: table start, table end, then the 32 stored colour values.
const values = new Uint16Array(bytesOf(HUES.values).buffer);
const ValuesPerHue = 34;
const names = HUES.names, lowerNames = names.map((name) => name.toLowerCase());
const idTexts = Array.from(ids, String);
const placeOfId = new Map(Array.from(ids, (id, hue) => [id, hue]));

const widened = Array.from({ length: 32 }, (_, k) => Math.floor((255 * k + 15) / 31));
const hex2 = (n) => n.toString(16).toUpperCase().padStart(2, "0");
// "#RRGGBB" of every stored value (bit 15 carries nothing).
const rgbText = Array.from({ length: 32768 }, (_, v) =>
  "#" + hex2(widened[v >> 10]) + hex2(widened[(v >> 5) & 31]) + hex2(widened[v & 31]));
const colourOf = (hue, i) => values[hue * ValuesPerHue + 2 + i] & 0x7fff;
const coloursOf = (hue) => Array.from({ length: 32 }, (_, i) => rgbText[colourOf(hue, i)]);
const tableHex = (hue, which) => values[hue * ValuesPerHue + which].toString(16).toUpperCase();

// ---- What is shown: the filter, then the order ----

let order = Int32Array.from({ length: total }, (_, hue) => hue);  // hues shown, in order
let ranking = null;  // { hex, distances, best } while ordered by a colour

function say(text) { status.textContent = text; }
async function copy(text) {
  try { await navigator.clipboard.writeText(text); say("Copied " + text); }
  catch { say("Could not copy " + text); }
}

function passesFilter(hue, wanted) {
  return !wanted || idTexts[hue] === wanted || lowerNames[hue].includes(wanted);
}

function rebuildOrder() {
  const wanted = filter.value.trim().toLowerCase();
  const shown = [];
  for (let hue = 0; hue < total; hue++) if (passesFilter(hue, wanted)) shown.push(hue);
  if (ranking) {
    const { distances } = ranking;
    shown.sort((x, y) => distances[x] - distances[y] || ids[x] - ids[y]);
  }
  order = Int32Array.from(shown);
  count.textContent = wanted ? shown.length + " of " + total + " hues" : total + " hues";
  table.setAttribute("aria-rowcount", order.length + 1);
  render(true);
}

// ---- Finding by colour: deltaEOK from the chosen colour to each hue's closest colour ----

const M = [[506752 / 1228815, 87881 / 245763, 12673 / 70218],
           [87098 / 409605, 175762 / 245763, 12673 / 175545],
           [7918 / 409605, 87881 / 737289, 1001167 / 1053270]];
const M1 = [[0.8189330101, 0.3618667424, -0.1288597137],
            [0.0329845436, 0.9293118715, 0.0361456387],
            [0.0482003018, 0.2643662691, 0.6338517070]];
const M2 = [[0.2104542553, 0.7936177850, -0.0040720468],
            [1.9779984951, -2.4285922050, 0.4505937099],
            [0.0259040371, 0.7827717662, -0.8086757660]];
const times = (m, v) => [m[0][0] * v[0] + m[0][1] * v[1] + m[0][2] * v[2],
                         m[1][0] * v[0] + m[1][1] * v[1] + m[1][2] * v[2],
                         m[2][0] * v[0] + m[2][1] * v[1] + m[2][2] * v[2]];
function oklab(red, green, blue) {
  const lms = times(M1, times(M, [LINEAR[red], LINEAR[green], LINEAR[blue]]));
  return times(M2, lms.map(Math.cbrt));
}
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

function rank(hex) {
  const n = parseInt(hex.slice(1), 16);
  const [L, A, B] = oklab(n >> 16, (n >> 8) & 255, n & 255);
  const labs = labsOfValues();
  const distances = new Float64Array(total), best = new Uint8Array(total);
  for (let hue = 0; hue < total; hue++) {
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
  ranking = { hex, distances, best };
  table.classList.add("ranked");
  colourText.value = hex;
  rebuildOrder();
  toTop();
  say("Ordered by distance from " + hex);
}
function clearRanking() {
  ranking = null;
  table.classList.remove("ranked");
  colourText.value = "";
  rebuildOrder();
  say("Ordered by id");
}

// ---- Rows: only those on screen, and a few either side ----

const Overscan = 20;
let rowHeight = 22, first = 0, last = 0;

function rowHtml(hue, position) {
  const colours = coloursOf(hue);
  let stops = "";
  for (let i = 0; i < 32; i++) stops += "," + colours[i] + " 0 " + (i + 1) * 10 + "px";
  const name = names[hue].replace(/[&<>"']/g, (c) => "&#" + c.charCodeAt(0) + ";");
  let html = '<tr id="hue-' + ids[hue] + '" aria-rowindex="' + (position + 2) +
    '" data-colors="' + colours.join(" ") + '"><td><button type=button>' + ids[hue] +
    "</button><td>" + name + "<td>" + tableHex(hue, 0) + "<td>" + tableHex(hue, 1) +
    '<td><div class=strip style="background:linear-gradient(90deg' + stops + ')">';
  if (ranking) {
    const best = ranking.best[hue];
    html += '<i style="left:' + best * 100 / 32 + '%" title="Closest: colour ' + best + '"></i>';
  }
  html += "</div><td>" + (ranking ? ranking.distances[hue].toFixed(4) : "");
  if (sample) {
    html += '<td><canvas width="' + sample.width + '" height="' + sample.height +
      '" aria-label="The picture in hue ' + ids[hue] + '"></canvas>';
  }
  return html;
}

function visibleRange() {
  const top = body.getBoundingClientRect().top;
  const from = Math.floor(-top / rowHeight) - Overscan;
  const to = Math.ceil((window.innerHeight - top) / rowHeight) + Overscan;
  return [Math.max(0, Math.min(from, order.length)), Math.max(0, Math.min(to, order.length))];
}

function render(anew) {
  const [from, to] = visibleRange();
  if (!anew && from === first && to === last) return;
  first = from;
  last = to;
  let html = "";
  for (let position = from; position < to; position++) html += rowHtml(order[position], position);
  body.style.paddingTop = from * rowHeight + "px";
  body.style.paddingBottom = (order.length - to) * rowHeight + "px";
  const focused = document.activeElement && body.contains(document.activeElement)
    ? document.activeElement.closest("tr").id : null;
  body.innerHTML = html;
  if (focused && $(focused)) $(focused).querySelector("button").focus({ preventScroll: true });
  markTarget();
  if (sample) for (const row of body.rows) paint(row);
}
let pending = false;
function renderSoon() {
  if (pending) return;
  pending = true;
  requestAnimationFrame(() => { pending = false; render(false); });
}
addEventListener("scroll", renderSoon, { passive: true });
addEventListener("resize", renderSoon, { passive: true });

// The first row shown just below the sticky header, when the table's top is off screen.
function toTop() {
  const top = body.getBoundingClientRect().top - table.tHead.offsetHeight;
  if (top < 0) scrollBy(0, top);
  render(true);
}
// Brings the row at `position` of the order onto the screen.
function showPosition(position) {
  const top = body.getBoundingClientRect().top + scrollY + position * rowHeight;
  const header = table.tHead.offsetHeight;
  if (top - scrollY < header || top + rowHeight - scrollY > innerHeight) {
    scrollTo(0, top - header - rowHeight);
  }
  render(true);
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
  let position = order.indexOf(hue);
  if (position < 0) {  // filtered out: show every hue again
    filter.value = "";
    rebuildOrder();
    position = order.indexOf(hue);
  }
  showPosition(position);
}
addEventListener("hashchange", goToHash);

filter.addEventListener("input", () => { rebuildOrder(); toTop(); });
colour.addEventListener("input", () => rank(colour.value.toUpperCase()));
colourText.addEventListener("change", () => {
  const text = colourText.value.trim().replace(/^#?/, "#").toUpperCase();
  if (/^#[0-9A-F]{6}$/.test(text)) { colour.value = text.toLowerCase(); rank(text); }
  else say("Give a colour as #RRGGBB");
});
$("clear").addEventListener("click", clearRanking);

// ---- Copying, the colour under the pointer, and moving by keyboard ----

const hueOfRow = (row) => placeOfId.get(+row.id.slice(4));
function stripIndex(strip, x) {
  const box = strip.getBoundingClientRect();
  return Math.max(0, Math.min(31, Math.floor((x - box.left) / box.width * 32)));
}
body.addEventListener("click", (event) => {
  const button = event.target.closest("td:first-child button");
  if (button) return copy(button.textContent);
  const strip = event.target.closest(".strip");
  if (strip) copy(coloursOf(hueOfRow(strip.closest("tr")))[stripIndex(strip, event.clientX)]);
});
body.addEventListener("mousemove", (event) => {
  const strip = event.target.closest(".strip");
  if (!strip) { tip.hidden = true; return; }
  const index = stripIndex(strip, event.clientX);
  tip.textContent = "Colour " + index + ": " + coloursOf(hueOfRow(strip.closest("tr")))[index];
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
  const position = Math.max(0, Math.min(order.length - 1, +row.getAttribute("aria-rowindex") - 2 + steps));
  showPosition(position);
  const next = document.getElementById("hue-" + ids[order[position]]);
  if (next) next.querySelector("button").focus();
});

// ---- A hue on a picture: each pixel's level (its red >> 3) picks that colour of the hue;
// alpha stays, and with "Only grey pixels" a pixel that is not grey keeps its own colour ----

let sample = null;
function paint(row) {
  const canvas = row.cells[6] && row.cells[6].firstChild;
  if (!canvas) return;
  const hue = hueOfRow(row);
  const list = Array.from({ length: 32 }, (_, i) => parseInt(rgbText[colourOf(hue, i)].slice(1), 16));
  const out = new ImageData(sample.width, sample.height), from = sample.data, to = out.data;
  const greyOnly = onlyGrey.checked;
  for (let i = 0; i < from.length; i += 4) {
    const r = from[i], g = from[i + 1], b = from[i + 2], a = from[i + 3];
    if (a === 0 || (greyOnly && (r !== g || g !== b))) {
      to[i] = r; to[i + 1] = g; to[i + 2] = b; to[i + 3] = a;
    } else {
      const c = list[r >> 3];
      to[i] = c >> 16; to[i + 1] = (c >> 8) & 255; to[i + 2] = c & 255; to[i + 3] = a;
    }
  }
  canvas.getContext("2d").putImageData(out, 0, 0);
}
function useSample(pixels) {
  sample = pixels;
  // A row is as tall as its picture is shown: at most 128 x 64, never stretched.
  const scale = Math.min(1, 128 / pixels.width, 64 / pixels.height);
  rowHeight = Math.max(22, Math.ceil(pixels.height * scale) + 2);
  table.style.setProperty("--row", rowHeight + "px");
  table.classList.add("sampled");
  render(true);
}
function pixelsOf(image) {
  const canvas = document.createElement("canvas");
  canvas.width = image.width;
  canvas.height = image.height;
  const context = canvas.getContext("2d", { willReadFrequently: true });
  context.drawImage(image, 0, 0);
  return context.getImageData(0, 0, image.width, image.height);
}
onlyGrey.addEventListener("change", () => { if (sample) render(true); });
$("picture").addEventListener("change", async (event) => {
  const file = event.target.files[0];
  if (!file) return;
  try {
    useSample(pixelsOf(await createImageBitmap(file)));
    say("Showing each hue on " + file.name);
  } catch { say("Could not read " + file.name + " as a picture"); }
});

// ---- Start ----

$("controls").hidden = false;
table.hidden = false;
table.setAttribute("aria-rowcount", total + 1);
render(true);
goToHash();
if (SAMPLE) {
  const image = new Image();
  image.onload = () => { useSample(pixelsOf(image)); goToHash(); };
  image.src = SAMPLE;
}
