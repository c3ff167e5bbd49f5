// `hues edit` from outside the browser: every request it must refuse is refused and the file
// stays as it was; a save is `hues apply`'s edit, refused whole when the file changed since the
// page read it; a load of mixed requests from several clients leaves every save in the file or
// refused; a kill -9 at any moment leaves a whole file and a server that starts again; and it
// starts, tells and stops as a command should. HUES_RUNNER (wine, say) runs hues.exe.
import { after, test } from "node:test";
import assert from "node:assert/strict";
import { execFileSync, spawn } from "node:child_process";
import { copyFileSync, mkdirSync, readFileSync, writeFileSync } from "node:fs";
import { createServer, request } from "node:http";
import { join } from "node:path";

import { forHues, runner, serve, serveWith, stopServers } from "./serve.mjs";

const { MAKE_SAMPLE, WORK_DIR, HUES_RUNNER } = process.env;
const work = join(WORK_DIR, "server");
mkdirSync(work, { recursive: true });
const sample = join(work, "sample.mul");
execFileSync(...(HUES_RUNNER ? [HUES_RUNNER, [MAKE_SAMPLE, forHues(sample)]] : [MAKE_SAMPLE, [sample]]));
after(stopServers);
// Bounded, so that a program that hangs (once seen under Wine) fails here, named, not the run.
const hues = (file, ...args) =>
  execFileSync(runner[0], [...runner.slice(1), "-f", forHues(file), ...args],
               { encoding: "utf8", stdio: "pipe", cwd: work, maxBuffer: 1 << 26, timeout: 120_000 });

// A fresh copy of the sample.
function fresh(name) {
  const file = join(work, name);
  copyFileSync(sample, file);
  return file;
}

// A request with the headers given as they are, Host and Origin included.
function send(server, { method = "GET", path = "/", key = server.key, headers = {}, body } = {}) {
  const target = path + (key === null ? "" : (path.includes("?") ? "&" : "?") + "key=" + key);
  return new Promise((resolve, reject) => {
    const sent = request({ host: "127.0.0.1", port: server.port, method, path: target,
                           headers: { host: `127.0.0.1:${server.port}`, ...headers } }, (response) => {
      let text = "";
      response.setEncoding("utf8");
      response.on("data", (piece) => { text += piece; });
      response.on("end", () => resolve({ status: response.statusCode, headers: response.headers, text }));
    });
    sent.on("error", reject);
    // Bounded: a server killed under Wine has been seen to leave its connection open.
    sent.setTimeout(30_000, () => sent.destroy(new Error("no answer in 30 s")));
    sent.end(body);
  });
}
const stampOf = async (server) => /"stamp": "(\w+)"/.exec((await send(server)).text)[1];
const save = (server, changes, stamp, headers = {}) => send(server, {
  method: "POST", path: "/save?stamp=" + stamp, body: typeof changes === "string" ? changes : JSON.stringify(changes),
  headers: { origin: `http://127.0.0.1:${server.port}`, "content-type": "application/json", ...headers } });

test("every request without the secret, the server's host and its origin is refused", async () => {
  const file = fresh("refused.mul");
  const server = await serve(file);
  const before = readFileSync(file);
  const stamp = await stampOf(server);
  const own = `http://127.0.0.1:${server.port}`;
  const good = JSON.stringify([{ id: 3, name: "Refused" }]);
  const json = { "content-type": "application/json", origin: own };
  const cases = [
    [403, "no secret", { key: null }],
    [403, "a wrong secret", { key: "0".repeat(64) }],
    [403, "a secret one digit short", { key: server.key.slice(1) }],
    [403, "another site's name rebound to 127.0.0.1", { headers: { host: `attacker.example:${server.port}` } }],
    [403, "another port", { headers: { host: `127.0.0.1:${server.port + 1}` } }],
    [403, "a save from another origin", { method: "POST", path: `/save?stamp=${stamp}`, body: good, headers: { ...json, origin: "http://attacker.example" } }],
    [403, "a save with no origin", { method: "POST", path: `/save?stamp=${stamp}`, body: good, headers: { "content-type": "application/json" } }],
    [415, "a save as a form", { method: "POST", path: `/save?stamp=${stamp}`, body: good, headers: { ...json, "content-type": "application/x-www-form-urlencoded" } }],
    [405, "a save by GET", { path: `/save?stamp=${stamp}` }],
    [404, "a file named by the request", { path: "/../../etc/passwd" }],
    [404, "the hue file by its name", { path: "/refused.mul" }],
    [404, "another file opened, when -f named one", { method: "POST", path: "/open", body: '{"path":"/etc/passwd"}', headers: json }],
    [413, "a body larger than any patch", { method: "POST", path: `/save?stamp=${stamp}`, headers: { ...json, "content-length": String(41 << 20) } }],
    [400, "malformed JSON", { method: "POST", path: `/save?stamp=${stamp}`, body: "[{", headers: json }],
  ];
  for (const [status, what, options] of cases) {
    const answer = await send(server, options).catch((error) => ({ status: "no answer: " + error.message }));
    assert.equal(answer.status, status, what);
    if (typeof answer.status !== "number") continue;
    assert.equal(answer.headers["x-content-type-options"], "nosniff", what);
    assert.equal(answer.headers["cache-control"], "no-store", what);
    assert.match(answer.headers["content-security-policy"], /default-src 'none'/, what);
    assert.ok(!Object.keys(answer.headers).some((name) => name.startsWith("access-control-")), what);
  }
  // An invalid change is refused with the words hues apply gives for the same text.
  const invalid = '[\n  {"id":5,"name":"Ā is not Latin"}\n]\n';
  writeFileSync(join(work, "changes.json"), invalid);
  let applied = "";
  try { hues(file, "apply", "changes.json"); } catch (error) { applied = error.stderr.trim(); }
  const answer = await save(server, invalid, stamp);
  assert.equal(answer.status, 400);
  assert.equal("hues: " + JSON.parse(answer.text).error, applied);
  assert.ok(readFileSync(file).equals(before), "a refused request changed the file");
  assert.equal((await send(server)).status, 200);
});

test("both servers refuse a page of another site on every route, and answer their own", async () => {
  const file = fresh("origins.mul"), other = fresh("origins-other.mul");
  hues(other, "set", "4", "--name", "Other");
  const servers = { edit: await serve(file),
                    diff: await serveWith(["diff", forHues(file), forHues(other), "--web", "--no-browser", "--port", "0"]) };
  const routes = { edit: ["/", "/history?hue=4", "/findings"], diff: ["/"] };
  for (const [kind, server] of Object.entries(servers)) {
    const own = `http://127.0.0.1:${server.port}`;
    for (const path of routes[kind]) {
      for (const [origin, refused] of [["http://attacker.example", true], ["null", true], [own, false], [undefined, false]]) {
        const answer = await send(server, { path, headers: origin ? { origin } : {} });
        assert.equal(answer.status === 403, refused, `${kind} ${path} from ${origin}: ${answer.status} ${answer.text.slice(0, 80)}`);
      }
    }
  }
  const done = await send(servers.diff, { method: "POST", path: "/done", headers: { origin: "http://attacker.example", "content-type": "application/json" } });
  assert.equal(done.status, 403);
});

test("a save is apply's edit; one naming a stale file is refused whole", async () => {
  const file = fresh("saved.mul"), expected = fresh("expected.mul");
  const server = await serve(file);
  const changes = [{ id: 8, name: "Saved" }, { id: 9, table_start: 4660 }];
  const stamp = await stampOf(server);
  const answer = await save(server, changes, stamp);
  assert.equal(answer.status, 200, answer.text);
  assert.match(JSON.parse(answer.text).message, /^Saved 2 hues into .*saved\.mul; the previous file is kept as .*saved\.mul\.bak$/);
  writeFileSync(join(work, "changes.json"), JSON.stringify(changes));
  hues(expected, "apply", join(work, "changes.json"));
  assert.ok(readFileSync(file).equals(readFileSync(expected)));
  assert.ok(readFileSync(file + ".bak").equals(readFileSync(sample)));
  assert.equal(JSON.parse(answer.text).stamp, await stampOf(server));

  // Changed since the page read it: by the save above, and by another program.
  const now = readFileSync(file);
  assert.equal((await save(server, [{ id: 1, name: "Late" }], stamp)).status, 409);
  const fresher = await stampOf(server);
  hues(file, "set", "2", "--name", "Elsewhere");
  const refused = await save(server, [{ id: 1, name: "Late" }], fresher);
  assert.equal(refused.status, 409);
  assert.equal(JSON.parse(refused.text).conflict, true);
  assert.equal(JSON.parse(hues(file, "show", "1", "--format", "json"))[0].name, JSON.parse(hues(sample, "show", "1", "--format", "json"))[0].name);
  assert.notDeepEqual(readFileSync(file), now);

});

test("a few hundred mixed requests from several clients: every save in the file or refused", async () => {
  const file = fresh("load.mul");
  const server = await serve(file);
  const results = [];
  await Promise.all(Array.from({ length: 6 }, async (_, client) => {
    for (let i = 0; i < 50; i++) {
      if (i % 3 !== 0) {
        assert.equal((await send(server)).status, 200);
        continue;
      }
      const id = 100 + client * 50 + i, name = `Load ${client}-${i}`;
      const answer = await save(server, [{ id, name }], await stampOf(server));
      results.push({ id, name, status: answer.status });
    }
  }));
  const shown = new Map(JSON.parse(hues(file, "list", "--format", "json")).map((hue) => [hue.id, hue.name]));
  for (const { id, name, status } of results) {
    assert.ok(status === 200 || status === 409, `${name}: ${status}`);
    assert.equal(shown.get(id) === name, status === 200, `${name}: answered ${status}`);
  }
  assert.ok(results.some((result) => result.status === 200));
  assert.equal((await send(server)).status, 200);
});

test("killed at any moment of a save, the file is whole and the next hues edit works", { timeout: 200_000 }, async () => {
  const file = fresh("killed.mul");
  const size = readFileSync(file).length;
  for (let round = 0; round < 6; round++) {
    const server = await serve(file);
    const stamp = await stampOf(server);
    const saving = save(server, [{ id: round, name: `Killed ${round}`, table_start: round }], stamp).catch(() => null);
    setTimeout(() => server.process.kill("SIGKILL"), round * 2);
    await saving;
    await server.exited;
    const bytes = readFileSync(file);
    assert.equal(bytes.length, size);
    const name = JSON.parse(hues(file, "show", String(round), "--format", "json"))[0].name;
    assert.ok(name === `Killed ${round}` || name === JSON.parse(hues(sample, "show", String(round), "--format", "json"))[0].name, name);
  }
  const server = await serve(file);
  assert.equal((await send(server)).status, 200);
});

// Under Wine a Ctrl+C reaches a program through its console: one on a terminal of its own,
// where the keys typed are a person's. Resolves with what it printed, once it ended with 0.
function ctrlCInConsole(file) {
  // exec: the shell that `script` starts would otherwise stay in the terminal's process group,
  // and a shell that does not replace itself (dash) dies of the Ctrl+C.
  const command = "exec " + [...runner, "-f", forHues(file), "edit", "--port", "0", "--no-browser"]
    .map((word) => "'" + word + "'").join(" ");
  const child = spawn("script", ["-qfec", command, "/dev/null"]);
  let printed = "";
  return new Promise((resolve, reject) => {
    child.stdout.on("data", (data) => {
      if (!printed.includes("Ctrl+C stops") && (printed += data).includes("Ctrl+C stops")) child.stdin.write("\x03");
      else printed += data;
    });
    child.on("exit", (code) => (code === 0 ? resolve(printed) : reject(new Error(`exit ${code}: ${printed}`))));
  });
}

test("it says where it serves, stops at Ctrl+C, and names a missing file, a bad picture or a taken port", async () => {
  const file = fresh("told.mul");
  const server = await serve(file);
  assert.equal(server.out, `http://127.0.0.1:${server.port}/?key=${server.key}\n`);
  assert.match(server.key, /^[0-9a-f]{64}$/);
  assert.notEqual((await serve(file)).key, server.key);
  if (HUES_RUNNER) {
    assert.match(await ctrlCInConsole(file), /Ctrl\+C stops[\s\S]*stopped/);
  } else {
    server.process.kill("SIGINT");
    assert.equal(await server.exited, 0);
    assert.match(server.err, /stopped/);
    const terminated = await serve(file);
    terminated.process.kill("SIGTERM");
    assert.equal(await terminated.exited, 0);
  }

  await assert.rejects(serve(join(work, "missing.mul")), /exited 2: hues: .*missing\.mul: .*\n$/);
  // A picture is checked as export html checks it, before anything is served.
  await assert.rejects(serve(file, ["--port", "0", "--sample", forHues(file)]), /exited 2: hues: .*told\.mul: .*PNG/);
  const taken = await serve(file);
  await assert.rejects(serve(file, ["--port", String(taken.port)]),
                       new RegExp(`port ${taken.port}: another program is using it`));
  // The default port taken: the next free one, and it says so.
  const holder = createServer();
  const held = await new Promise((resolve) => holder.once("error", () => resolve(false)).listen(48047, "127.0.0.1", () => resolve(true)));
  const moved = await serve(file, []);
  if (held) assert.match(moved.err, /port 48047 is in use; serving on port 4804[89]/);
  assert.notEqual(moved.port, 48047);
  holder.close();
});

// The browser opened on the address: in git's difftool and mergetool tests (tests/page).
test("a browser that cannot be started, or fails, is said to, and the address stays the only output", async () => {
  if (HUES_RUNNER) return;  // Windows opens its own default browser
  const file = fresh("browser.mul");
  for (const [browser, said] of [[join(work, "no-browser"), /could not be started/], ["false", /did not open a browser/]]) {
    const child = spawn(runner[0], [...runner.slice(1), "-f", forHues(file), "edit", "--port", "0"],
                        { env: { ...process.env, BROWSER: browser } });
    let out = "", err = "";
    child.stdout.on("data", (data) => { out += data; });
    child.stderr.on("data", (data) => { err += data; });
    // On a busy machine the browser's end takes seconds, not a moment.
    for (const started = Date.now(); !(out.endsWith("\n") && said.test(err)) && Date.now() - started < 30_000;) {
      await new Promise((resolve) => setTimeout(resolve, 50));
    }
    child.kill("SIGINT");
    await new Promise((resolve) => child.on("close", resolve));
    assert.match(err, said);
    assert.equal(out.split("\n").length, 2, "standard output holds the address alone");
  }
});
