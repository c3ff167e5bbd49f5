// hues edit started for a test: on a free port unless told another, without a browser, its
// address read from the one line it prints. HUES_RUNNER (wine, say) runs hues.exe.
import { spawn } from "node:child_process";

const { HUES, HUES_RUNNER } = process.env;
export const runner = HUES_RUNNER ? [HUES_RUNNER, HUES] : [HUES];
const servers = [];


export function serve(file, args = ["--port", "0"], env = {}, cwd = undefined) {
  const child = spawn(runner[0], [...runner.slice(1), ...(file ? ["-f", file] : []), "edit", "--no-browser", ...args],
                      { env: { ...process.env, ...env }, cwd });
  const server = { process: child, err: "", exited: new Promise((resolve) => child.on("exit", (code) => resolve(code))) };
  child.stderr.on("data", (data) => { server.err += data; });
  servers.push(server);
  return new Promise((resolve, reject) => {
    let out = "";
    child.stdout.on("data", (data) => {
      out += data;
      if (!out.includes("\n")) return;
      const url = new URL(out.trim());
      Object.assign(server, { url, port: +url.port, key: url.searchParams.get("key"), out });
      resolve(server);
    });
    child.on("exit", (code) => reject(new Error(`hues edit exited ${code}: ${server.err}`)));
  });
}

export function stopServers() {
  for (const server of servers) server.process.kill("SIGKILL");
}
