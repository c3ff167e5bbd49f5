// The diff page in Debian's chromium, held against a reading of the two hue files of its own:
// the changed hues and only those, each swatch's colour before and after, each changed field
// marked and no other, hues added and removed, a picture painted, an accessibility audit. And
// `git difftool --tool=hues` in a real repository: the page of the last commit's change,
// ended with 0 by its Done button or by closing it; nothing it answers writes anything.
import { after, before, test } from "node:test";
import assert from "node:assert/strict";
import { execFileSync, spawn } from "node:child_process";
import { readFileSync, writeFileSync } from "node:fs";
import { join } from "node:path";
import { HUES, MAKE_SAMPLE, axeFaults, gitRepository, huesIn, png, startBrowser, workDir } from "./harness.mjs";

let run;
before(async () => { run = await startBrowser(); });
after(() => run?.stop());

const hues = (...args) => execFileSync(HUES, args, { encoding: "utf8", stdio: "pipe" });

const widen = (k) => Math.floor((255 * k + 15) / 31);
const rgb = (v) => `rgb(${widen((v >> 10) & 31)}, ${widen((v >> 5) & 31)}, ${widen(v & 31)})`;
// What the page must show of each changed hue: its fields as the hooks name them, its colours.
function expectedChanges(fileA, fileB) {
  const a = huesIn(readFileSync(fileA)), b = huesIn(readFileSync(fileB)), changes = new Map();
  for (let id = 0; id < Math.max(a.length, b.length); id++) {
    const [x, y] = [a[id], b[id]];
    if (x && y && JSON.stringify(x) === JSON.stringify(y)) continue;
    const fields = [["name", "name"], ["start", "start"], ["end", "end"]]
      .filter(([key]) => !x || !y || x[key] !== y[key]).map(([, field]) => field);
    for (let i = 0; i < 32; i++) if (!x || !y || x.colors[i] !== y.colors[i]) fields.push("colour-" + i);
    changes.set(String(id), { fields, before: x?.colors.map(rgb) ?? [], after: y?.colors.map(rgb) ?? [] });
  }
  return changes;
}
// What the page shows, read from its hooks.
const shownChanges = (page) => page.$$eval(".diff-hue", (items) => items.map((item) => [item.dataset.hue, {
  // In the page's order: the name and table values, then the colours as the strips show them.
  fields: [...new Set(Array.from(item.querySelectorAll("[data-field].changed"), (e) => e.dataset.field))],
  before: Array.from(item.querySelectorAll(".before .swatch"), (e) => getComputedStyle(e).backgroundColor),
  after: Array.from(item.querySelectorAll(".after .swatch"), (e) => getComputedStyle(e).backgroundColor),
  unmarked: item.querySelectorAll("[data-field]:not(.changed)").length,
}]));

test("the page shows exactly the changed hues, each field and colour, added and removed", async () => {
  const a = join(workDir, "a.mul"), b = join(workDir, "b.mul");
  execFileSync(MAKE_SAMPLE, [a, "120"]);
  const patch = join(workDir, "patch.json");
  const stored = JSON.parse(hues("-f", a, "show", "7", "--format", "json"))[0].stored;
  stored[3] ^= 0x0421;
  writeFileSync(patch, JSON.stringify([
    { id: 5, name: "Renamed <b>" }, { id: 6, table_start: 77 }, { id: 7, stored },
    { id: 8, name_bytes: "41" + "00" + "42".repeat(18) }, { id: 16, block_header: 9 },
    { id: 121, name: "Added" }]));
  hues("build", "--base", a, patch, "-o", b);
  writeFileSync(join(workDir, "ramp.png"), png(Array.from({ length: 32 }, (_, x) => [x * 8, x * 8, x * 8, 255])));
  for (const [from, to] of [[a, b], [b, a]]) {
    const name = "diff-" + (from === a ? "ab" : "ba") + ".html";
    assert.throws(() => hues("diff", from, to, "--format", "html", "-o", join(workDir, name),
                             "--sample", join(workDir, "ramp.png")), (error) => error.status === 1);
    const page = await run.open(run.address(name));
    const expected = expectedChanges(from, to);
    assert.equal(await page.textContent("#diff-count"), String(expected.size));
    for (const [hue, shown] of await shownChanges(page)) {
      assert.deepEqual(shown, { ...expected.get(hue), unmarked: 0 }, "hue " + hue);
    }
    assert.deepEqual((await shownChanges(page)).map(([hue]) => hue), [...expected.keys()]);
    // On the picture: pixel x of the ramp is colour x of the hue, after the change.
    const painted = await page.$eval('.diff-hue[data-hue="7"] .after canvas', (canvas) =>
      Array.from(canvas.getContext("2d").getImageData(3, 0, 1, 1).data.slice(0, 3)));
    assert.equal(`rgb(${painted.join(", ")})`, expected.get("7").after[3]);
    // The unchanged hues on request, among the changed; a filter by name or id.
    await page.check("#show-unchanged");
    assert.equal(await page.locator(".same-hue").count(), 120 - 4);
    const shownIds = () => page.$$eval("#diff-list > li:not([hidden])", (items) => items.map((i) => i.id));
    for (const [wanted, ids] of [["added", ["hue-121"]], ["9", ["hue-9"]], ["", expected.size + 116]]) {
      await page.fill("#filter", wanted);
      assert.deepEqual(typeof ids === "number" ? (await shownIds()).length : await shownIds(), ids);
    }
    assert.deepEqual(await axeFaults(page), []);
  }
});

test("git difftool --tool=hues: the last commit's change, ended with 0 by Done or by closing the page", async () => {
  const { repo, env, git, address } = gitRepository("difftool");
  const file = join(repo, "hues.mul");
  execFileSync(MAKE_SAMPLE, [file]);
  git("add", ".");
  git("commit", "-qm", "sample");
  hues("-f", file, "set", "5", "--name", "Changed", "--no-backup");
  hues("-f", file, "set", "9", "--gradient", "#FF0000,#00FF00", "--no-backup");
  git("commit", "-qam", "two hues");
  const bytes = readFileSync(file);
  for (const end of ["done", "close"]) {
    const tool = spawn("git", ["difftool", "--tool=hues", "--no-prompt", "HEAD~1", "HEAD"], { cwd: repo, env });
    const exited = new Promise((resolve) => tool.on("exit", resolve));
    const url = await address();
    const page = await run.open(url);
    assert.equal(await page.textContent("#diff-count"), "2");
    assert.deepEqual(await page.$$eval(".diff-hue", (items) => items.map((i) => i.dataset.hue)), ["5", "9"]);
    assert.match(await page.title(), /hues\.mul/);
    // Read-only: a request from anywhere but the page is refused; nothing changes the file.
    const done = new URL("/done" + new URL(url).search, url);
    assert.equal((await fetch(done, { method: "POST", headers: { "Content-Type": "application/json" }, body: "{}" })).status, 403);
    assert.equal((await fetch(new URL("/save" + new URL(url).search, url), { method: "POST" })).status, 404);
    if (end === "done") await page.click("#done");
    else await page.close({ runBeforeUnload: true });
    assert.equal(await exited, 0, end);
    }
  assert.deepEqual(readFileSync(file), bytes);
});
