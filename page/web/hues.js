// The hues and their arithmetic, as `hues` does it: the stored colours and their widening, the
// nearest colour a hue can hold, OKLab and its gradients, names in Windows-1252, and hues as the
// JSON text `hues list` writes and `hues apply` reads. No page in here: the tests import this
// module in Node and hold it against the program's own output.

export const ValuesPerHue = 34;  // per hue: table start, table end, then the 32 stored colours

// ---- Stored colours ----

export const widened = Array.from({ length: 32 }, (_, k) => Math.floor((255 * k + 15) / 31));
// The 5-bit channel whose widened value lies nearest to an 8-bit one; of two, the lower.
const narrowed = Array.from({ length: 256 }, (_, c) => {
  let best = 0;
  for (let k = 1; k < 32; k++) if (Math.abs(widened[k] - c) < Math.abs(widened[best] - c)) best = k;
  return best;
});
const hex2 = (n) => n.toString(16).toUpperCase().padStart(2, "0");
// "#RRGGBB" of every stored value (bit 15 carries nothing).
export const rgbText = Array.from({ length: 32768 }, (_, v) =>
  "#" + hex2(widened[v >> 10]) + hex2(widened[(v >> 5) & 31]) + hex2(widened[v & 31]));
export const storedOfRgb = ([red, green, blue]) => (narrowed[red] << 10) | (narrowed[green] << 5) | narrowed[blue];
export const rgbHex = ([red, green, blue]) => "#" + hex2(red) + hex2(green) + hex2(blue);

// A colour typed as #RRGGBB or RRGGBB, as `hues` takes it; null when it is none.
export function parseColor(text) {
  const match = /^#?([0-9a-fA-F]{6})$/.exec(text.trim());
  if (!match) return null;
  const n = parseInt(match[1], 16);
  return [n >> 16, (n >> 8) & 255, n & 255];
}

// ---- What the program's pages carry of it, given before the first colour or name is made ----

// Each 8-bit channel's linear value, OKLab's matrices (so that OKLab here is the program's to
// the last bit), Windows-1252's characters for 0x80..0x9F, a hue file's layout and the JSON
// format's names of a hue's fields: the program's own, written into each page (page_parts.cpp,
// AppendProgramData), never again here.
let linear = null, M = null, M1 = null, M2 = null, M2Inverse = null, M1Inverse = null, MInverse = null;
let High1252 = "", layout = null, F = null;
export function useProgram(program) {
  ({ linear, layout, fields: F } = program);
  ({ linearSrgbToXyz: M, xyzToLms: M1, lmsToLab: M2 } = program.oklab);
  [M2Inverse, M1Inverse, MInverse] = [inverse(M2), inverse(M1), inverse(M)];
  High1252 = String.fromCharCode(...program.windows1252);
}
export const linearOf = (channel) => linear[channel];
// { entryBytes, blockHeaderBytes, huesPerBlock, colorCount, tableStartOffset, tableEndOffset,
//   nameOffset, nameBytes, highestHueId, lowestTableValue, highestTableValue }
export const hueLayout = () => layout;
// { name, tableStart, tableEnd, colors, stored, nameBytes, blockHeader, tail, olderTableStart,
//   olderTableEnd, olderColor, olderBlockHeader }: "name", "table_start", ...; colour i's field is colorField(i).
export const fieldNames = () => F;
export const colorField = (i) => F.colors + "/" + i;

// ---- OKLab, from the same matrices and in the same order of operations as the program ----

const times = (m, v) => [m[0][0] * v[0] + m[0][1] * v[1] + m[0][2] * v[2],
                         m[1][0] * v[0] + m[1][1] * v[1] + m[1][2] * v[2],
                         m[2][0] * v[0] + m[2][1] * v[1] + m[2][2] * v[2]];
function inverse(m) {
  const det = m[0][0] * (m[1][1] * m[2][2] - m[1][2] * m[2][1]) -
              m[0][1] * (m[1][0] * m[2][2] - m[1][2] * m[2][0]) +
              m[0][2] * (m[1][0] * m[2][1] - m[1][1] * m[2][0]);
  return [0, 1, 2].map((i) => [0, 1, 2].map((j) => {
    const r0 = (j + 1) % 3, r1 = (j + 2) % 3, c0 = (i + 1) % 3, c1 = (i + 2) % 3;
    return (m[r0][c0] * m[r1][c1] - m[r0][c1] * m[r1][c0]) / det;
  }));
}

export function oklab(red, green, blue) {
  const lms = times(M1, times(M, [linear[red], linear[green], linear[blue]]));
  return times(M2, lms.map(Math.cbrt));
}
// An 8-bit sRGB channel from its linear value, clamped and rounded.
export function srgbChannel(linear) {
  const c = linear <= 0.0031308 ? linear * 12.92 : 1.055 * Math.pow(linear, 1 / 2.4) - 0.055;
  return Math.round(Math.min(Math.max(c, 0), 1) * 255);
}
// Linear sRGB, unclamped: a channel outside 0..1 is a colour sRGB cannot show.
function linearOfOklab(lab) {
  const root = times(M2Inverse, lab);
  return times(MInverse, times(M1Inverse, root.map((r) => r * r * r)));
}
const srgbOfOklab = (lab) => linearOfOklab(lab).map(srgbChannel);

// The 32 colours of a gradient through `stops` ([r, g, b] each): each stop at an evenly spaced
// colour, and between them the colours in between in OKLab.
export function gradientColors(stops) {
  const gaps = stops.length - 1;
  return Array.from({ length: 32 }, (_, i) => {
    const stop = Math.floor(i * gaps / 31), rest = i * gaps % 31;
    if (rest === 0) return stops[stop];
    const from = oklab(...stops[stop]), to = oklab(...stops[stop + 1]), t = rest / 31;
    return srgbOfOklab([0, 1, 2].map((c) => from[c] + (to[c] - from[c]) * t));
  });
}

// ---- A hue from one colour, by the program's steps, to the same colours ----

// OKLCH's hue in degrees, 0 to 360.
function hueDegrees([, a, b]) {
  const degrees = Math.atan2(b, a) * 180 / Math.PI;
  return degrees < 0 ? degrees + 360 : degrees;
}
function fromLch(lightness, chroma, hue) {
  const radians = hue * Math.PI / 180;
  return [lightness, chroma * Math.cos(radians), chroma * Math.sin(radians)];
}
const inSrgb = (lab) => linearOfOklab(lab).every((channel) => channel >= 0 && channel <= 1);
// `hue` turned toward `end` by `degrees` along the shorter arc, and never past it.
function turnedToward(hue, end, degrees) {
  const gap = (end - hue + 540) % 360 - 180;
  const turn = Math.min(degrees, Math.abs(gap));
  return gap < 0 ? hue - turn : hue + turn;
}
// The chroma, or the most sRGB shows at that lightness and hue.
function chromaInSrgb(lightness, chroma, hue) {
  if (inSrgb(fromLch(lightness, chroma, hue))) return chroma;
  let inside = 0, outside = chroma;
  while (outside - inside > 1e-6) {
    const middle = (inside + outside) / 2;
    if (inSrgb(fromLch(lightness, middle, hue))) inside = middle;
    else outside = middle;
  }
  return inside;
}

// The 32 colours ([r, g, b] each) of `hues set --ramp` from `base` with { shift, dark, light }:
// lightness evenly from dark to light (the range widened to take the base in), the base itself
// at the step nearest its lightness, the hue turned toward yellow's above it and blue's below
// it, the chroma kept where sRGB can show it; a grey base gives greys.
export function shiftedRamp(base, { shift, dark, light }) {
  const lab = oklab(...base);
  dark = Math.min(dark, lab[0]);
  light = Math.max(light, lab[0]);
  const lightness = Array.from({ length: 32 }, (_, i) => dark + (light - dark) * i / 31);
  let k = 0;
  lightness.forEach((l, i) => { if (Math.abs(l - lab[0]) < Math.abs(lightness[k] - lab[0])) k = i; });
  const grey = base[0] === base[1] && base[1] === base[2];
  const chroma = Math.sqrt(lab[1] * lab[1] + lab[2] * lab[2]), hue = hueDegrees(lab);
  const warm = hueDegrees(oklab(255, 255, 0)), cool = hueDegrees(oklab(0, 0, 255));
  return lightness.map((l, i) => {
    if (i === k) return base;
    // OKLab's grey of lightness L is L cubed in linear light, in every channel alike.
    if (grey) return Array(3).fill(srgbChannel(l * l * l));
    const turned = i > k ? turnedToward(hue, warm, shift * (l - lab[0]) / (light - lab[0]))
      : turnedToward(hue, cool, shift * (lab[0] - l) / (lab[0] - dark));
    return srgbOfOklab(fromLch(l, chromaInSrgb(l, chroma, turned), turned));
  });
}

// ---- A ramp from a picture, by the program's steps, to the same stored values ----

// The 32 stored colours from the region { x, y, width, height } of RGBA pixels `data` (a picture
// `pictureWidth` wide), or null when fewer than 32 of its pixels are opaque: its opaque pixels
// in OKLab, ordered by L, a, b (the same colour in any order), cut into 32 runs of equal count,
// each the mean of its run. The colours are counted a red at a time; their sums are kept in whole
// units of 2^-20, exact in any order; only the buckets by L that a run begins inside are put in
// order colour by colour.
export function rampFromPixels(data, pictureWidth, region) {
  const { x, y, width, height } = region;
  // A pixel a word: red in its low byte, alpha in its high one (the page's byte order is the
  // machine's, little-endian wherever a browser runs).
  const words = new Uint32Array(data.buffer, data.byteOffset, data.byteLength >> 2);
  const starts = new Uint32Array(257);
  for (let row = y; row < y + height; row++) {
    for (let at = row * pictureWidth + x, end = at + width; at < end; at++) {
      const word = words[at];
      if (word >>> 24 !== 0) starts[(word & 255) + 1]++;
    }
  }
  for (let red = 1; red < 257; red++) starts[red] += starts[red - 1];
  const pixels = starts[256];
  if (pixels < 32) return null;
  const greenBlue = new Uint16Array(pixels), next = starts.slice(0, 256);
  for (let row = y; row < y + height; row++) {
    for (let at = row * pictureWidth + x, end = at + width; at < end; at++) {
      const word = words[at];
      if (word >>> 24 !== 0) greenBlue[next[word & 255]++] = (word & 0xff00) | ((word >>> 16) & 255);
    }
  }
  const colors = countedColors(starts, greenBlue);

  const bounds = Array.from({ length: 33 }, (_, k) => Math.floor(k * pixels / 32));
  const Buckets = 65536, Split = 32, Unit = 1048576;
  const { L, A, B, rgb, count, total } = colors;
  const bucket = new Uint32Array(total);
  const bucketStarts = new Float64Array(Buckets + 1);
  for (let i = 0; i < total; i++) {
    bucket[i] = Math.min(Math.floor(Math.max(L[i], 0) * Buckets), Buckets - 1);
    bucketStarts[bucket[i] + 1] += count[i];
  }
  for (let i = 1; i <= Buckets; i++) bucketStarts[i] += bucketStarts[i - 1];
  const runOfBucket = new Uint8Array(Buckets);
  let run = 0;
  for (let i = 0; i < Buckets; i++) {
    while (run + 1 < 32 && bounds[run + 1] <= bucketStarts[i]) run++;
    runOfBucket[i] = bucketStarts[i + 1] <= bounds[run + 1] ? run : Split;
  }
  const sums = new Float64Array(32 * 3);
  const add = (k, i, share) => {
    sums[k * 3] += Math.floor(L[i] * Unit + 0.5) * share;
    sums[k * 3 + 1] += Math.floor(A[i] * Unit + 0.5) * share;
    sums[k * 3 + 2] += Math.floor(B[i] * Unit + 0.5) * share;
  };
  const split = [];
  for (let i = 0; i < total; i++) {
    const whole = runOfBucket[bucket[i]];
    if (whole === Split) split.push(i);
    else add(whole, i, count[i]);
  }
  split.sort((i, j) => bucket[i] - bucket[j] || L[i] - L[j] || A[i] - A[j] || B[i] - B[j] || rgb[i] - rgb[j]);
  let at = 0, current = -1;
  for (const i of split) {
    if (bucket[i] !== current) {
      current = bucket[i];
      at = bucketStarts[current];
      run = 0;
      while (bounds[run + 1] <= at) run++;
    }
    let left = count[i];
    while (left > 0) {
      const taken = Math.min(left, bounds[run + 1] - at);
      add(run, i, taken);
      at += taken;
      left -= taken;
      if (at === bounds[run + 1]) run++;
    }
  }
  return Array.from({ length: 32 }, (_, k) => {
    const pixelsInRun = bounds[k + 1] - bounds[k];
    return storedOfRgb(srgbOfOklab([0, 1, 2].map((c) => sums[k * 3 + c] / pixelsInRun / Unit)));
  });
}

// Each colour of the pixels, a red at a time (`greenBlue` holds each pixel's green and blue,
// those of red r from starts[r]), with its count and OKLab: as oklab() computes it, operation
// for operation, without its arrays, as a photo has a million colours.
function countedColors(starts, greenBlue) {
  let capacity = Math.min(starts[256], 1 << 21), total = 0;
  let L = new Float64Array(capacity), A = new Float64Array(capacity), B = new Float64Array(capacity);
  let rgb = new Uint32Array(capacity), count = new Uint32Array(capacity);
  const grow = () => {
    capacity *= 2;
    const wider = (old, Type) => { const array = new Type(capacity); array.set(old); return array; };
    L = wider(L, Float64Array); A = wider(A, Float64Array); B = wider(B, Float64Array);
    rgb = wider(rgb, Uint32Array); count = wider(count, Uint32Array);
  };
  // The colours of a red in the order first met: the sums do not depend on it.
  const counts = new Uint32Array(65536), met = new Uint16Array(65536);
  for (let red = 0; red < 256; red++) {
    let kinds = 0;
    for (let i = starts[red]; i < starts[red + 1]; i++) {
      if (counts[greenBlue[i]]++ === 0) met[kinds++] = greenBlue[i];
    }
    const r = linear[red];
    for (let k = 0; k < kinds; k++) {
      const gb = met[k];
      if (total === capacity) grow();
      const g = linear[gb >> 8], b = linear[gb & 255];
      const x = M[0][0] * r + M[0][1] * g + M[0][2] * b;
      const y = M[1][0] * r + M[1][1] * g + M[1][2] * b;
      const z = M[2][0] * r + M[2][1] * g + M[2][2] * b;
      const l = Math.cbrt(M1[0][0] * x + M1[0][1] * y + M1[0][2] * z);
      const m = Math.cbrt(M1[1][0] * x + M1[1][1] * y + M1[1][2] * z);
      const s = Math.cbrt(M1[2][0] * x + M1[2][1] * y + M1[2][2] * z);
      L[total] = M2[0][0] * l + M2[0][1] * m + M2[0][2] * s;
      A[total] = M2[1][0] * l + M2[1][1] * m + M2[1][2] * s;
      B[total] = M2[2][0] * l + M2[2][1] * m + M2[2][2] * s;
      rgb[total] = (red << 16) | gb;
      count[total++] = counts[gb];
      counts[gb] = 0;
    }
  }
  return { L, A, B, rgb, count, total };
}

// ---- Names: 20 bytes of Windows-1252 ----

// Bytes 0x80..0x9F are High1252's characters; the five Windows-1252 leaves undefined map to the
// same code point.
const charOf1252 = (byte) => (byte >= 0x80 && byte < 0xA0 ? High1252[byte - 0x80] : String.fromCharCode(byte));
// The byte of a character, or 0 where Windows-1252 has none: of the C1 controls, only the five
// that stand for the bytes it leaves undefined have one, so that a listed name reads back.
function byteOf1252(code) {
  if (code < 0x80 || (code >= 0xA0 && code <= 0xFF)) return code;
  const at = High1252.indexOf(String.fromCharCode(code));
  return at < 0 ? 0 : 0x80 + at;
}
// Whether the byte has a character of its own (not one of the five undefined bytes).
const defined1252 = (byte) => byte < 0x80 || byte >= 0xA0 || High1252.charCodeAt(byte - 0x80) !== byte;

export class EditError extends Error {}

// A name as the 20 bytes a hue stores, refused as `hues set --name` refuses it.
export function nameBytes(text) {
  const bytes = new Uint8Array(20);
  for (let i = 0; i < text.length; i++) {
    const code = text.charCodeAt(i);
    if (code === 0) throw new EditError("it holds a NUL character, which ends a name");
    const byte = byteOf1252(code);
    if (byte === 0) {
      const scalar = text.codePointAt(i);
      const hex = scalar.toString(16).toUpperCase().padStart(4, "0");
      throw new EditError("U+" + hex + " (" + String.fromCodePoint(scalar) + ") has no byte in Windows-1252");
    }
    if (i >= 20) {
      throw new EditError("it is " + text.length + " bytes long in Windows-1252; a name holds at most 20");
    }
    bytes[i] = byte;
  }
  return bytes;
}
// The name's text: the bytes before the first zero byte.
export function nameText(bytes) {
  let text = "";
  for (const byte of bytes) {
    if (byte === 0) break;
    text += charOf1252(byte);
  }
  return text;
}
// The text as the page shows it: a control character (C0, DEL, C1) as U+FFFD, but the five C1
// controls that stand for the bytes Windows-1252 leaves undefined, which the listings give too.
// eslint-disable-next-line no-control-regex -- the control characters are what it finds
const Controls = /[\u0000-\u001F\u007F\u0080\u0082-\u008C\u008E\u0091-\u009C\u009E\u009F]/g;
export const printable = (text) => text.replace(Controls, "\uFFFD");
// Whether the name's text gives its bytes back (as `hues list` checks before it adds name_bytes).
function nameRoundTrips(bytes) {
  const end = bytes.indexOf(0) < 0 ? 20 : bytes.indexOf(0);
  return bytes.slice(0, end).every(defined1252) && bytes.slice(end).every((byte) => byte === 0);
}
// A field or a file's part by name, as the JSON format and `hues` name them (fieldNames), also
// from the names a merge's page gave before; null for any other.
export function fieldNamed(name) {
  const older = { [F.olderTableStart]: F.tableStart, [F.olderTableEnd]: F.tableEnd, [F.olderBlockHeader]: F.blockHeader };
  const plain = older[name] ?? name;
  if ([F.name, F.tableStart, F.tableEnd, F.blockHeader, F.tail].includes(plain)) return plain;
  for (const prefix of [F.colors + "/", F.olderColor]) {
    const digits = name.startsWith(prefix) ? name.slice(prefix.length) : "";
    if (/^(0|[1-9]\d?)$/.test(digits) && +digits < 32) return colorField(+digits);
  }
  return null;
}
export const bytesHex = (bytes) => Array.from(bytes, hex2).join("");
export const sameBytes = (a, b) => a.length === b.length && a.every((value, i) => value === b[i]);

// ---- The hues of a page: its block of data, and one hue at a time ----

export function bytesOfBase64(base64) {
  const text = atob(base64), bytes = new Uint8Array(text.length);
  for (let i = 0; i < text.length; i++) bytes[i] = text.charCodeAt(i);
  return bytes;
}
// The block `hues export html` writes: ids and values as little-endian 16-bit base64, names as
// shown, and the bytes of the names their text would not give back.
export function loadHues(block) {
  const ids = new Uint16Array(bytesOfBase64(block.ids).buffer);
  const odd = new Map(Object.entries(block.nameBytes || {}).map(([hue, hex]) =>
    [+hue, Uint8Array.from(hex.match(/../g), (pair) => parseInt(pair, 16))]));
  return {
    total: block.names.length,
    ids,
    values: new Uint16Array(bytesOfBase64(block.values).buffer),
    names: block.names.slice(),
    nameBytesOf: (hue) => odd.get(hue) || nameBytes(block.names[hue]),
    putNameBytes: (hue, bytes) => odd.set(hue, bytes),
    placeOfId: new Map(Array.from(ids, (id, hue) => [id, hue])),
  };
}

// One hue's fields, apart from the file: its name as shown and as stored, and its 34 values.
export function hueOf(data, hue) {
  const at = hue * ValuesPerHue;
  return { name: data.names[hue], bytes: data.nameBytesOf(hue),
           values: data.values.slice(at, at + ValuesPerHue) };
}
export function putHue(data, hue, fields) {
  data.names[hue] = fields.name;
  data.putNameBytes(hue, fields.bytes);
  data.values.set(fields.values, hue * ValuesPerHue);
}
export function sameHue(a, b) { return sameBytes(a.bytes, b.bytes) && sameBytes(a.values, b.values); }

// ---- Edits: each gives the hue as it is after it, with a note, or refuses with EditError ----

const withValues = (hue, change) => {
  const values = hue.values.slice();
  change(values);
  return { ...hue, values };
};

export function withName(hue, text) {
  try {
    return { hue: { ...hue, name: text, bytes: nameBytes(text) } };
  } catch (error) {
    if (!(error instanceof EditError)) throw error;
    throw new EditError('The name "' + printable(text) + '" cannot be stored: ' + error.message);
  }
}

// A table value typed as the table shows it: hexadecimal, 0 to FFFF.
export function withTable(hue, which, text) {
  const digits = text.trim().replace(/^0x/i, "");
  if (!/^[0-9a-fA-F]{1,4}$/.test(digits)) {
    throw new EditError("Table " + which + ": give 0 to FFFF in hexadecimal, not \"" + text.trim() + "\"");
  }
  return { hue: withValues(hue, (values) => { values[which === "start" ? 0 : 1] = parseInt(digits, 16); }) };
}

// Colours chosen by a person, as stored values; the note names those no hue can hold.
function storedColors(colors) {
  const stored = colors.map(storedOfRgb);
  const inexact = colors.filter((color, i) => rgbText[stored[i]] !== rgbHex(color));
  if (inexact.length === 0) return { stored };
  const first = rgbHex(inexact[0]);
  return { stored, note: inexact.length === 1
    ? first + " is not a colour a hue can hold; it is now the nearest, " + rgbText[storedOfRgb(inexact[0])]
    : inexact.length + " colours were taken to the nearest a hue can hold, the first " + first +
      " to " + rgbText[storedOfRgb(inexact[0])] };
}

export function withColor(hue, index, hex) {
  const color = parseColor(hex);
  if (!color) throw new EditError("Colour " + index + ": give #RRGGBB, not \"" + hex + "\"");
  const { stored, note } = storedColors([color]);
  return { hue: withValues(hue, (values) => { values[2 + index] = stored[0]; }), note };
}

// The 32 stored colours made from a picture.
export function withRampColors(hue, ramp) {
  return { hue: withValues(hue, (values) => values.set(ramp, 2)) };
}

// Stops as `hues set --gradient` takes them: 2 to 32 colours, separated by commas.
export function withGradient(hue, text) {
  const parts = text.split(",");
  const stops = parts.map(parseColor);
  const bad = stops.indexOf(null);
  if (bad >= 0) throw new EditError("Gradient: \"" + parts[bad].trim() + "\" is not a colour: give #RRGGBB or RRGGBB");
  if (stops.length < 2 || stops.length > 32) {
    throw new EditError("Gradient: gives " + stops.length + " colours; give 2 to 32 stops");
  }
  // The stops are what the person typed; the colours between them are made, and simply taken
  // to the nearest a hue can hold.
  const { note } = storedColors(stops);
  const colors = gradientColors(stops).map(storedOfRgb);
  return { hue: withValues(hue, (values) => values.set(colors, 2)), note };
}

// A ramp from one colour as `hues set --ramp COLOUR --shift SHIFT --range DARK,LIGHT` makes it,
// each given as text and refused as it refuses them.
export function withShiftedRamp(hue, colour, shiftText, darkText, lightText) {
  const base = parseColor(colour);
  if (!base) throw new EditError("Ramp: \"" + colour + "\" is not a colour: give #RRGGBB or RRGGBB");
  const number = (text) => (/^\s*$/.test(text) ? NaN : Number(text));
  const shift = number(shiftText), dark = number(darkText), light = number(lightText);
  if (!(shift >= 0 && shift <= 90)) throw new EditError("Ramp: the shift is 0 to 90 degrees, not \"" + shiftText + "\"");
  if (!(dark >= 0 && dark < light && light <= 1)) {
    throw new EditError("Ramp: the range is two lightnesses with 0 <= dark < light <= 1, not \"" +
                        darkText + "," + lightText + "\"");
  }
  const { note } = storedColors([base]);
  const colors = shiftedRamp(base, { shift, dark, light }).map(storedOfRgb);
  return { hue: withValues(hue, (values) => values.set(colors, 2)), note };
}

// A hue's object as `hues list --format json` writes it (block headers aside).
export function hueObject(id, hue) {
  const object = { id, [F.name]: nameText(hue.bytes) };
  if (!nameRoundTrips(hue.bytes)) object[F.nameBytes] = bytesHex(hue.bytes);
  const signed = (value) => (value << 16) >> 16;
  object[F.tableStart] = signed(hue.values[0]);
  object[F.tableEnd] = signed(hue.values[1]);
  const stored = Array.from(hue.values.subarray(2));
  object[F.colors] = stored.map((value) => rgbText[value & 0x7fff]);
  object[F.stored] = stored;
  return object;
}

// A hue's JSON line (from `hues list --format json`, or another page) laid over this hue, read
// as `hues apply` reads it: the fields it names, a name typed over its bytes wins, and so does a
// colour changed over its stored value.
export function withPastedJson(hue, text) {
  let object;
  try {
    object = JSON.parse(text.trim().replace(/,$/, ""));
  } catch {
    throw new EditError("The pasted text is not a hue's JSON line, as hues list --format json writes it");
  }
  if (!object || typeof object !== "object" || Array.isArray(object)) {
    throw new EditError("The pasted text is not one hue object");
  }
  return withHueObject(hue, object, "The pasted hue");
}

// A hue's object, already decoded, laid over this hue in the same way; a refusal names the
// field after `what` ("The pasted hue", "The restored hue", ...).
export function withHueObject(hue, object, what) {
  const fail = (field, why) => { throw new EditError(what + "'s " + field + " " + why); };
  let next = { ...hue, values: hue.values.slice() };
  if (F.nameBytes in object) {
    const hex = object[F.nameBytes];
    if (!/^[0-9a-fA-F]{40}$/.test(hex)) fail(F.nameBytes, "must be 40 hexadecimal digits");
    const bytes = Uint8Array.from(hex.match(/../g), (pair) => parseInt(pair, 16));
    next = { ...next, bytes, name: printable(nameText(bytes)) };
  }
  if (F.name in object && (!(F.nameBytes in object) || nameText(next.bytes) !== object[F.name])) {
    if (typeof object[F.name] !== "string") fail(F.name, "must be a string");
    next = withName(next, object[F.name]).hue;
  }
  for (const [field, at] of [[F.tableStart, 0], [F.tableEnd, 1]]) {
    if (!(field in object)) continue;
    const value = object[field];
    const { lowestTableValue: lowest, highestTableValue: highest } = layout;
    if (!Number.isInteger(value) || value < lowest || value > highest) fail(field, "must be from " + lowest + " to " + highest);
    next.values[at] = value & 0xffff;
  }
  const list = (field, valid) => {
    const items = object[field];
    if (!Array.isArray(items) || items.length !== 32 || !items.every(valid)) {
      fail(field, "must be an array of 32 " + (field === F.colors ? "colours #RRGGBB" : "values 0 to 65535"));
    }
    return items;
  };
  const colors = F.colors in object ? list(F.colors, (c) => typeof c === "string" && parseColor(c)) : null;
  const stored = F.stored in object ? list(F.stored, (v) => Number.isInteger(v) && v >= 0 && v <= 65535) : null;
  let note;
  if (colors) {
    const chosen = colors.map(parseColor);
    const keeps = (i) => stored !== null && rgbText[stored[i] & 0x7fff] === rgbHex(chosen[i]);
    const taken = storedColors(chosen.filter((_, i) => !keeps(i)));
    note = taken.note;
    let k = 0;
    chosen.forEach((_, i) => { next.values[2 + i] = keeps(i) ? stored[i] : taken.stored[k++]; });
  } else if (stored) {
    next.values.set(stored, 2);
  }
  return { hue: next, note };
}

// What changed from `before` to `after`, as an object `hues apply` takes: the id and only the
// fields that changed, so that it leaves every other field of the file as it finds it.
export function patchOf(id, before, after) {
  const full = hueObject(id, after), patch = { id };
  const copy = (key) => { patch[key] = full[key]; };
  if (!sameBytes(before.bytes, after.bytes)) copy(F.nameBytes in full ? F.nameBytes : F.name);
  if (before.values[0] !== after.values[0]) copy(F.tableStart);
  if (before.values[1] !== after.values[1]) copy(F.tableEnd);
  if (!sameBytes(before.values.subarray(2), after.values.subarray(2))) {
    copy(F.colors);
    copy(F.stored);
  }
  return patch;
}

// A list of objects as `hues list --format json` writes one: an array, an object a line.
export const jsonLines = (objects) =>
  objects.length === 0 ? "[]\n" : "[\n" + objects.map((o) => "  " + JSON.stringify(o)).join(",\n") + "\n]\n";
