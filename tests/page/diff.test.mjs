// The diff page in Debian's chromium, held against a reading of the two hue files of its own:
// the changed hues and only those, each swatch's colour before and after, each changed field
// marked and no other, hues added and removed, a picture painted, an accessibility audit. And
// diff's four forms (text, JSON, CSV, the page) telling the same hues, fields and file changes.
// And `git difftool --tool=hues` in a real repository: the page of the last commit's change,
// ended with 0 by its Done button or by closing it; nothing it answers writes anything.
import { after, before, test } from "node:test";
import assert from "node:assert/strict";
import { execFileSync, spawn } from "node:child_process";
import { appendFileSync, readFileSync, writeFileSync } from "node:fs";
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
    const fields = [["name", "name"], ["start", "table_start"], ["end", "table_end"]]
      .filter(([key]) => !x || !y || x[key] !== y[key]).map(([, field]) => field);
    for (let i = 0; i < 32; i++) if (!x || !y || x.colors[i] !== y.colors[i]) fields.push("colors/" + i);
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
    // A block's header is the file's change, apart from the hues, in diff's own words.
    const [x, y] = [from, to].map((file) => "0x" + readFileSync(file).readUInt32LE(2 * 708).toString(16).toUpperCase().padStart(8, "0"));
    assert.ok((await page.$$eval(".note", (notes) => notes.map((note) => note.textContent)))
      .includes(`Block 2 header: ${x} \u2192 ${y}`));
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

// What each form of diff says of two files: the hues that differ with their fields (JSON names;
// a patch names none: it carries whole hues), the blocks whose headers differ, and whether the
// bytes after the last hue do.
const words = (text) => text.replace(/^colour (\d+)$/, "colors/$1").replace(" ", "_");
function toldAs(format, output, note) {
  const told = { hues: {}, headers: [], tail: false };
  if (format === "text") {
    let hue = null;
    for (const line of output.split("\n")) {
      const field = /^ {2}([a-z ]+\d*): /.exec(line), heading = /^hue (\d+)/.exec(line);
      if (heading) told.hues[hue = heading[1]] = [];
      else if (field) told.hues[hue].push(words(field[1]));
      else if (/^block (\d+) header: /.test(line)) told.headers.push(+/\d+/.exec(line)[0]);
      else if (line.startsWith("the bytes after the last hue differ")) told.tail = true;
    }
  } else if (format === "csv") {
    for (const [id, field] of output.trim().split("\r\n").slice(1).map((row) => row.split(","))) {
      if (id) (told.hues[id] ??= []).push(...(field === "hue" ? [] : [field]));
      else if (field.startsWith("block_header/")) told.headers.push(+field.split("/")[1]);
      else if (field === "tail") told.tail = true;
    }
  } else {  // json: the patch, and the note that it cannot carry the tail
    for (const object of JSON.parse(output)) {
      if ("name" in object) told.hues[object.id] = [];
      if ("block_header" in object) told.headers.push(object.id / 8);
    }
    told.tail = /bytes after their last hues/.test(note);
  }
  return told;
}

test("diff's text, JSON, CSV and page tell the same hues, fields and changes of the file", async () => {
  const a = join(workDir, "four-a.mul"), b = join(workDir, "four-b.mul");
  execFileSync(MAKE_SAMPLE, [a, "20"]);
  const cases = [
    ["a block's header alone", [{ id: 8, block_header: 7 }]],
    ["bytes after a name's NUL", [{ id: 3, name_bytes: "41" + "00" + "42".repeat(18) }]],
    ["a hue only in the second", [{ id: 20, name: "Added" }]],
    ["the tail alone", [], "tail"],
    ["all at once", [{ id: 0, block_header: 1, table_end: 5 }, { id: 9, colors: Array(32).fill("#FF0000") }], "tail"],
  ];
  for (const [what, patch, tail] of cases) {
    writeFileSync(join(workDir, "four.json"), JSON.stringify(patch));
    hues("build", "--base", a, join(workDir, "four.json"), "-o", b);
    if (tail) appendFileSync(b, Buffer.from([1, 2, 3]));
    for (const [from, to] of [[a, b], [b, a]]) {
      const told = {};
      for (const format of ["text", "json", "csv"]) {
        let output, note = "";
        try { output = hues("diff", from, to, "--format", format); } catch (error) {
          assert.equal(error.status, 1, what);
          [output, note] = [error.stdout, error.stderr];
        }
        told[format] = toldAs(format, output, note);
        // The patch rebuilds the second file, a header alone too, where no note says it cannot.
        if (format === "json" && !note) {
          writeFileSync(join(workDir, "four-patch.json"), output);
          hues("build", "--base", from, join(workDir, "four-patch.json"), "-o", join(workDir, "four-c.mul"));
          assert.ok(readFileSync(join(workDir, "four-c.mul")).equals(readFileSync(to)), what);
        }
      }
      const page = join(workDir, "four.html");
      assert.throws(() => hues("diff", from, to, "--format", "html", "-o", page), (error) => error.status === 1);
      const opened = await run.open(run.address("four.html"));
      const hooks = await opened.$$eval(".diff-hue", (items) => items.map((item) => [item.dataset.hue,
        [...new Set(Array.from(item.querySelectorAll("[data-field].changed"), (e) => e.dataset.field))]]));
      told.page = toldAs("text", (await opened.$$eval(".note", (notes) => notes.map((n) => n.textContent.toLowerCase()))).join("\n"));
      told.page.hues = Object.fromEntries(hooks);
      assert.equal(await opened.textContent("#diff-count"), String(hooks.length), what);
      await opened.close();
      // A hue only one file holds names no fields in text and CSV, and every field on the page.
      const held = (hue, fields) => (fields.length ? fields : told.page.hues[hue]);
      for (const format of ["text", "csv"]) {
        told[format].hues = Object.fromEntries(Object.entries(told[format].hues).map(([h, f]) => [h, held(h, f)]));
      }
      const reversed = from === b;
      for (const format of ["text", "csv", "json"]) {
        const expected = format === "json"
          ? { ...told.page, hues: Object.fromEntries(Object.keys(told.page.hues).filter((h) => !(reversed && h === "20"))
                                                     .map((h) => [h, []])),
              headers: told.page.headers }
          : told.page;
        assert.deepEqual(told[format], expected, `${what}, ${reversed ? "reversed" : ""} ${format}`);
      }
      assert.equal(told.page.tail, Boolean(tail), what);
    }
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
