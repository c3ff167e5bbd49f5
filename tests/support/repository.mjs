// What tests of hues in git share, with no browser: a real repository set up for hues, and the
// hues of a file's bytes read here as the file lays them out.
import { execFileSync } from "node:child_process";
import { chmodSync, existsSync, mkdirSync, readFileSync, rmSync, writeFileSync } from "node:fs";
import { dirname, join } from "node:path";

const { HUES } = process.env;

// A real repository for a test, below `workDir`, in a folder with a space in its name, set up for hues
// (git-setup), with a home of its own; git(...) runs git in it, its output as text. And the
// "browser" its tools open (BROWSER), which writes down the address it is given: address()
// waits for the next one.
export function repositoryIn(workDir, name) {
  const repo = join(workDir, name + " repo"), home = join(workDir, name + "-home");
  rmSync(repo, { recursive: true, force: true });
  mkdirSync(repo, { recursive: true });
  mkdirSync(home, { recursive: true });
  const browser = join(workDir, name + "-browser.sh"), told = join(workDir, name + "-address.txt");
  writeFileSync(browser, `#!/bin/sh\necho "$1" > '${told}'\n`);
  chmodSync(browser, 0o755);
  // git looks for no repository above the tests' folder: not the checkout they may be built in.
  const env = { ...process.env, HOME: home, GIT_CONFIG_NOSYSTEM: "1", BROWSER: browser,
                GIT_CEILING_DIRECTORIES: dirname(workDir) };
  const git = (...args) => execFileSync("git", args, { cwd: repo, env, encoding: "utf8", stdio: "pipe" });
  git("init", "-q", "-b", "main", ".");
  git("config", "user.email", "tests@example.org");
  git("config", "user.name", "Tests");
  execFileSync(HUES, ["git-setup"], { cwd: repo, env });
  rmSync(told, { force: true });
  const address = () => new Promise((resolve, reject) => {
    const started = Date.now();
    const look = () => {
      if (existsSync(told) && readFileSync(told, "utf8").includes("\n")) {
        const url = readFileSync(told, "utf8").trim();
        rmSync(told);
        return resolve(url);
      }
      if (Date.now() - started > 20000) return reject(new Error("no page was opened"));
      setTimeout(look, 50);
    };
    look();
  });
  return { repo, env, git, address };
}

// Every hue of a hue file's bytes, read here as the file lays them out: 88-byte entries behind
// each block's 4-byte header; each hue's colours and table values as stored, its name in hex.
export function huesIn(bytes) {
  const read = [];
  for (let id = 0; ; id++) {
    const at = Math.floor(id / 8) * 708 + 4 + (id % 8) * 88;
    if (at + 88 > bytes.length) return read;
    read.push({ colors: Array.from({ length: 32 }, (_, i) => bytes.readUInt16LE(at + 2 * i)),
                start: bytes.readUInt16LE(at + 64), end: bytes.readUInt16LE(at + 66),
                name: bytes.subarray(at + 68, at + 88).toString("hex") });
  }
}
