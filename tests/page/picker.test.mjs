// The page `hues export html` writes, driven in Debian's chromium: finding by colour agrees
// with `hues nearest`, filter and colour together, links and keys, copying, the sample picture
// painted pixel by pixel with no request of the page's own, the plain table without scripts, and
// the largest file.
import { test } from "node:test";
import assert from "node:assert/strict";
import { execFileSync } from "node:child_process";
import { writeFileSync } from "node:fs";
import { join } from "node:path";
import { HUES, MAKE_SAMPLE, browserForTests, hues, workDir } from "./harness.mjs";

const largestFile = join(workDir, "largest.mul");

const testPicture = [[8, 8, 8, 255], [255, 255, 255, 255], [0, 0, 0, 0], [255, 0, 0, 255]];
const run = browserForTests(async () => {
  writeFileSync(join(workDir, "grey.png"), await run.png(testPicture));
  hues("export", "html", "-o", join(workDir, "page.html"));
  hues("export", "html", "--sample", join(workDir, "grey.png"), "-o",
       join(workDir, "sampled.html"));
  execFileSync(MAKE_SAMPLE, [largestFile, "32768"]);
  execFileSync(HUES, ["-f", largestFile, "export", "html", "-o", join(workDir, "largest.html")]);
});

const open = (name, options) => run.open(run.address(name), options);

// Every hue the page shows, in order, as a reader meets them: the page makes only the rows on
// screen, so it is read a screen at a time, each row by its place (aria-rowindex). A tall
// window (`tall`) takes fewer screens.
const tall = { viewport: { width: 1280, height: 4000 } };
const shownIds = (page) => page.evaluate(async () => {
  const table = document.getElementById("hues");
  const ids = new Array(+table.getAttribute("aria-rowcount") - 1);
  let seen = 0;
  for (let y = 0; seen < ids.length && y <= document.body.scrollHeight; y += innerHeight) {
    scrollTo(0, y);
    await new Promise(requestAnimationFrame);
    await new Promise(requestAnimationFrame);
    for (const row of table.tBodies[0].rows) {
      const at = +row.getAttribute("aria-rowindex") - 2;
      if (ids[at] === undefined) seen++;
      ids[at] = +row.id.slice(4);
    }
  }
  scrollTo(0, 0);
  return ids;
});

async function chooseColor(page, hex) {
  await page.fill("#colour-text", hex);
  await page.press("#colour-text", "Enter");
}

test("ordering by a colour is exactly the ranking of hues nearest", async () => {
  const page = await open("page.html", tall);
  for (const hex of ["#FF8800", "#3366CC", "#000000", "#7F7F7F", "#12AB34"]) {
    await chooseColor(page, hex);
    const expected = JSON.parse(hues("nearest", hex, "-n", "3000", "--format", "json"));
    assert.deepEqual(await shownIds(page), expected.map((hue) => hue.id), hex);
    const first = page.locator(`#hue-${expected[0].id}`);
    assert.equal(await first.locator("td").nth(5).textContent(), expected[0].distance.toFixed(4));
    const marked = await first.locator(".strip i").evaluate((mark) => parseFloat(mark.style.left));
    assert.equal(marked, expected[0].index * 100 / 32, hex);
  }
});

test("the name filter and a colour work together, and Clear restores id order", async () => {
  const page = await open("page.html", tall);
  await page.fill("#filter", "amber");
  await chooseColor(page, "#FF8800");
  const amber = JSON.parse(hues("nearest", "#FF8800", "-n", "3000", "--format", "json"))
    .filter((hue) => hue.name.toLowerCase().includes("amber")).map((hue) => hue.id);
  assert.ok(amber.length > 1);
  assert.deepEqual(await shownIds(page), amber);
  await page.fill("#filter", "");
  await page.click("#clear");
  assert.deepEqual(await shownIds(page), Array.from({ length: 3000 }, (_, id) => id));
  assert.equal(await page.locator("#hue-7 td").nth(5).isVisible(), false);
});

test("an id and a colour are copied with one click each, and the copy is announced", async () => {
  const page = await open("page.html#hue-1234");
  await page.context().grantPermissions(["clipboard-read", "clipboard-write"]);
  await page.click("#hue-1234 td:first-child button");
  assert.equal(await page.evaluate(() => navigator.clipboard.readText()), "1234");
  assert.equal(await page.textContent("#status"), "Copied 1234");
  assert.equal(await page.getAttribute("#status", "aria-live"), "polite");

  await page.evaluate(() => { location.hash = "#hue-5"; });
  const strip = page.locator("#hue-5 .strip");
  const box = await strip.boundingBox();
  await strip.click({ position: { x: box.width * (3.5 / 32), y: box.height / 2 } });
  const colors = (await page.getAttribute("#hue-5", "data-colors")).split(" ");
  assert.equal(await page.evaluate(() => navigator.clipboard.readText()), colors[3]);
});

// And the page asks nothing of the server but itself (nor of any other: harness.mjs).
test("the sample picture is painted with each hue, pixel by pixel, and nothing else is fetched", async () => {
  run.served.length = 0;
  const page = await open("sampled.html");
  const painted = async () => {
    const row = page.locator("#hue-8");
    await row.scrollIntoViewIfNeeded();
    await page.waitForFunction(() => {
      const canvas = document.querySelector("#hue-8 canvas");
      return canvas.width === 4 && canvas.getContext("2d").getImageData(1, 0, 1, 1).data[3] === 255;
    });
    return row.locator("canvas").evaluate((canvas) =>
      Array.from(canvas.getContext("2d").getImageData(0, 0, 4, 1).data));
  };
  const colors = (await page.getAttribute("#hue-8", "data-colors")).split(" ")
    .map((hex) => [1, 3, 5].map((at) => parseInt(hex.slice(at, at + 2), 16)));
  const level8 = [...colors[1], 255], level255 = [...colors[31], 255];
  assert.deepEqual(await painted(),
                   [...level8, ...level255, 0, 0, 0, 0, ...level255]);
  await page.check("#only-grey");
  assert.deepEqual(await painted(), [...level8, ...level255, 0, 0, 0, 0, 255, 0, 0, 255]);
  await chooseColor(page, "#123456");
  await page.fill("#filter", "amber");
  await page.waitForTimeout(200);  // for any request these would make
  assert.deepEqual(run.served, ["/sampled.html"]);
});

test("a link or a key brings a hue's row onto the screen, and the row is marked", async () => {
  const page = await open("page.html#hue-2500");
  const row = page.locator("#hue-2500");
  assert.ok(await row.isVisible());
  assert.match(await row.getAttribute("class"), /target/);
  await row.locator("td:first-child button").focus();
  for (let i = 0; i < 3; i++) await page.keyboard.press("ArrowDown");
  assert.equal(await page.evaluate(() => document.activeElement.textContent), "2503");
  await page.keyboard.press("PageDown");
  assert.equal(await page.evaluate(() => document.activeElement.textContent), "2523");
  assert.ok(await page.locator("#hue-2523").isVisible());
});

test("without scripts the page is a plain table of every hue", async () => {
  const page = await open("page.html#hue-2000", { javaScriptEnabled: false });
  assert.equal(await page.locator("noscript tbody tr, body > table:visible tbody tr").count(), 3000);
  assert.ok(await page.locator("#hue-2000").isVisible());
  assert.equal(await page.locator("#controls").isVisible(), false);
});

test("the largest file the format allows: every hue reachable and ranked", async () => {
  const page = await open("largest.html#hue-32767");
  assert.ok(await page.locator("#hue-32767").isVisible());
  assert.equal(await page.getAttribute("#hues", "aria-rowcount"), "32769");
  const expected = JSON.parse(execFileSync(HUES, ["-f", largestFile, "nearest", "#3366CC", "-n",
    "40", "--format", "json"], { encoding: "utf8", maxBuffer: 1 << 26 }));
  await chooseColor(page, "#3366CC");
  const top = await page.$$eval("#hues tbody tr", (rows) => rows.slice(0, 40).map((row) => +row.id.slice(4)));
  assert.deepEqual(top, expected.map((hue) => hue.id));
});
