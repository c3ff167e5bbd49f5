// A hue's own history, in a real repository built here (two authors, dates of their own, a branch
// merged cleanly, one merged with a conflict resolved by hand, hues added, a change not yet
// committed, a file whose path has spaces and accents): `hues log` lists exactly the commits
// a reading of every blob here says changed each hue, with the fields, before and after;
// `hues blame` names the right commit for every hue; bad input is refused in one line. And the
// editor in Debian's chromium: each hue's history, restored, undone, saved.
import { after, before, test } from "node:test";
import assert from "node:assert/strict";
import { execFileSync } from "node:child_process";
import { mkdirSync, readFileSync, writeFileSync } from "node:fs";
import { join } from "node:path";
import { HUES, MAKE_SAMPLE, gitRepository, huesIn, startBrowser, workDir } from "./harness.mjs";
import { serve, stopServers } from "../server/serve.mjs";

let run, repo;
before(async () => { run = await startBrowser(); repo = buildRepository(); });
after(async () => { stopServers(); await run?.stop(); });

const Folder = "hüe files", Name = "hues ü.mul";

// The history: every change through hues set, each commit by its author at its date.
function buildRepository() {
  const { repo: top, env, git } = gitRepository("history");
  execFileSync(HUES, ["git-setup", "*.mul"], { cwd: top, env });
  mkdirSync(join(top, Folder));
  const file = join(top, Folder, Name);
  const set = (id, ...args) => execFileSync(HUES, ["-f", file, "set", String(id), ...args, "--no-backup"], { stdio: "pipe" });
  let day = 1;
  const commit = (message, author = "Ana Ärlig") => {
    const date = `2026-11-${String(day++).padStart(2, "0")}T10:00:00+01:00`;
    git("-c", `user.name=${author}`, "commit", "-qam", message, "--date", date);
  };
  execFileSync(MAKE_SAMPLE, [file, "64"]);
  git("add", ".");
  commit("the sample");
  set(5, "--name", "Renamed five");
  set(6, "--gradient", "#FF0000,#0000FF");
  commit("five renamed, six a gradient", "Bo Berg");
  git("checkout", "-qb", "side");
  set(7, "--name", "Side seven");
  commit("seven on the side");
  set(5, "--table", "1", "2");
  commit("five's table on the side", "Bo Berg");
  git("checkout", "-q", "main");
  set(9, "--name", "Nine");
  set(5, "--name", "Main five");
  commit("nine, and five again");
  git("merge", "-q", "--no-edit", "side");  // hue 5 from both sides, field by field
  git("checkout", "-qb", "conflict");
  set(12, "--name", "Theirs twelve");
  commit("twelve, theirs");
  git("checkout", "-q", "main");
  set(12, "--name", "Ours twelve");
  commit("twelve, ours");
  assert.throws(() => git("merge", "--no-edit", "conflict"));
  set(12, "--name", "By hand");  // the conflict resolved by hand
  git("add", ".");
  commit("merged, twelve by hand");
  set(65, "--name", "Added");  // the file grows by two hues
  commit("two hues more", "Bo Berg");
  set(3, "--name", "Not committed");
  return { top, env, git, file };
}

// What a reading of every blob here says: for each commit git lists for the file, the hues
// whose entry differs from that of each of its parents; before as in the first parent.
function readHistory() {
  const { git, file } = repo;
  const path = Folder + "/" + Name;
  const blob = (commit) => {
    try { return huesIn(execFileSync("git", ["cat-file", "blob", `${commit}:${path}`], { cwd: repo.top })); }
    catch { return []; }
  };
  const changes = [];
  const compare = (commit, now, parents, info) => {
    for (let hue = 0; hue < Math.max(now.length, ...parents.map((p) => p.length)); hue++) {
      const same = (p) => JSON.stringify(p[hue]) === JSON.stringify(now[hue]);
      if (parents.length ? parents.every((p) => !same(p)) : now[hue]) {
        changes.push({ commit, hue, before: parents[0]?.[hue] ?? null, after: now[hue] ?? null, ...info });
      }
    }
  };
  compare(null, huesIn(readFileSync(file)), [blob("HEAD")], {});
  const listed = git("log", "-z", "--format=%H%x01%P%x01%an%x01%aI%x01%s", "--", path).split("\0").filter(Boolean);
  for (const line of listed) {
    const [commit, parents, author, date, subject] = line.split("\x01");
    compare(commit, blob(commit), parents.split(" ").filter(Boolean).map(blob), { author, date, subject });
  }
  return changes;
}
const hues = (...args) => execFileSync(HUES, ["-f", join(Folder, Name), ...args], { cwd: repo.top, env: repo.env, encoding: "utf8", stdio: "pipe" });
// A hue object of show --format json, as read here.
const stateOf = (hue) => hue && { colors: hue.stored, start: hue.table_start & 0xffff, end: hue.table_end & 0xffff,
                                  name: hue.name_bytes?.toLowerCase() ?? Buffer.from(hue.name, "latin1").toString("hex").padEnd(40, "0") };

test("log lists exactly the commits that changed each hue, newest first, with its fields", () => {
  const expected = readHistory();
  for (const hue of [3, 5, 6, 7, 9, 12, 64, 65]) {
    const log = JSON.parse(hues("log", String(hue), "--format", "json"));
    const mine = expected.filter((change) => change.hue === hue);
    assert.deepEqual(log.map((entry) => entry.commit), mine.map((change) => change.commit), "hue " + hue);
    const value = (state, field) => state && ({ name: state.name, table_start: state.start, table_end: state.end }[field] ?? state.colors[+field.slice(7)]);
    const fields = ["name", "table_start", "table_end", ...Array.from({ length: 32 }, (_, c) => "colors/" + c)];
    log.forEach((entry, i) => assert.deepEqual(
      [stateOf(entry.before), stateOf(entry.after), entry.changed, ...(entry.commit ? [entry.author, entry.date, entry.subject] : [])],
      [mine[i].before, mine[i].after, fields.filter((field) => !entry.before || value(mine[i].before, field) !== value(mine[i].after, field)),
       ...(entry.commit ? [mine[i].author, mine[i].date, mine[i].subject] : [])], `hue ${hue} ${entry.commit}`));
  }
  // The merges count where the hue differs from each parent: hue 5 (a field from each side) and
  // hue 12 (by hand), not hue 7 (the side's alone).
  const merges = new Set(repo.git("log", "--merges", "--format=%H").trim().split("\n"));
  const inMerges = expected.filter((change) => merges.has(change.commit)).map((change) => change.hue);
  assert.deepEqual([...new Set(inMerges)].sort((a, b) => a - b), [5, 12]);
  assert.equal(JSON.parse(hues("log", "5", "--format", "json", "--rev", "HEAD~1", "-n", "2")).length, 2);
  assert.match(hues("log", "6"), /^[0-9a-f]{7} {2}Bo Berg <tests@example\.org> {2}2026-11-02T10:00:00\+01:00 {2}five renamed, six a gradient\nhue 6 /);
});

test("blame names the commit that last changed every hue", () => {
  const expected = readHistory().filter((change) => change.commit);
  const blame = JSON.parse(hues("blame", "--format", "json"));
  assert.equal(blame.length, 66);
  for (const { hue, commit } of blame) {
    assert.equal(commit, expected.find((change) => change.hue === hue).commit, "hue " + hue);
  }
  assert.match(hues("blame", "12"), /^ {3}12 {2}[0-9a-f]{7} {2}Ana Ärlig {2}2026-11-\d\dT10:00:00\+01:00 {2}By hand\n$/);
});

test("bad input is refused in one line, and nothing is written", () => {
  const outside = join(workDir, "outside.mul");
  execFileSync(MAKE_SAMPLE, [outside, "8"]);
  writeFileSync(join(repo.top, "untracked.mul"), readFileSync(outside));
  const bytes = readFileSync(repo.file);
  for (const [args, why] of [[["-f", outside, "log", "1"], /outside\.mul: not in a git repository\n$/],
                             [["-f", "untracked.mul", "blame"], /untracked\.mul: git does not track this file\n$/],
                             [["-f", join(Folder, Name), "log", "1", "--rev", "no-such-branch"], /git knows no revision "no-such-branch"\n$/],
                             [["-f", join(Folder, Name), "log", "66"], /hue 66 is past the end of .*, which holds 66 hues\n$/]]) {
    assert.throws(() => execFileSync(HUES, args, { cwd: repo.top, env: repo.env, stdio: "pipe" }),
                  (error) => error.status === 2 && why.test(error.stderr) && error.stderr.toString().split("\n").length === 2,
                  args.join(" "));
  }
  assert.deepEqual(readFileSync(repo.file), bytes);
});

test("the editor shows a hue's history; Restore makes it that commit's, Undo takes it back, Save writes it", async () => {
  const server = await serve(repo.file, ["--port", "0"], repo.env);
  const page = await run.open(server.url.href);
  await page.evaluate(() => { location.hash = "#hue-5"; });
  await page.click("#hue-5 button.edit");
  await page.waitForSelector("#history .history-entry");
  const log = JSON.parse(hues("log", "5", "--format", "json")).filter((entry) => entry.commit);
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
  assert.equal(JSON.parse(hues("show", "3", "--format", "json"))[0].name, "Not committed");
});
