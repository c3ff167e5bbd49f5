// A hue from a picture, in the editor: the chosen picture shown on a canvas, a region of it chosen
// by dragging, and the edited hue's 32 colours made from that region (or from the whole picture)
// by the program's own steps, to the stored values `hues set --from-picture` gives. An ordinary
// edit: undone, listed and saved like any other.
import { EditError, rampFromPixels, withRampColors } from "./hues.js";
import { edit, tell } from "./editor.js";
import { $ } from "./data.js";

let chooser, canvas;
let picture = null;  // the chosen picture's ImageData
let region = null;   // { x, y, width, height } in its pixels, or null for all of it

// The file's pixels as it holds them: neither premultiplied by alpha nor converted to another
// colour space on the way.
async function pixelsOfFile(file) {
  const bitmap = await createImageBitmap(file, { premultiplyAlpha: "none", colorSpaceConversion: "none" });
  const work = Object.assign(document.createElement("canvas"), { width: bitmap.width, height: bitmap.height });
  const context = work.getContext("2d", { willReadFrequently: true });
  context.drawImage(bitmap, 0, 0);
  bitmap.close();
  return context.getImageData(0, 0, work.width, work.height);
}

const regionText = ({ x, y, width, height }) => [x, y, width, height].join(",");

function showPicture() {
  canvas.hidden = !picture;
  if (!picture) return;
  canvas.width = picture.width;
  canvas.height = picture.height;
  const context = canvas.getContext("2d");
  context.putImageData(picture, 0, 0);
  if (!region) return;
  // The region in white over black, dashed: to be seen on any picture.
  const line = Math.max(1, Math.round(picture.width / 300));
  context.lineWidth = line;
  for (const [color, offset] of [["#000", 0], ["#fff", 4 * line]]) {
    context.strokeStyle = color;
    context.setLineDash([4 * line, 4 * line]);
    context.lineDashOffset = offset;
    context.strokeRect(region.x + line / 2, region.y + line / 2, region.width - line, region.height - line);
  }
}

// The picture's controls in the editor's panel.
export function startFromPicture() {
  chooser = $("edit-from-picture");
  canvas = $("edit-picture-source");
  chooser.addEventListener("change", choosePicture);
  canvas.addEventListener("pointerdown", startDrag);
  canvas.addEventListener("pointermove", drag);
  canvas.addEventListener("pointerup", endDrag);
  $("edit-from-picture-apply").addEventListener("click", applyPicture);
}

async function choosePicture() {
  const file = chooser.files[0];
  if (!file) return;
  try {
    picture = await pixelsOfFile(file);
    region = null;
    tell(file.name + ": " + picture.width + " x " + picture.height + " pixels; drag on it to choose a region", false);
  } catch {
    picture = null;
    tell(file.name + " is not a picture this browser reads (PNG, JPEG, GIF or BMP)", true);
  }
  showPicture();
}

// The place of a pointer on the picture, in its pixels, within it.
function pixelAt(event) {
  const box = canvas.getBoundingClientRect();
  const clamp = (value, most) => Math.max(0, Math.min(most, Math.round(value)));
  return [clamp((event.clientX - box.left) * picture.width / box.width, picture.width),
          clamp((event.clientY - box.top) * picture.height / box.height, picture.height)];
}
let dragFrom = null;
function startDrag(event) {
  if (!picture) return;
  canvas.setPointerCapture(event.pointerId);
  dragFrom = pixelAt(event);
}
function drag(event) {
  if (!dragFrom) return;
  const [x, y] = pixelAt(event);
  const [fromX, fromY] = dragFrom;
  region = { x: Math.min(x, fromX), y: Math.min(y, fromY), width: Math.abs(x - fromX), height: Math.abs(y - fromY) };
  if (region.width === 0 || region.height === 0) region = null;
  showPicture();
}
function endDrag() {
  if (!dragFrom) return;
  dragFrom = null;
  tell(region ? "Region " + regionText(region) + " chosen" : "The whole picture chosen", false);
}

const applyPicture = () => edit((hue) => {
  if (!picture) throw new EditError("Choose a picture first");
  const from = region ?? { x: 0, y: 0, width: picture.width, height: picture.height };
  const ramp = rampFromPixels(picture.data, picture.width, from);
  const where = region ? "the region " + regionText(region) : "the picture";
  if (!ramp) throw new EditError("Fewer than 32 opaque pixels in " + where + ": a hue needs 32 colours");
  return { ...withRampColors(hue, ramp), note: "32 colours from " + where };
});
