// Names that hold every byte value, served by `hues edit` (hues.exe under Wine too) in Debian's
// chromium: every hue opens in the editor with its name as the JSON listing gives it, and a
// rename of hue 345, whose name holds the five bytes Windows-1252 leaves undefined, saves into
// the file with the old one kept as FILE.bak. HUES_RUNNER (wine, say) runs hues.exe.
import { after, test } from "node:test";
import assert from "node:assert/strict";
import { execFileSync } from "node:child_process";
import { mkdirSync, readFileSync } from "node:fs";
import { join } from "node:path";
import { chromium, chromiumOptions } from "../page/chromium.mjs";
import { forHues, runner, serve, stopServers } from "./serve.mjs";

const { MAKE_SAMPLE, WORK_DIR, HUES_RUNNER } = process.env;
mkdirSync(WORK_DIR, { recursive: true });
const file = join(WORK_DIR, "every-byte.mul");
const sampleArgs = [forHues(file), "400", "every-byte"];
execFileSync(...(HUES_RUNNER ? [HUES_RUNNER, [MAKE_SAMPLE, ...sampleArgs]] : [MAKE_SAMPLE, sampleArgs]));
const hues = (...args) => execFileSync(runner[0], [...runner.slice(1), "-f", forHues(file), ...args],
                                       { encoding: "utf8", stdio: "pipe", timeout: 120_000 });
let browser;
after(async () => { stopServers(); await browser?.close(); });

// The page shows a control character as U+FFFD, but the five that stand for undefined bytes.
// eslint-disable-next-line no-control-regex -- the control characters are what it replaces
const shown = (name) => name.replace(/[\u0000-\u001F\u007F\u0080\u0082-\u008C\u008E\u0091-\u009C\u009E\u009F]/g, "\uFFFD");

test("every hue opens in the editor, and a name of undefined bytes is renamed and saved", async () => {
  const listed = JSON.parse(hues("list", "--format", "json"));
  assert.equal(listed[345].name, "Odd \u0081\u008D\u008F\u0090\u009D");
  const before = readFileSync(file);
  const server = await serve(file);
  browser = await chromium.launch(chromiumOptions);
  const page = await browser.newPage();
  const thrown = [];
  page.on("pageerror", (error) => thrown.push(error.message));
  await page.goto(server.url.href);
  // Each hue's row brought up and its Edit pressed, as a click does, in the page: one round
  // trip for them all, so that hues.exe under Wine serves them in a few seconds.
  const opened = await page.evaluate(async (ids) => {
    const seen = [];
    for (const id of ids) {
      location.hash = "#hue-" + id;
      await new Promise((resolve) => setTimeout(resolve));
      document.querySelector(`#hue-${id} button.edit`).click();
      seen.push([document.getElementById("edit-id").textContent, document.getElementById("edit-name").value]);
    }
    return seen;
  }, listed.map(({ id }) => id));
  assert.deepEqual(opened, listed.map(({ id, name }) => [String(id), shown(name)]));
  assert.deepEqual(thrown, []);

  await page.evaluate(() => { location.hash = "#hue-345"; });
  await page.click("#hue-345 button.edit");
  await page.fill("#edit-name", "Renamed \u0081");
  await page.press("#edit-name", "Enter");
  await page.click("#save");
  await page.waitForFunction(() => /^Saved/.test(document.getElementById("save-status").textContent));
  const saved = JSON.parse(hues("list", "--format", "json"));
  assert.equal(saved[345].name, "Renamed \u0081");
  assert.deepEqual(saved.filter((hue) => hue.id !== 345), listed.filter((hue) => hue.id !== 345));
  assert.ok(readFileSync(file + ".bak").equals(before));
});
