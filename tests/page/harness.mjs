// What the page's browser tests share: Debian's chromium driven by Playwright (never a browser
// of its own), a server on the loopback interface for the pages the tests write, and `hues`.
import { execFileSync } from "node:child_process";
import { mkdirSync } from "node:fs";
import { readFile } from "node:fs/promises";
import { createServer } from "node:http";
import { basename, join } from "node:path";
import { chromium } from "playwright-core";

export const { HUES, MAKE_SAMPLE } = process.env;
// A folder for each file of tests, as the runner runs them side by side.
export const workDir = join(process.env.WORK_DIR, basename(process.argv[1], ".test.mjs"));
export const hueFile = join(workDir, "hues.mul");
export const hues = (...args) => execFileSync(HUES, ["-f", hueFile, ...args], { encoding: "utf8" });

export const chromiumOptions = {
  executablePath: "/usr/bin/chromium",
  args: ["--no-sandbox", "--disable-gpu", "--disable-quic", "--no-first-run",
         "--disable-background-networking", "--disable-component-update", "--disable-sync"],
};

// The sample file, the browser and the server; `served` lists the paths asked of the server.
export async function startBrowser() {
  mkdirSync(workDir, { recursive: true });
  execFileSync(MAKE_SAMPLE, [hueFile]);
  const served = [];
  const server = createServer(async (request, response) => {
    served.push(request.url);
    response.setHeader("content-type", "text/html; charset=utf-8");
    response.end(await readFile(join(workDir, request.url.slice(1).replace(/#.*/, ""))));
  });
  await new Promise((resolve) => server.listen(0, "127.0.0.1", resolve));
  const browser = await chromium.launch(chromiumOptions);
  return {
    browser, served,
    address: (name) => `http://127.0.0.1:${server.address().port}/${name}`,
    stop: async () => { await browser.close(); server.close(); },
  };
}
