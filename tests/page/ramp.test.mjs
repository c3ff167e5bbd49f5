// A hue from a picture on the page: the page's steps give the stored values `hues set
// --from-picture` gives, on random pictures and regions; and in the editor, a picture chosen, a
// region dragged on it and applied is an ordinary edit, which Undo takes back. A hue from one
// colour likewise gives what `hues set --ramp` gives, on random colours, shifts and ranges.
import { test } from "node:test";
import assert from "node:assert/strict";
import { execFileSync } from "node:child_process";
import { copyFileSync, writeFileSync } from "node:fs";
import { join } from "node:path";
import { rampFromPixels, rgbHex, shiftedRamp, storedOfRgb, useProgram } from "../../page/web/hues.js";
import { HUES, browserForTests, hueFile, hues, pageData, repeatableRandom, shownHue, workDir } from "./harness.mjs";

const random = repeatableRandom(0x1b873593);

// The colours `hues set --from-picture` gives hue 5 of a copy of the file, or null if it refuses.
function programRamp(picture, region) {
  const file = join(workDir, "ramp.mul");
  copyFileSync(hueFile, file);
  try {
    execFileSync(HUES, ["-f", file, "set", "5", "--from-picture", picture, "--region", region.join(","),
                        "--no-backup"], { stdio: "pipe" });
  } catch {
    return null;
  }
  return shownHue(file, 5);
}

const run = browserForTests(() => {
  hues("export", "html", "0-20", "-o", join(workDir, "ramp.html"));
  useProgram(pageData(join(workDir, "ramp.html")).program);
});

test("the page's steps give the ramp hues set --from-picture gives", async () => {
  let made = 0;
  for (let trial = 0; trial < 24; trial++) {
    const width = 16 + random(50), height = 4 + random(20);
    const palette = Array.from({ length: 1 + random(80) }, () => [random(256), random(256), random(256)]);
    const pixels = Array.from({ length: width * height }, () => [...palette[random(palette.length)],
                                                                  random(5) === 0 ? 0 : 255]);
    const picture = join(workDir, "random.png");
    writeFileSync(picture, await run.png(pixels, width));
    const x = random(Math.ceil(width / 2)), y = random(Math.ceil(height / 2));
    const region = [x, y, 1 + random(width - x), 1 + random(height - y)];
    const expected = programRamp(picture, region);
    const ramp = rampFromPixels(Uint8Array.from(pixels.flat()), width,
                                { x, y, width: region[2], height: region[3] });
    assert.deepEqual(ramp, expected?.stored ?? null, "trial " + trial);
    made += ramp ? 1 : 0;
  }
  assert.ok(made > 12, made + " ramps made");
});

test("in the editor, a region dragged on a chosen picture makes the hue, and Undo takes it back", async () => {
  const width = 120, height = 60;
  const pixels = Array.from({ length: width * height }, (_, i) =>
    [(i % width) * 2, Math.floor(i / width) * 4, random(256), 255]);
  const picture = join(workDir, "chosen.png");
  writeFileSync(picture, await run.png(pixels, width));
  const page = await run.open(run.address("ramp.html"));
  await page.click("#hue-12 button.edit");
  const before = await page.$$eval("#edit-colours input", (inputs) => inputs.map((input) => input.value));
  await page.setInputFiles("#edit-from-picture", picture);
  const canvas = page.locator("#edit-picture-source");
  await canvas.waitFor();
  const box = await canvas.boundingBox();
  await page.mouse.move(box.x + box.width * 0.1, box.y + box.height * 0.2);
  await page.mouse.down();
  await page.mouse.move(box.x + box.width * 0.5, box.y + box.height * 0.7, { steps: 4 });
  await page.mouse.up();
  const chosen = /Region (\d+,\d+,\d+,\d+) chosen/.exec(await page.textContent("#edit-message"));
  assert.ok(chosen, await page.textContent("#edit-message"));
  await page.click("#edit-from-picture-apply");
  const made = await page.$$eval("#edit-colours input", (inputs) => inputs.map((input) => input.value.toUpperCase()));
  assert.deepEqual(made, programRamp(picture, chosen[1].split(",").map(Number)).colors);
  assert.match(await page.textContent("#changes"), /1 hue changed/);
  await page.click("#undo");
  assert.deepEqual(await page.$$eval("#edit-colours input", (inputs) => inputs.map((input) => input.value)), before);
});

test("the page's ramp from one colour gives the stored values hues set --ramp gives", () => {
  const file = join(workDir, "shifted.mul");
  copyFileSync(hueFile, file);
  const asked = Array.from({ length: 60 }, (_, id) => {
    const base = [random(256), random(256), random(256)];
    if (id % 10 === 0) base.fill(base[0]);
    const dark = random(95), light = dark + 1 + random(100 - dark);
    const choice = { shift: id % 7 === 0 ? 0 : random(901) / 10, dark: dark / 100, light: light / 100 };
    execFileSync(HUES, ["-f", file, "set", String(id), "--ramp", rgbHex(base), "--shift", String(choice.shift),
                        "--range", choice.dark + "," + choice.light, "--no-backup"]);
    return { base, choice };
  });
  const listed = JSON.parse(execFileSync(HUES, ["-f", file, "show", "0-59", "--format", "json"]));
  asked.forEach(({ base, choice }, id) =>
    assert.deepEqual(shiftedRamp(base, choice).map(storedOfRgb), listed[id].stored, JSON.stringify({ base, choice })));
});
