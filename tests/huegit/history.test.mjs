// A hue's own history in git: `hues log` lists exactly the commits a reading of every blob says
// changed each hue, with the fields, before and after; `hues blame` names the right commit for
// every hue; bad input is refused in one line.
import { before, test } from "node:test";
import assert from "node:assert/strict";
import { execFileSync } from "node:child_process";
import { mkdirSync, readFileSync, writeFileSync } from "node:fs";
import { join } from "node:path";
import { Folder, Name, buildRepository, huesIn, readHistory, stateOf } from "./history_repository.mjs";

const { HUES, MAKE_SAMPLE, WORK_DIR } = process.env;
const workDir = join(WORK_DIR, "history");
let repo;
before(() => {
  mkdirSync(workDir, { recursive: true });
  repo = buildRepository(workDir);
});

test("log lists exactly the commits that changed each hue, newest first, with its fields", () => {
  const expected = readHistory(repo);
  for (const hue of [3, 5, 6, 7, 9, 12, 64, 65]) {
    const log = JSON.parse(huesIn(repo, "log", String(hue), "--format", "json"));
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
  assert.equal(JSON.parse(huesIn(repo, "log", "5", "--format", "json", "--rev", "HEAD~1", "-n", "2")).length, 2);
  assert.match(huesIn(repo, "log", "6"), /^[0-9a-f]{7} {2}Bo Berg <tests@example\.org> {2}2026-11-02T10:00:00\+01:00 {2}five renamed, six a gradient\nhue 6 /);
});

test("blame names the commit that last changed every hue", () => {
  const expected = readHistory(repo).filter((change) => change.commit);
  const blame = JSON.parse(huesIn(repo, "blame", "--format", "json"));
  assert.equal(blame.length, 66);
  for (const { hue, commit } of blame) {
    assert.equal(commit, expected.find((change) => change.hue === hue).commit, "hue " + hue);
  }
  assert.match(huesIn(repo, "blame", "12"), /^ {3}12 {2}[0-9a-f]{7} {2}Ana Ärlig {2}2026-11-\d\dT10:00:00\+01:00 {2}By hand\n$/);
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
