// The hue editor in Debian's chromium: edits made as a person makes them leave a patch that
// `hues apply` turns into exactly the file the same `hues set` commands make; refusals leave the
// hue as it was; changes survive a closed tab; keys and screen readers reach everything, and an
// accessibility audit finds nothing, with the editor open or closed.
import { test } from "node:test";
import assert from "node:assert/strict";
import { copyFileSync, readFileSync } from "node:fs";
import { join } from "node:path";
import { axeFaults, browserForTests, hueFile, hues, huesOn, workDir } from "./harness.mjs";

const run = browserForTests(() => hues("export", "html", "-o", join(workDir, "page.html")));

const options = { acceptDownloads: true, viewport: { width: 1400, height: 900 } };
const open = () => run.open(run.address("page.html"), options);

async function commit(page, selector, value) {
  await page.fill(selector, value);
  await page.press(selector, "Enter");
}
const rowOf = async (page, id) => {
  await page.evaluate((id) => { location.hash = "#hue-" + id; }, id);
  const row = page.locator(`#hue-${id}`);
  return { name: await row.locator("td").nth(1).textContent(),
           start: await row.locator("td").nth(2).textContent(),
           colors: (await row.getAttribute("data-colors")).split(" "),
           changed: /changed/.test(await row.getAttribute("class") ?? "") };
};

test("edits leave a patch that makes the file exactly what hues set makes", async () => {
  const page = await open();
  const [before10] = JSON.parse(hues("show", "10", "--format", "json"));
  assert.ok(before10.stored.every((value) => value < 0x8000));  // --colors keeps no top bits

  await page.click("#hue-10 button.edit");
  assert.equal(await page.textContent("#edit-id"), "10");
  await commit(page, "#edit-name", "Sunset Glow");
  await commit(page, "#edit-start", "1f0");
  await commit(page, "#edit-end", "2AB");
  await page.locator(".edit-colour").nth(3).fill("#ff0000");
  const row10 = await rowOf(page, 10);
  assert.deepEqual([row10.name, row10.start, row10.colors[3], row10.changed], ["Sunset Glow", "1F0", "#FF0000", true]);

  await page.click("#hue-11 button.edit");
  assert.deepEqual(await page.$$eval("tr.editing", (rows) => rows.map((row) => row.id)), ["hue-11"]);
  await page.fill("#edit-gradient", "#FF6600,#660099");
  await page.click("#edit-gradient-apply");
  await page.click("#hue-12 button.edit");
  await commit(page, "#edit-copy-of", "100");
  await page.click("#hue-13 button.edit");
  await commit(page, "#edit-name", "Undone");
  assert.equal(await page.textContent("#changes"), "4 hues changed");
  await page.click("#undo");  // hue 13 back as it was
  await page.click("#undo");  // the copy undone ...
  await page.click("#redo");  // ... and done again
  assert.equal(await page.textContent("#changes"), "3 hues changed");
  assert.equal((await rowOf(page, 13)).changed, false);
  // A ramp from one colour: its strip follows the controls, and Apply is an edit Undo takes back.
  await page.click("#hue-14 button.edit");
  const was14 = await rowOf(page, 14);
  for (const [control, value] of [["colour", "#3366cc"], ["shift", "35"], ["dark", "0.05"], ["light", "0.9"]]) {
    await page.fill("#edit-ramp-" + control, value);
  }
  const previewed = await page.$$eval("#edit-ramp-preview span", (swatches) => swatches.map((swatch) => +swatch.dataset.stored));
  await page.click("#edit-ramp-apply");
  await page.click("#undo");
  assert.deepEqual(await rowOf(page, 14), was14);
  await page.click("#redo");
  await page.check("#only-changed");
  assert.deepEqual(await page.$$eval("#hues tbody tr", (rows) => rows.map((row) => row.id)),
                   ["hue-10", "hue-11", "hue-12", "hue-14"]);

  const [download] = await Promise.all([page.waitForEvent("download"), page.click("#download-changes")]);
  assert.equal(download.suggestedFilename(), "changes.json");
  const patch = JSON.parse(readFileSync(await download.path(), "utf8"));
  assert.deepEqual(patch.map((hue) => Object.keys(hue)), [
    ["id", "name", "table_start", "table_end", "colors", "stored"], ["id", "colors", "stored"],
    ["id", "name", "table_start", "table_end", "colors", "stored"], ["id", "colors", "stored"]]);
  assert.deepEqual(patch[3].stored, previewed);

  const byPage = join(workDir, "by-page.mul"), bySet = join(workDir, "by-set.mul");
  copyFileSync(hueFile, byPage);
  copyFileSync(hueFile, bySet);
  huesOn(byPage, "apply", await download.path());
  const set = (...args) => huesOn(bySet, "set", ...args);
  const colors = before10.colors.map((color, i) => (i === 3 ? "#FF0000" : color));
  set("10", "--name", "Sunset Glow", "--table", "496", "683", "--colors", colors.join(","));
  set("11", "--gradient", "#FF6600,#660099");
  set("12", "--copy-of", "100");
  set("14", "--ramp", "#3366CC", "--shift", "35", "--range", "0.05,0.9");
  assert.ok(readFileSync(byPage).equals(readFileSync(bySet)), "the page's patch and hues set differ");
});

test("a refused or inexact edit says why, and the hue keeps what it had", async () => {
  const page = await open();
  await page.click("#hue-20 button.edit");
  const was = await rowOf(page, 20);
  for (const [field, value, why] of [
    ["#edit-name", "Ā is not Latin", /U\+0100 .*Windows-1252/],
    ["#edit-name", "Twenty-one letters !!", /21 bytes long .* at most 20/],
    ["#edit-start", "10000", /0 to FFFF/],
    ["#edit-gradient", "#FF0000", /give 2 to 32 stops/],
    ["#edit-copy-of", "40000", /no hue "40000"/],
    ["#edit-paste", "{not json", /not a hue's JSON line/],
  ]) {
    await commit(page, field, value);
    if (field === "#edit-gradient") await page.click("#edit-gradient-apply");
    assert.match(await page.textContent("#edit-message"), why, value);
    assert.deepEqual(await rowOf(page, 20), was, value);
  }
  assert.equal(await page.inputValue("#edit-name"), was.name);
  assert.equal(await page.getAttribute("#edit-message", "role"), "alert");

  await page.locator(".edit-colour").nth(0).fill("#123457");
  const [, nearest] = /#123457 is not a colour a hue can hold; it is now the nearest, (#\w{6})/
    .exec(await page.textContent("#edit-message"));
  assert.equal((await rowOf(page, 20)).colors[0], nearest);
  assert.equal(await page.locator(".edit-colour").nth(0).inputValue(), nearest.toLowerCase());
  assert.equal(await page.textContent("#changes"), "1 hue changed");
});

test("changes outlive the tab, come back with a message, and undo takes them to the file", async () => {
  const context = await run.newContext(options);
  const first = await context.newPage();
  await first.goto(run.address("page.html"));
  await first.click("#hue-30 button.edit");
  await commit(first, "#edit-name", "Kept");
  await first.locator(".edit-colour").nth(0).fill("#ffffff");
  // Leaving with changes asks first.
  const asked = new Promise((resolve) => first.once("dialog", (dialog) => { resolve(dialog.type()); dialog.accept(); }));
  await first.close({ runBeforeUnload: true });
  assert.equal(await asked, "beforeunload");

  const page = await context.newPage();
  await page.goto(run.address("page.html"));
  assert.match(await page.textContent("#status"), /unsaved changes are back: 1 hue changed/);
  assert.equal(await page.textContent("#changes"), "1 hue changed");
  assert.equal((await rowOf(page, 30)).name, "Kept");
  await page.locator("body").click({ position: { x: 5, y: 5 } });
  await page.keyboard.press("Control+z");
  await page.keyboard.press("Control+z");
  assert.equal(await page.textContent("#changes"), "No hues changed");
  await page.keyboard.press("Control+y");
  await page.keyboard.press("Control+Shift+Z");
  assert.equal((await rowOf(page, 30)).colors[0], "#FFFFFF");
});

test("the editor is reached, used and left by keyboard, and an audit finds no fault", async () => {
  const page = await open();
  const audit = () => axeFaults(page);
  assert.deepEqual(await audit(), []);
  assert.equal(await page.getAttribute("#hue-5 button.edit", "aria-label"), "Edit hue 5");
  await page.focus("#hue-5 button.edit");
  await page.keyboard.press("Enter");
  assert.equal(await page.evaluate(() => document.activeElement.id), "edit-name");
  assert.deepEqual(await audit(), []);
  await page.keyboard.type("Typed");
  await page.keyboard.press("Tab");  // leaving the field commits it
  assert.equal((await rowOf(page, 5)).name.endsWith("Typed"), true);
  assert.equal(await page.locator("#edit-colours .edit-colour[aria-label='Colour 31']").count(), 1);
  await page.focus("#edit-start");
  await page.keyboard.press("Escape");
  assert.equal(await page.isVisible("#editor"), false);
  assert.equal(await page.evaluate(() => document.activeElement.getAttribute("aria-label")), "Edit hue 5");
  assert.match(await page.textContent("#hue-5 td:first-child"), /changed/);
});
