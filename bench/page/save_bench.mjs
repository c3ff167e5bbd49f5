// A save of one hue through `hues edit`, from the request to its answer, beside `hues set` of
// the same hue on a copy of the same file (a whole program's run), taking turns, each side
// first every other round. Medians.
// Usage: node bench/page/save_bench.mjs HUES FILE [ROUNDS]
import { execFileSync, spawn } from "node:child_process";
import { copyFileSync, mkdtempSync } from "node:fs";
import { Agent, request } from "node:http";
import { tmpdir } from "node:os";
import { join } from "node:path";

const [hues, file, rounds = "100"] = process.argv.slice(2);
const work = mkdtempSync(join(tmpdir(), "save-bench-"));
const served = join(work, "served.mul"), bySet = join(work, "set.mul");
copyFileSync(file, served);
copyFileSync(file, bySet);

const server = spawn(hues, ["-f", served, "edit", "--port", "0", "--no-browser"], { stdio: ["ignore", "pipe", "ignore"] });
const address = new URL(await new Promise((resolve) => server.stdout.once("data", (data) => resolve(String(data).trim()))));
const agent = new Agent({ keepAlive: true, maxSockets: 1 });  // as a browser keeps its connection
const send = (method, path, body) => new Promise((resolve, reject) => {
  const sent = request({ host: "127.0.0.1", port: address.port, method, path, agent,
                         headers: { origin: address.origin, "content-type": "application/json" } }, (response) => {
    let text = "";
    response.on("data", (piece) => { text += piece; });
    response.on("end", () => (response.statusCode === 200 ? resolve(text) : reject(new Error(text))));
  });
  sent.on("error", reject);
  sent.end(body);
});

let stamp = /"stamp": "(\w+)"/.exec(await send("GET", address.pathname + address.search))[1];
const saves = [], sets = [];
const time = async (work) => { const start = process.hrtime.bigint(); await work(); return Number(process.hrtime.bigint() - start) / 1e6; };
for (let round = 0; round < +rounds; round++) {
  const name = `Bench ${round}`;
  const save = () => time(async () => {
    stamp = JSON.parse(await send("POST", `/save${address.search}&stamp=${stamp}`, JSON.stringify([{ id: 8, name }]))).stamp;
  });
  const set = () => time(() => execFileSync(hues, ["-f", bySet, "set", "8", "--name", name], { stdio: "ignore" }));
  if (round % 2) { saves.push(await save()); sets.push(await set()); }
  else { sets.push(await set()); saves.push(await save()); }
}
server.kill("SIGINT");
const median = (values) => values.sort((a, b) => a - b)[Math.floor(values.length / 2)];
console.log(`${file}: a save through hues edit ${median(saves).toFixed(2)} ms, hues set ${median(sets).toFixed(2)} ms` +
            ` (${(median(saves) / median(sets)).toFixed(2)}x), medians of ${rounds}`);
agent.destroy();
