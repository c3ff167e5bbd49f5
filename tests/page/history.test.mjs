// A hue's history in the editor, in Debian's chromium, from a real repository
// (tests/huegit/history_repository.mjs): each hue's history, restored, undone, saved.
import { test } from "node:test";
import assert from "node:assert/strict";
import { readFileSync } from "node:fs";
import { browserForTests, huesIn, workDir } from "./harness.mjs";
import { buildRepository, huesIn as huesOf, stateOf } from "../huegit/history_repository.mjs";
import { serve, stopServers } from "../server/serve.mjs";

let repo;
const run = browserForTests(() => { repo = buildRepository(workDir); }, stopServers);

test("the editor shows a hue's history; Restore makes it that commit's, Undo takes it back, Save writes it", async () => {
  const server = await serve(repo.file, ["--port", "0"], repo.env);
  const page = await run.open(server.url.href);
  await page.evaluate(() => { location.hash = "#hue-5"; });
  await page.click("#hue-5 button.edit");
  await page.waitForSelector("#history .history-entry");
  const log = JSON.parse(huesOf(repo, "log", "5", "--format", "json")).filter((entry) => entry.commit);
  assert.deepEqual(await page.$$eval(".history-entry", (items) => items.map((item) => item.dataset.commit)),
                   log.map((entry) => entry.commit));
  assert.deepEqual(await page.$$eval(".history-entry:first-child .history-strip span",
                                     (swatches) => swatches.map((swatch) => getComputedStyle(swatch).backgroundColor)),
                   log[0].after.colors.map((hex) => `rgb(${[1, 3, 5].map((at) => parseInt(hex.slice(at, at + 2), 16)).join(", ")})`));
  const before = readFileSync(repo.file);
  const older = log[log.length - 1];  // the hue as the file was first committed
  await page.click(`.history-entry[data-commit="${older.commit}"] .restore`);
  assert.equal(await page.inputValue("#edit-name"), older.after.name);
  await page.keyboard.press("Control+z");
  assert.equal(await page.inputValue("#edit-name"), "Main five");
  await page.click(`.history-entry[data-commit="${older.commit}"] .restore`);
  await page.click("#save");
  await page.waitForFunction(() => /Saved/.test(document.getElementById("save-status").textContent));
  const saved = huesIn(readFileSync(repo.file)), was = huesIn(before);
  assert.deepEqual(saved[5], stateOf(older.after));
  assert.deepEqual(saved.filter((_, hue) => hue !== 5), was.filter((_, hue) => hue !== 5));
  assert.equal(JSON.parse(huesOf(repo, "show", "3", "--format", "json"))[0].name, "Not committed");
});
