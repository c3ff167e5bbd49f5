// The editor as `hues edit` serves it, in Debian's chromium (what a save writes is held to
// `hues apply` in tests/server): a file changed meanwhile is refused and the person's changes go
// back on top of it, then saved with the backup; two tabs saving at once lose nothing; without a
// file, the page asks for one, or waits for the one named with -f. At a small window, far down
// the table, Save and what it says stay in view; a ramp from one colour saves what `hues set
// --ramp` makes; a picture given to `hues edit`, or chosen in the
// page, paints every row, and the chosen one comes back after a reload; the findings of hues check
// mark their hues and come again with each save.
import { spawnSync } from "node:child_process";
import { test } from "node:test";
import assert from "node:assert/strict";
import { copyFileSync, existsSync, mkdirSync, readFileSync, renameSync, writeFileSync } from "node:fs";
import { join } from "node:path";
import { HUES, browserForTests, hueFile, huesOn as hues, shownHue, workDir } from "./harness.mjs";
import { serve, stopServers } from "../server/serve.mjs";

const run = browserForTests(undefined, stopServers);

const nameOf = (file, id) => shownHue(file, id).name;
function fresh(name) {
  const file = join(workDir, name);
  copyFileSync(hueFile, file);
  return file;
}
async function rename(page, id, name) {
  await page.evaluate((id) => { location.hash = "#hue-" + id; }, id);
  await page.click(`#hue-${id} button.edit`);
  await page.fill("#edit-name", name);
  await page.press("#edit-name", "Enter");
}
const status = async (page) => [await page.getAttribute("#save-status", "role"), await page.textContent("#save-status")];

test("a file changed meanwhile is refused, and the changes go back on top of it", async () => {
  const file = fresh("conflict.mul");
  const server = await serve(file);
  const page = await run.open(server.url.href);
  await rename(page, 11, "Mine");
  hues(file, "set", "12", "--name", "Elsewhere");
  const before = readFileSync(file);
  await page.keyboard.press("Control+s");
  await page.waitForSelector("#save-rebase:visible");
  const [role, text] = await status(page);
  assert.equal(role, "alert");
  assert.match(text, /has changed since this page read it: nothing was saved/);
  assert.ok(readFileSync(file).equals(before));
  await Promise.all([page.waitForEvent("load"), page.click("#save-rebase")]);
  assert.equal(await page.textContent("#changes"), "1 hue changed");
  assert.match((await status(page))[1], /with your changes on top of it/);
  await page.click("#save");
  await page.waitForFunction(() => /^Saved/.test(document.getElementById("save-status").textContent));
  assert.deepEqual([nameOf(file, 11), nameOf(file, 12)], ["Mine", "Elsewhere"]);
  assert.ok(readFileSync(file + ".bak").equals(before));
  assert.equal(await page.textContent("#changes"), "No hues changed");
  await page.keyboard.press("Control+s");
  assert.deepEqual(await status(page), ["status", "Nothing to save: no hue is changed"]);
});

test("two tabs saving at once: one saves, the other is refused, and neither loses its work", async () => {
  const file = fresh("tabs.mul");
  const server = await serve(file);
  const context = await run.newContext();
  const [first, second] = [await context.newPage(), await context.newPage()];
  for (const page of [first, second]) await page.goto(server.url.href);
  await rename(first, 20, "First tab");
  await rename(second, 21, "Second tab");
  await Promise.all([first.click("#save"), second.click("#save")]);
  for (const page of [first, second]) {
    await page.waitForFunction(() => !/Saving/.test(document.getElementById("save-status").textContent));
  }
  const roles = [(await status(first))[0], (await status(second))[0]];
  assert.deepEqual(roles.slice().sort(), ["alert", "status"]);
  const refused = roles[0] === "alert" ? first : second;
  await Promise.all([refused.waitForEvent("load"), refused.click("#save-rebase")]);
  await refused.click("#save");
  await refused.waitForFunction(() => /^Saved/.test(document.getElementById("save-status").textContent));
  assert.deepEqual([nameOf(file, 20), nameOf(file, 21)], ["First tab", "Second tab"]);
});

test("without a file at the default path, the page names it and takes another; one named with -f it waits for", async () => {
  const folder = join(workDir, "empty");
  mkdirSync(folder, { recursive: true });
  const server = await serve(null, ["--port", "0"], {}, folder);
  const page = await run.open(server.url.href);
  assert.match(await page.textContent("#looked"), /c:\\program files\\ardenmoor\\hues\.mul/);
  await page.fill("#open-path", join(folder, "missing.mul"));
  await page.click("#open");
  await page.waitForFunction(() => document.getElementById("open-message").textContent !== "");
  assert.match(await page.textContent("#open-message"), /missing\.mul: /);
  const file = fresh("opened.mul");
  await page.fill("#open-path", file);
  await Promise.all([page.waitForEvent("load"), page.click("#open")]);
  assert.equal(await page.textContent("h1"), "opened.mul");
  await rename(page, 3, "Opened");
  // A ramp from one colour is saved as hues set --ramp makes it.
  for (const [control, value] of [["colour", "#aa3311"], ["shift", "50"], ["dark", "0.2"], ["light", "0.85"]]) {
    await page.fill("#edit-ramp-" + control, value);
  }
  await page.click("#edit-ramp-apply");
  await page.click("#save");
  await page.waitForFunction(() => /^Saved/.test(document.getElementById("save-status").textContent));
  const bySet = fresh("by-set.mul");
  hues(bySet, "set", "3", "--name", "Opened", "--ramp", "#AA3311", "--shift", "50", "--range", "0.2,0.85");
  assert.deepEqual(shownHue(file, 3), shownHue(bySet, 3));
  assert.ok(existsSync(file + ".bak"));
  // Started from a menu there is no Ctrl+C: the page stops it.
  await page.click("#stop");
  assert.equal(await server.exited, 0);

  // The file named with -f gone for a while (another program replacing it): no other file
  // is offered, and the page is the editor again once the file is back.
  const given = fresh("given.mul"), away = given + ".away";
  const named = await serve(given);
  renameSync(given, away);
  await page.goto(named.url.href);
  assert.match(await page.textContent("#looked"), /given\.mul/);
  assert.ok(await page.isHidden("#open-form"));
  assert.ok(await page.isVisible("#reload"));
  renameSync(away, given);
  await page.reload();
  assert.equal(await page.textContent("h1"), "given.mul");
});

// Whether an element lies wholly inside the window.
const inView = (page, selector) => page.$eval(selector, (element) => {
  const box = element.getBoundingClientRect();
  return box.height > 0 && box.top >= 0 && box.bottom <= innerHeight && box.left >= 0 && box.right <= innerWidth;
});

test("hues check's findings mark their hues, filter the table, and are made again after a save", async () => {
  const file = fresh("findings.mul");
  hues(file, "set", "30", "--name", "Bad\u0081");
  const listed = spawnSync(HUES, ["-f", file, "check", "--no-config", "--format", "json"], { encoding: "utf8", maxBuffer: 1 << 26 });
  const found = new Set(JSON.parse(listed.stdout).map((f) => f.hue));
  const server = await serve(file);
  const page = await run.open(server.url.href);
  await page.click("#only-findings");
  // The findings come by a request of their own once the page shows.
  await page.waitForFunction((text) => document.getElementById("count").textContent === text, found.size + " of 3000 hues");
  await rename(page, 30, "Fine");
  assert.equal(await page.getAttribute("#hue-30 .finding", "class"), "finding error");
  assert.match(await page.textContent("#edit-findings"), /error name-undefined-byte: the name holds 0x81/);
  await page.click("#save");
  await page.waitForFunction(() => !/error name-undefined/.test(document.getElementById("edit-findings").textContent));
  assert.notEqual(await page.getAttribute("#hue-30 .finding", "class"), "finding error");
});

test("far down the table at a small window, the changes bar and what Save says stay in view", async () => {
  const file = fresh("far.mul");
  const server = await serve(file);
  const page = await run.open(server.url.href, { viewport: { width: 1280, height: 760 } });
  await rename(page, 1500, "Far down");
  // The row opened is not hidden under the bar or the table's header.
  const [rowTop, headerBottom] = await page.evaluate(() => [
    document.getElementById("hue-1500").getBoundingClientRect().top,
    document.querySelector("#hues thead").getBoundingClientRect().bottom]);
  assert.ok(rowTop >= headerBottom - 1, `row at ${rowTop}, header ends at ${headerBottom}`);
  await page.keyboard.press("Control+s");
  await page.waitForFunction(() => /^Saved/.test(document.getElementById("save-status").textContent));
  assert.ok(await page.evaluate(() => scrollY) > 20000);
  for (const control of ["#save-status", "#changes", "#undo", "#redo", "#save", "#stop"]) {
    assert.ok(await inView(page, control), control + " is out of view");
  }
});

test("a picture given with --sample paints every row; one chosen in the page comes back after a reload", async () => {
  const file = fresh("pictured.mul");
  const given = join(workDir, "given.png"), chosen = join(workDir, "chosen.png");
  writeFileSync(given, await run.png([[8, 8, 8, 255], [255, 255, 255, 255]]));
  writeFileSync(chosen, await run.png([[255, 255, 255, 255], [8, 8, 8, 255], [0, 0, 0, 0]]));
  const server = await serve(file, ["--port", "0", "--sample", given]);
  const page = await run.open(server.url.href);
  // The picture each shown row paints: its width, and the colour of its first pixel against the
  // hue's colour for that pixel's level (8 >> 3 is colour 1, 255 >> 3 colour 31).
  const painted = (width) => page.waitForFunction((width) => {
    const rows = [...document.querySelectorAll("#hues tbody tr")];
    return rows.length > 0 && rows.every((row) => {
      const canvas = row.querySelector("canvas");
      if (!canvas || canvas.width !== width) return false;
      const pixel = canvas.getContext("2d").getImageData(0, 0, 1, 1).data;
      const colors = row.dataset.colors.split(" ");
      const level = width === 2 ? 1 : 31;
      return "#" + [0, 1, 2].map((i) => pixel[i].toString(16).padStart(2, "0")).join("").toUpperCase() === colors[level];
    });
  }, width);
  await painted(2);
  await page.click("#hue-5 button.edit");
  assert.ok(await page.isVisible("#edit-sample"));
  assert.ok(await page.isHidden("#forget-picture"));
  await page.setInputFiles("#picture", chosen);
  await painted(3);
  await page.reload();
  await painted(3);
  assert.match(await page.textContent("#status"), /chosen\.png, the picture chosen last time/);
  await page.click("#forget-picture");
  await painted(2);
  await page.reload();
  await painted(2);
});
