// Resolving a merge by eye, in Debian's chromium: `git mergetool --tool=hues` in a real repository
// opens the page on the conflicts `git merge` left; each is shown with its three sides, taken by
// its buttons, undone with Ctrl+Z, reached with N; a save that leaves none resolves the merge and
// git stages the file. Stopped with conflicts left, the merge fails and the file is as saved; a
// file added on both sides (no base) resolves too.
import { test } from "node:test";
import assert from "node:assert/strict";
import { execFileSync, spawn } from "node:child_process";
import { copyFileSync, mkdirSync, readFileSync, writeFileSync } from "node:fs";
import { join } from "node:path";
import { MAKE_SAMPLE, axeFaults, browserForTests, gitRepository, huesOn as hues, shownHue as hueJson, workDir } from "./harness.mjs";
import { serveWith, stopServers } from "../server/serve.mjs";

let tool;
const run = browserForTests(undefined, () => { tool?.kill(); stopServers(); });

// Colour 31 of hue 61 stored as `value`, the rest as it is.
function setColor(file, value) {
  const hue = hueJson(file, 61);
  hue.stored[31] = value;
  const patch = file + ".patch.json";
  writeFileSync(patch, JSON.stringify([{ id: 61, stored: hue.stored }]));
  hues(file, "apply", patch, "--no-backup");
}
// Block 1's header.
function setHeader(file, value) {
  const bytes = readFileSync(file);
  bytes.writeUInt32LE(value, 708);
  writeFileSync(file, bytes);
}
const headerOf = (file) => readFileSync(file).readUInt32LE(708);

const left = (page) => page.textContent("#conflicts-left");

test("git mergetool --tool=hues: every conflict shown, taken, undone, saved; git stages the result", async () => {
  const { repo, env, git, address } = gitRepository("resolve");
  git("config", "mergetool.keepBackup", "false");
  const file = join(repo, "hues.mul");
  execFileSync(MAKE_SAMPLE, [file]);
  const base = join(workDir, "resolve-base.mul");
  copyFileSync(file, base);
  git("add", ".");
  git("commit", "-qm", "base");
  git("checkout", "-qb", "theirs");
  hues(file, "set", "60", "--name", "Theirs sixty", "--no-backup");
  setColor(file, 0x001f);
  setHeader(file, 2);
  git("commit", "-qam", "theirs");
  git("checkout", "-q", "main");
  hues(file, "set", "60", "--name", "Ours sixty", "--no-backup");
  hues(file, "set", "62", "--name", "Ours alone", "--no-backup");
  setColor(file, 0x7c00);
  setHeader(file, 1);
  git("commit", "-qam", "ours");
  assert.throws(() => git("merge", "--no-edit", "theirs"));
  assert.equal(git("status", "--porcelain", "hues.mul"), "UU hues.mul\n");

  tool = spawn("git", ["mergetool", "--tool=hues", "--no-prompt", "hues.mul"], { cwd: repo, env });
  let told = "";
  tool.stderr.on("data", (data) => { told += data; });
  const exited = new Promise((resolve) => tool.on("exit", resolve));
  const page = await run.open(await address());
  const fields = await page.$$eval(".conflict", (items) => items.map((item) => item.dataset.hue + " " + item.dataset.field));
  assert.deepEqual(fields, ["8 block_header", "60 name", "61 colors/31"]);
  assert.equal(await left(page), "3 conflicts left");
  const name = '.conflict[data-field="name"]';
  assert.deepEqual(await page.$$eval(name + " .value", (values) => values.map((v) => v.textContent)),
                   ['"Violet 2"', '"Ours sixty"', '"Theirs sixty"']);
  assert.deepEqual(await axeFaults(page), []);

  // Taken, undone and redone as any change; the row shows it.
  await page.click(name + " .take-theirs");
  assert.equal(await left(page), "2 conflicts left");
  await page.evaluate(() => { location.hash = "#hue-60"; });
  assert.equal(await page.textContent("#hue-60 td:nth-child(2)"), "Theirs sixty");
  await page.keyboard.press("Control+z");
  assert.equal(await left(page), "3 conflicts left");
  await page.keyboard.press("Control+y");
  assert.equal(await left(page), "2 conflicts left");
  // N goes to the next conflict left, by keyboard alone.
  await page.focus(name);
  await page.keyboard.press("n");
  assert.equal(await page.evaluate(() => document.activeElement.dataset.field), "colors/31");
  await page.click('.conflict[data-field="colors/31"] .take-base');
  await page.click('.conflict[data-field="block_header"] .take-theirs');
  assert.equal(await left(page), "No conflicts left: Save to finish the merge");
  assert.deepEqual(await axeFaults(page), []);

  await page.keyboard.press("Control+s");
  await page.waitForFunction(() => /resolved/.test(document.getElementById("conflicts-left").textContent));
  assert.equal(await exited, 0, told);
  assert.equal(git("status", "--porcelain", "hues.mul"), "M  hues.mul\n");
  assert.equal(hueJson(file, 60).name, "Theirs sixty");
  assert.equal(hueJson(file, 61).stored[31], hueJson(base, 61).stored[31]);
  assert.equal(hueJson(file, 62).name, "Ours alone");
  assert.equal(headerOf(file), 2);
});

test("stopped with conflicts left: exit 1 and the file as last saved; no base resolves too", async () => {
  const folder = join(workDir, "no-base");
  mkdirSync(folder, { recursive: true });
  const empty = join(folder, "empty.mul"), ours = join(folder, "ours.mul"), theirs = join(folder, "theirs.mul");
  writeFileSync(empty, "");
  execFileSync(MAKE_SAMPLE, [ours, "16"]);
  copyFileSync(ours, theirs);
  hues(ours, "set", "5", "--name", "Mine", "--no-backup");
  hues(theirs, "set", "5", "--name", "Yours", "--no-backup");
  for (const take of [null, "ours"]) {
    const merged = join(folder, "merged.mul");
    const server = await serveWith(["merge", "--resolve", empty, ours, theirs, "-o", merged, "--port", "0", "--no-browser"],
                                   {}, folder);
    const page = await run.open(server.url.href);
    assert.equal(await left(page), "1 conflict left");
    assert.ok(await page.isDisabled(".conflict .take-base"), "no base to take");
    assert.equal(await page.textContent(".conflict .side-base .value"), "none (no base)");
    if (take) {
      await page.click(".conflict .take-" + take);
      await page.click("#save");
      await page.waitForFunction(() => /resolved/.test(document.getElementById("conflicts-left").textContent));
      assert.equal(await server.exited, 0);
    } else {
      await page.click("#stop");
      assert.equal(await server.exited, 1);
      assert.match(server.err, /1 conflict left in .*merged\.mul, ours kept there/);
    }
    assert.equal(hueJson(merged, 5).name, "Mine");
    }
});
