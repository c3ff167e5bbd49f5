// diff's four forms (text, JSON, CSV, and the page in Debian's chromium) telling the same hues,
// fields and changes of the file; the page's swatches before and after held against a reading
// of the two hue files of its own, a picture painted, an accessibility audit.
// And `git difftool --tool=hues` in a real repository: the page of the last commit's change,
// ended with 0 by its Done button or by closing it; nothing it answers writes anything.
import { test } from "node:test";
import assert from "node:assert/strict";
import { execFileSync, spawn } from "node:child_process";
import { appendFileSync, readFileSync, writeFileSync } from "node:fs";
import { join } from "node:path";
import { MAKE_SAMPLE, axeFaults, browserForTests, gitRepository, huesIn, huesRun as hues, workDir } from "./harness.mjs";

const run = browserForTests();

const widen = (k) => Math.floor((255 * k + 15) / 31);
const rgb = (v) => `rgb(${widen((v >> 10) & 31)}, ${widen((v >> 5) & 31)}, ${widen(v & 31)})`;

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
  const a = join(workDir, "four-a.mul"), b = join(workDir, "four-b.mul"), ramp = join(workDir, "ramp.png");
  execFileSync(MAKE_SAMPLE, [a, "20"]);
  writeFileSync(ramp, await run.png(Array.from({ length: 32 }, (_, x) => [x * 8, x * 8, x * 8, 255])));
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
      assert.throws(() => hues("diff", from, to, "--format", "html", "-o", page, "--sample", ramp),
                    (error) => error.status === 1);
      const opened = await run.open(run.address("four.html"));
      const hooks = await opened.$$eval(".diff-hue", (items) => items.map((item) => [item.dataset.hue,
        [...new Set(Array.from(item.querySelectorAll("[data-field].changed"), (e) => e.dataset.field))]]));
      // Each changed hue's swatches before and after, as a reading of the two files gives them.
      const [x, y] = [from, to].map((file) => huesIn(readFileSync(file)));
      assert.deepEqual(await opened.$$eval(".diff-hue", (items) => items.map((item) => [".before", ".after"].map((side) =>
        Array.from(item.querySelectorAll(side + " .swatch"), (e) => getComputedStyle(e).backgroundColor)))),
      hooks.map(([hue]) => [x[hue]?.colors.map(rgb) ?? [], y[hue]?.colors.map(rgb) ?? []]), what);
      if (what === "all at once") {
        // On the picture, pixel x of the ramp is colour x of the hue; the unchanged hues on
        // request; and an accessibility audit.
        const painted = await opened.$eval('.diff-hue[data-hue="9"] .after canvas', (canvas) =>
          Array.from(canvas.getContext("2d").getImageData(3, 0, 1, 1).data.slice(0, 3)));
        assert.equal(`rgb(${painted.join(", ")})`, rgb(y[9].colors[3]));
        await opened.check("#show-unchanged");
        assert.equal(await opened.locator(".same-hue").count(), 20 - hooks.length);
        assert.deepEqual(await axeFaults(opened), []);
      }
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
