// Colours as a player with anomalous colour vision sees them: the model of Machado, Oliveira and
// Fernandes (2009), as `hues nearest --vision` measures them; and the controls of the page's
// choice of vision, kept in the browser (the store holds the choice, with which every swatch,
// strip and painted picture is shown). The model needs no page: the tests import it in Node.
import { linearOf, rgbHex, rgbText, srgbChannel, widened } from "./hues.js";

// The matrices per kind and tabulated severity (0, 10, ..., 100), given before the first colour
// is seen: the page's build bundles the same file the program is built with.
let matrices = null;
export function useVisionMatrices(table) { matrices = table; }

export const VisionKinds = ["normal", "protanomaly", "deuteranomaly", "tritanomaly"];
export const NormalVision = { kind: "normal", severity: 100 };

// The severity's matrix, linearly between the two tabulated around it, entry by entry as the
// program computes it.
function matrixOf(kind, severity) {
  const low = Math.floor(severity / 10), high = Math.min(low + 1, 10), t = (severity % 10) / 10;
  const from = matrices[kind][String(low * 10)], to = matrices[kind][String(high * 10)];
  return from.map((row, i) => row.map((x, j) => x + (to[i][j] - x) * t));
}

// [r, g, b] as seen: in linear sRGB through the matrix, clipped to 0..1, back to 8-bit sRGB.
export function seenColor(rgb, { kind, severity }) {
  if (kind === "normal") return rgb;
  const m = matrixOf(kind, severity), v = rgb.map(linearOf);
  return m.map((row) => srgbChannel(Math.min(Math.max(row[0] * v[0] + row[1] * v[1] + row[2] * v[2], 0), 1)));
}

// "#RRGGBB" of every stored value as seen.
export function seenTexts(vision) {
  if (vision.kind === "normal") return rgbText;
  return Array.from({ length: 32768 }, (_, v) =>
    rgbHex(seenColor([widened[v >> 10], widened[(v >> 5) & 31], widened[v & 31]], vision)));
}

// ---- The controls of the page's choice, which the store keeps ----

const Kept = "hues-vision";

function keptVision() {
  try {
    const kept = JSON.parse(localStorage.getItem(Kept));
    const severity = Math.round(Number(kept?.severity));
    if (VisionKinds.includes(kept?.kind) && severity >= 0 && severity <= 100) return { kind: kept.kind, severity };
  } catch { /* no storage here, or nothing sensible in it */ }
  return NormalVision;
}

// The vision controls, set to the vision kept from before; `chosen()` the vision shown now, and
// `choose(vision)` shows another (store.js).
export function startVision(chosen, choose) {
  const kind = document.getElementById("vision"), severity = document.getElementById("vision-severity");
  const pick = (vision) => {
    try { localStorage.setItem(Kept, JSON.stringify(vision)); } catch { /* kept for this visit only */ }
    choose(vision);
  };
  const kept = keptVision();
  kind.value = kept.kind;
  severity.value = kept.severity;
  if (kept !== NormalVision) pick(kept);
  const changed = () => {
    const level = Math.round(Number(severity.value));
    if (!(level >= 0 && level <= 100)) return;
    if (level + "" !== severity.value) severity.value = level;
    if (kind.value !== chosen().kind || level !== chosen().severity) pick({ kind: kind.value, severity: level });
  };
  kind.addEventListener("change", changed);
  severity.addEventListener("input", changed);
  severity.addEventListener("change", () => { severity.value = chosen().severity; });
}
