// Hues as every player sees them: the page's model of colour vision against the cases the
// program is held to, and every strip on the screen, read off a screenshot, in the model's
// colours with each vision and severity; the choice kept for the next visit.
import { test } from "node:test";
import assert from "node:assert/strict";
import { readFileSync, writeFileSync } from "node:fs";
import { join } from "node:path";
import { parseColor as rgbOf, rgbHex, useProgram } from "../../page/web/hues.js";
import { seenColor, useVisionMatrices } from "../../page/web/vision.js";
import { browserForTests, hues, pageData, workDir } from "./harness.mjs";

const source = (path) => JSON.parse(readFileSync(new URL(path, import.meta.url), "utf8"));

const run = browserForTests(async (run) => {
  useVisionMatrices(source("../../huecolour/colour_vision_machado_2009.json").matrices);
  // A picture of the 32 levels, so that each row also paints every colour of its hue.
  const levels = Array.from({ length: 32 }, (_, k) => [k * 8, k * 8, k * 8, 255]);
  writeFileSync(join(workDir, "levels.png"), await run.png(levels));
  hues("export", "html", "0-40", "--sample", join(workDir, "levels.png"), "-o", join(workDir, "vision.html"));
  useProgram(pageData(join(workDir, "vision.html")).program);
});

test("the page's model gives the colours the program is held to", () => {
  for (const [kind, severity, color, seen] of source("../huecolour/fixtures/colour_vision_cases.json")) {
    assert.equal(rgbHex(seenColor(rgbOf(color), { kind, severity })), seen, kind + " " + severity + " " + color);
  }
});

// The pixels of the middle row of a PNG screenshot, decoded by the browser.
const middleRow = (page, shot) => page.evaluate(async (base64) => {
  const image = new Image();
  image.src = "data:image/png;base64," + base64;
  await image.decode();
  const canvas = Object.assign(document.createElement("canvas"), { width: image.width, height: image.height });
  canvas.getContext("2d").drawImage(image, 0, 0);
  return Array.from(canvas.getContext("2d").getImageData(0, image.height >> 1, image.width, 1).data);
}, shot.toString("base64"));

const near = (shown, expected, where) =>
  assert.ok(shown.every((c, k) => Math.abs(c - expected[k]) <= 2), `${where}: ${shown} for ${expected}`);

test("every strip and painted picture shows the colours as the chosen vision sees them", async () => {
  const page = await run.open(run.address("vision.html"));
  const listed = JSON.parse(hues("show", "0-40", "--format", "json"));
  // The last choice is made before a reload: it is kept for the next visit.
  const visions = [["normal", 100], ["protanomaly", 100], ["deuteranomaly", 60], ["tritanomaly", 35],
                   ["deuteranomaly", 0], ["tritanomaly", 70, "reload"]];
  for (const [kind, severity, reload] of visions) {
    await page.selectOption("#vision", kind);
    await page.fill("#vision-severity", String(severity));
    if (reload) {
      await page.reload();
      assert.deepEqual([await page.inputValue("#vision"), await page.inputValue("#vision-severity")],
                       [kind, String(severity)]);
    }
    for (const id of [1, 7, 14]) {
      const expected = listed[id].colors.map((hex) => seenColor(rgbOf(hex), { kind, severity }));
      const strip = await middleRow(page, await page.locator(`#hue-${id} .strip`).screenshot());
      const painted = await page.locator(`#hue-${id} canvas`).evaluate((canvas) =>
        Array.from(canvas.getContext("2d").getImageData(0, 0, 32, 1).data));
      for (let i = 0; i < 32; i++) {
        const at = Math.floor((i + 0.5) * strip.length / 4 / 32) * 4;
        const where = `${kind} ${severity}, hue ${id}, colour ${i}`;
        near(strip.slice(at, at + 3), expected[i], where);
        assert.deepEqual(painted.slice(i * 4, i * 4 + 3), expected[i], where + " in the picture");
      }
    }
  }
  // The editor's swatches too, each read off the screen; its pickers keep the real colours.
  await page.click("#hue-7 button.edit");
  for (const i of [0, 9, 17, 31]) {
    const picker = page.locator(`#edit-colours input >> nth=${i}`);
    const row = await middleRow(page, await picker.screenshot());
    const at = (row.length >> 3) * 4;
    near(row.slice(at, at + 3), seenColor(rgbOf(listed[7].colors[i]), { kind: "tritanomaly", severity: 70 }),
         `editor colour ${i}`);
    assert.equal((await picker.inputValue()).toUpperCase(), listed[7].colors[i]);
  }
});
