// A hue from one colour, in the editor: the colour, how far its hue turns at the ends and the
// range of lightness, with a strip of the 32 colours that follows every move, shown as the
// chosen colour vision sees them; Apply makes them the edited hue's colours, the stored values
// `hues set --ramp` gives. An ordinary edit: undone, listed and saved like any other.
import { parseColor, shiftedRamp, storedOfRgb, withShiftedRamp } from "./hues.js";
import { $, RAMP } from "./data.js";
import { edit } from "./editor.js";
import { shownText } from "./store.js";

let colour, shift, dark, light, preview;

// The controls' values as text, as the person gave them.
const given = () => [colour.value, shift.value, dark.value, light.value];

// The strip anew: the swatches carry their stored values, which a change of vision shows anew.
function showPreview() {
  const [hex, shiftText, darkText, lightText] = given();
  $("edit-ramp-shift-value").textContent = shiftText + "°";
  const base = parseColor(hex), range = { shift: +shiftText, dark: +darkText, light: +lightText };
  const valid = base && range.dark >= 0 && range.dark < range.light && range.light <= 1;
  preview.classList.toggle("invalid", !valid);
  if (!valid) return;
  shiftedRamp(base, range).forEach((color, i) => {
    const stored = storedOfRgb(color), swatch = preview.children[i];
    swatch.dataset.stored = stored;
    swatch.style.background = shownText(stored);
  });
}

const applyRamp = () => edit((hue) => {
  const made = withShiftedRamp(hue, ...given());
  return { ...made, note: made.note ?? "32 shades of " + colour.value.toUpperCase() };
});

// The ramp's controls in the editor's panel.
export function startRamp() {
  colour = $("edit-ramp-colour");
  shift = $("edit-ramp-shift");
  dark = $("edit-ramp-dark");
  light = $("edit-ramp-light");
  preview = $("edit-ramp-preview");
  shift.value = RAMP.shift;
  dark.value = RAMP.dark.toFixed(2);
  light.value = RAMP.light.toFixed(2);
  preview.append(...Array.from({ length: 32 }, () => document.createElement("span")));
  for (const control of [colour, shift, dark, light]) control.addEventListener("input", showPreview);
  $("edit-ramp-apply").addEventListener("click", applyRamp);
  showPreview();
}
