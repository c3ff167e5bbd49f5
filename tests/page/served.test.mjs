// The editor as `hues edit` serves it, in Debian's chromium: Save writes the file as `hues set`
// would, with its backup; a file changed meanwhile is refused and the person's changes go back
// on top of it; two tabs saving at once lose nothing; without a file, the page asks for one, or
// waits for the one named with -f.
import { after, before, test } from "node:test";
import assert from "node:assert/strict";
import { copyFileSync, existsSync, mkdirSync, readFileSync, renameSync } from "node:fs";
import { execFileSync } from "node:child_process";
import { join } from "node:path";
import { hueFile, startBrowser, workDir } from "./harness.mjs";
import { serve, stopServers } from "../server/serve.mjs";

const { HUES } = process.env;
let run;
before(async () => { run = await startBrowser(); });
after(async () => { stopServers(); await run?.stop(); });

const hues = (file, ...args) => execFileSync(HUES, ["-f", file, ...args], { encoding: "utf8", stdio: "pipe" });
const nameOf = (file, id) => JSON.parse(hues(file, "show", String(id), "--format", "json"))[0].name;
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

test("Save writes the file as hues set does, keeps the backup, and the changes become the file's", async () => {
  const file = fresh("saved.mul"), bySet = fresh("by-set.mul");
  const server = await serve(file);
  const context = await run.browser.newContext();
  const page = await context.newPage();
  await page.goto(server.url.href);
  await rename(page, 10, "Saved Hue");
  await page.click("#save");
  await page.waitForFunction(() => /^Saved/.test(document.getElementById("save-status").textContent));
  assert.match((await status(page))[1], /^Saved 1 hue into .*saved\.mul; the previous file is kept as .*saved\.mul\.bak$/);
  hues(bySet, "set", "10", "--name", "Saved Hue");
  assert.ok(readFileSync(file).equals(readFileSync(bySet)));
  assert.ok(readFileSync(file + ".bak").equals(readFileSync(hueFile)));
  assert.equal(await page.textContent("#changes"), "No hues changed");
  await page.keyboard.press("Control+s");
  assert.deepEqual(await status(page), ["status", "Nothing to save: no hue is changed"]);
  await context.close();
});

test("a file changed meanwhile is refused, and the changes go back on top of it", async () => {
  const file = fresh("conflict.mul");
  const server = await serve(file);
  const context = await run.browser.newContext();
  const page = await context.newPage();
  await page.goto(server.url.href);
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
  await context.close();
});

test("two tabs saving at once: one saves, the other is refused, and neither loses its work", async () => {
  const file = fresh("tabs.mul");
  const server = await serve(file);
  const context = await run.browser.newContext();
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
  await context.close();
});

test("without a file at the default path, the page names it and takes another; one named with -f it waits for", async () => {
  const folder = join(workDir, "empty");
  mkdirSync(folder, { recursive: true });
  const server = await serve(null, ["--port", "0"], {}, folder);
  const context = await run.browser.newContext();
  const page = await context.newPage();
  await page.goto(server.url.href);
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
  await page.click("#save");
  await page.waitForFunction(() => /^Saved/.test(document.getElementById("save-status").textContent));
  assert.equal(nameOf(file, 3), "Opened");
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
  await context.close();
});
