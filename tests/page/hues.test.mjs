// The page's own arithmetic and its patches, in Node against the program: the colours, the
// nearest colour a hue can hold and the gradients agree with `hues set`; names are stored and
// refused as `hues set --name` does; and a patch made from any edits makes the file exactly the
// hues the page shows, through `hues apply`.
import { before, test } from "node:test";
import assert from "node:assert/strict";
import { execFileSync } from "node:child_process";
import { mkdirSync, writeFileSync } from "node:fs";
import { join } from "node:path";
import * as arithmetic from "../../page/web/hues.js";
import { HUES, hueFile, hues, pageData, repeatableRandom, workDir as work } from "./harness.mjs";
const listed = () => JSON.parse(hues("list", "--format", "json"));

const random = repeatableRandom(0x2545f491);
const Count = 160;
const randomColor = () => [random(256), random(256), random(256)];

// The page's arithmetic with the data `hues` wrote into the page.
function loadPage(file) {
  const data = pageData(file);
  arithmetic.useProgram(data.program);
  return { ...arithmetic, data: arithmetic.loadHues(data.hues) };
}

// A file of Count hues with what a page must keep: colours with bit 15 set, a name with a control
// character, one with a byte Windows-1252 leaves undefined, one with bytes after its end.
function makeHueFile() {
  const objects = Array.from({ length: Count }, (_, id) => ({
    id, name: "Hue " + id, table_start: id * 200 - 15000, table_end: -id,
    stored: Array.from({ length: 32 }, () => random(65536)),
  }));
  const oddNames = ["4F64640948756500000000000000000000000000", "4E6F8100000000000000000000000000000000",
                    "456E6400416674657200000000000000000000"];
  oddNames.forEach((hex, i) => { delete objects[i + 1].name; objects[i + 1].name_bytes = hex.padEnd(40, "0"); });
  writeFileSync(join(work, "hues.json"), JSON.stringify(objects));
  execFileSync(HUES, ["build", join(work, "hues.json"), "-o", hueFile]);
}

let page;
before(() => {
  mkdirSync(work, { recursive: true });
  makeHueFile();
  hues("export", "html", "-o", join(work, "page.html"));
  page = loadPage(join(work, "page.html"));
});

test("colours, the nearest colour a hue can hold and gradients agree with hues set", () => {
  const expected = new Map();
  for (let id = 0; id < Count; id++) {
    if (id % 4 === 3) {
      const colors = Array.from({ length: 32 }, randomColor);
      hues("set", String(id), "--no-backup", "--colors", colors.map(page.rgbHex).join(","));
      expected.set(id, { what: "colours", stored: colors.map((color) => page.storedOfRgb(color)) });
      continue;
    }
    // 2 to 32 stops, some of them the same colour or the corners of the colour cube.
    const stops = Array.from({ length: 2 + random(31) }, () =>
      random(5) === 0 ? [0, 255, 0].map(() => 255 * random(2)) : randomColor());
    if (random(4) === 0) stops[1] = stops[0];
    const text = stops.map(page.rgbHex).join(",");
    hues("set", String(id), "--no-backup", "--gradient", text);
    expected.set(id, { what: text, stored: [...page.gradientColors(stops)].map((color) => page.storedOfRgb(color)) });
  }
  for (const hue of listed()) {
    const { what, stored } = expected.get(hue.id);
    assert.deepEqual(hue.stored, stored, `hue ${hue.id}: ${what}`);
    assert.deepEqual(hue.colors, stored.map((value) => page.rgbText[value]), `hue ${hue.id}`);
  }
});

test("names are stored, and refused, as hues set --name stores and refuses them", () => {
  const names = ["Sunset", "Crème Brûlée", "€‚ƒ„…†‡ˆ‰Š‹ŒŽ‘’“”•–—˜™š›œžŸ", "Twenty Letters Here!",
                 "Twenty-one letters !!", "Ā", "😀 smile", "tab\there", "ÿ", "", "\u0081"];
  for (const name of names) {
    let refusal = null, bytes = null;
    try { bytes = page.nameBytes(name); } catch (error) { refusal = error.message; }
    let program = null;
    try { hues("set", "5", "--no-backup", "--name", name); } catch (error) { program = error.stderr; }
    if (refusal) {
      assert.ok(program, `hues set --name accepted ${JSON.stringify(name)}; the page refuses it`);
      const why = refusal.match(/U\+[0-9A-F]+|\d+ bytes long/)[0];
      assert.ok(program.includes(why), `${JSON.stringify(name)}: "${refusal}" against "${program}"`);
      continue;
    }
    assert.equal(program, null, `the page takes ${JSON.stringify(name)}, hues set refused it: ${program}`);
    const { name: shown, name_bytes: hex } = page.hueObject(5, { bytes, values: new Uint16Array(34) });
    const hue = listed()[5];
    assert.deepEqual([shown, hex], [hue.name, hue.name_bytes], JSON.stringify(name));
  }
});

test("a patch of any edits makes the file the hues the page shows, and names only what changed", () => {
  hues("export", "html", "-o", join(work, "now.html"));  // the file as the tests above left it
  page = loadPage(join(work, "now.html"));
  const { data, hueOf, putHue } = page;
  const loaded = new Map();
  const edit = (hue, make) => {
    try {
      const { hue: after } = make(hueOf(data, hue));
      if (!loaded.has(hue)) loaded.set(hue, hueOf(data, hue));
      putHue(data, hue, after);
    } catch (error) {
      if (!(error instanceof page.EditError)) throw error;
    }
  };
  const lines = listed().map((hue) => JSON.stringify(hue));
  const edits = [
    (hue) => page.withName(hue, ["Dawn", "Crème", "x".repeat(21), "Ā"][random(4)]),
    (hue) => page.withTable(hue, random(2) ? "start" : "end", random(0x10000).toString(16)),
    (hue) => page.withColor(hue, random(32), page.rgbHex(randomColor())),
    (hue) => page.withGradient(hue, [randomColor(), randomColor(), randomColor()].map(page.rgbHex).join(",")),
    () => ({ hue: hueOf(data, random(Count)) }),  // a copy of another hue
    (hue) => page.withPastedJson(hue, lines[random(Count)] + ","),
  ];
  for (let i = 0; i < 120; i++) edit(random(Count), edits[random(edits.length)]);
  edit(7, (hue) => page.withColor(hue, 0, "#FF0000"));
  edit(7, () => ({ hue: loaded.get(7) }));  // back to the file as loaded: no longer a change

  const patch = [...loaded].map(([hue, before]) => page.patchOf(data.ids[hue], before, hueOf(data, hue)))
    .filter((object) => Object.keys(object).length > 1);
  assert.ok(!patch.some((object) => object.id === 7), "a hue changed and changed back is in the patch");
  const untouched = patch.find((object) => !("name" in object) && !("name_bytes" in object));
  assert.ok(untouched, "no hue whose name stayed");
  writeFileSync(join(work, "changes.json"), page.jsonLines(patch));
  hues("apply", join(work, "changes.json"));
  assert.deepEqual(listed(), Array.from({ length: Count }, (_, hue) =>
    JSON.parse(JSON.stringify(page.hueObject(hue, hueOf(data, hue))))));

  // Applied where the owner has since renamed a hue, the patch keeps the new name.
  hues("set", String(untouched.id), "--name", "Renamed since");
  hues("apply", join(work, "changes.json"));
  assert.equal(listed()[untouched.id].name, "Renamed since");
});

test("fields are named as the JSON format names them, and the names a merge's page gave before read the same", () => {
  const cases = [["name", "name"], ["table_start", "table_start"], ["start", "table_start"], ["end", "table_end"],
                 ["colors/0", "colors/0"], ["colors/31", "colors/31"], ["colour-31", "colors/31"],
                 ["header", "block_header"], ["block_header", "block_header"], ["tail", "tail"],
                 ["colors/32", null], ["colors/05", null], ["colour-", null], ["Name", null], ["color5", null]];
  for (const [name, field] of cases) assert.equal(page.fieldNamed(name), field, name);
});
