// hues edit started for a test: on a free port unless told another, without a browser, its
// address read from the one line it prints. HUES_RUNNER (wine, say) runs hues.exe.
import { spawn } from "node:child_process";

const { HUES, HUES_RUNNER } = process.env;
export const runner = HUES_RUNNER ? [HUES_RUNNER, HUES] : [HUES];
// A path as the program sees it: under Wine, on its drive Z:, the root of the Linux side.
export const forHues = (path) => (HUES_RUNNER ? "Z:" + path.replaceAll("/", "\\") : path);
const servers = [];


export function serve(file, args = ["--port", "0"], env = {}, cwd = undefined) {
  return serveWith([...(file ? ["-f", forHues(file)] : []), "edit", "--no-browser", ...args], env, cwd);
}

// The same for any command line of hues that serves a page (merge --resolve).
export function serveWith(words, env = {}, cwd = undefined) {
  const child = spawn(runner[0], [...runner.slice(1), ...words], { env: { ...process.env, ...env }, cwd });
  const server = { process: child, err: "", exited: new Promise((resolve) => child.on("exit", (code) => resolve(code))) };
  child.stderr.on("data", (data) => { server.err += data; });
  servers.push(server);
  return new Promise((resolve, reject) => {
    let out = "";
    // Ready once the address is printed and the person told so, whichever stream comes first.
    const ready = () => {
      if (!out.includes("\n") || !server.err.includes("Ctrl+C stops")) return;
      const url = new URL(out.trim());
      Object.assign(server, { url, port: +url.port, key: url.searchParams.get("key"), out });
      resolve(server);
    };
    child.stdout.on("data", (data) => { out += data; ready(); });
    child.stderr.on("data", ready);
    child.on("exit", (code) => reject(new Error(`hues edit exited ${code}: ${server.err}`)));
  });
}

export function stopServers() {
  // Its output closed too: a process a server started under Wine may hold it open.
  for (const server of servers) {
    server.process.kill("SIGKILL");
    server.process.stdout.destroy();
    server.process.stderr.destroy();
  }
}
