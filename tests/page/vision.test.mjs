// Hues as every player sees them: the page's model of colour vision against the cases the
// program is held to, and every strip on the screen, read off a screenshot, in the model's
// colours with each vision and severity; the choice kept for the next visit.
import { test } from "node:test";
import assert from "node:assert/strict";
import { readFileSync, writeFileSync } from "node:fs";
import { join } from "node:path";
import { useLinearTable } from "../../page/web/hues.js";
import { seenColor, useVisionMatrices } from "../../page/web/vision.js";
import { browserForTests, hues, pageData, workDir } from "./harness.mjs";

const source = (path) => JSON.parse(readFileSync(new URL(path, import.meta.url), "utf8"));
const hexOf = (rgb) => "#" + rgb.map((c) => c.toString(16).toUpperCase().padStart(2, "0")).join("");
const rgbOf = (hex) => [1, 3, 5].map((i) => parseInt(hex.slice(i, i + 2), 16));

const run = browserForTests(async (run) => {
  useVisionMatrices(source("../../huedata/colour_vision_machado_2009.json").matrices);
  // A picture of the 32 levels, so that each row also paints every colour of its hue.
  const levels = Array.from({ length: 32 }, (_, k) => [k * 8, k * 8, k * 8, 255]);
  writeFileSync(join(workDir, "levels.png"), await run.png(levels));
  hues("export", "html", "0-40", "--sample", join(workDir, "levels.png"), "-o", join(workDir, "vision.html"));
  useLinearTable(pageData(join(workDir, "vision.html")).linear);
});

test("the page's model gives the colours the program is held to", () => {
  for (const [kind, severity, color, seen] of source("../huedata/fixtures/colour_vision_cases.json")) {
    assert.equal(hexOf(seenColor(rgbOf(color), { kind, severity })), seen, kind + " " + severity + " " + color);
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

test("every strip and painted picture shows the colours as the chosen vision sees them", async () => {
  const page = await run.open(run.address("vision.html"));
  const listed = JSON.parse(hues("show", "0-40", "--format", "json"));
  const visions = [["normal", 100], ["protanomaly", 100], ["deuteranomaly", 60], ["tritanomaly", 35],
                   ["deuteranomaly", 0]];
  for (const [kind, severity] of visions) {
    await page.selectOption("#vision", kind);
    await page.fill("#vision-severity", String(severity));
    for (const id of [1, 7, 14]) {
      const expected = listed[id].colors.map((hex) => seenColor(rgbOf(hex), { kind, severity }));
      const strip = await middleRow(page, await page.locator(`#hue-${id} .strip`).screenshot());
      const painted = await page.locator(`#hue-${id} canvas`).evaluate((canvas) =>
        Array.from(canvas.getContext("2d").getImageData(0, 0, 32, 1).data));
      for (let i = 0; i < 32; i++) {
        const at = Math.floor((i + 0.5) * strip.length / 4 / 32) * 4;
        const shown = strip.slice(at, at + 3);
        const where = `${kind} ${severity}, hue ${id}, colour ${i}`;
        assert.ok(shown.every((c, k) => Math.abs(c - expected[i][k]) <= 2), `${where}: ${shown} for ${expected[i]}`);
        assert.deepEqual(painted.slice(i * 4, i * 4 + 3), expected[i], where + " in the picture");
      }
    }
  }
  // The editor's swatches too, each read off the screen; its pickers keep the real colours.
  await page.selectOption("#vision", "deuteranomaly");
  await page.fill("#vision-severity", "80");
  await page.click("#hue-7 button.edit");
  for (const i of [0, 9, 17, 31]) {
    const picker = page.locator(`#edit-colours input >> nth=${i}`);
    const row = await middleRow(page, await picker.screenshot());
    const expected = seenColor(rgbOf(listed[7].colors[i]), { kind: "deuteranomaly", severity: 80 });
    const shown = row.slice((row.length >> 3) * 4, (row.length >> 3) * 4 + 3);
    assert.ok(shown.every((c, k) => Math.abs(c - expected[k]) <= 2), `editor colour ${i}: ${shown} for ${expected}`);
    assert.equal((await picker.inputValue()).toUpperCase(), listed[7].colors[i]);
  }
  await page.click("#edit-close");

  // Kept for the next visit.
  await page.selectOption("#vision", "tritanomaly");
  await page.fill("#vision-severity", "70");
  await page.reload();
  assert.equal(await page.inputValue("#vision"), "tritanomaly");
  assert.equal(await page.inputValue("#vision-severity"), "70");
  const expected = seenColor(rgbOf(listed[7].colors[31]), { kind: "tritanomaly", severity: 70 });
  const painted = await page.locator("#hue-7 canvas").evaluate((canvas) =>
    Array.from(canvas.getContext("2d").getImageData(31, 0, 1, 1).data.slice(0, 3)));
  assert.deepEqual(painted, expected);
});
