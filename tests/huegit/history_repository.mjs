// A hue file's history in a real repository built here (two authors, dates of their own, a
// branch merged cleanly, one merged with a conflict resolved by hand, hues added, a change not
// yet committed, a file whose path has spaces and accents), and what a reading of every blob
// says changed each hue: for the tests of log and blame, and of the editor's history.
import { execFileSync } from "node:child_process";
import { mkdirSync, readFileSync } from "node:fs";
import { join } from "node:path";
import assert from "node:assert/strict";
import { huesIn as hueBytes, repositoryIn } from "../support/repository.mjs";

const { HUES, MAKE_SAMPLE } = process.env;

export const Folder = "hüe files", Name = "hues ü.mul";

// The history: every change through hues set, each commit by its author at its date.
export function buildRepository(workDir) {
  const { repo: top, env, git } = repositoryIn(workDir, "history");
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
export function readHistory(repo) {
  const { git, file } = repo;
  const path = Folder + "/" + Name;
  const blob = (commit) => {
    try { return hueBytes(execFileSync("git", ["cat-file", "blob", `${commit}:${path}`], { cwd: repo.top })); }
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
  compare(null, hueBytes(readFileSync(file)), [blob("HEAD")], {});
  const listed = git("log", "-z", "--format=%H%x01%P%x01%an%x01%aI%x01%s", "--", path).split("\0").filter(Boolean);
  for (const line of listed) {
    const [commit, parents, author, date, subject] = line.split("\x01");
    compare(commit, blob(commit), parents.split(" ").filter(Boolean).map(blob), { author, date, subject });
  }
  return changes;
}
// hues on the repository's file, in its folder.
export const huesIn = (repo, ...args) =>
  execFileSync(HUES, ["-f", join(Folder, Name), ...args], { cwd: repo.top, env: repo.env, encoding: "utf8", stdio: "pipe" });
// A hue object of show --format json, as read here.
export const stateOf = (hue) => hue && { colors: hue.stored, start: hue.table_start & 0xffff, end: hue.table_end & 0xffff,
                                  name: hue.name_bytes?.toLowerCase() ?? Buffer.from(hue.name, "latin1").toString("hex").padEnd(40, "0") };
