// What the page's browser tests share: Debian's chromium driven by Playwright (never a browser
// of its own), a server on the loopback interface for the pages the tests write, and `hues`.
import { execFileSync } from "node:child_process";
import { mkdirSync, readFileSync } from "node:fs";
import { createRequire } from "node:module";
import { readFile } from "node:fs/promises";
import { createServer } from "node:http";
import { basename, join } from "node:path";
import { after, before } from "node:test";
import { chromium } from "playwright-core";
import { chromiumOptions } from "./chromium.mjs";
import { huesIn, repositoryIn } from "../support/repository.mjs";

export const { HUES, MAKE_SAMPLE } = process.env;
// A folder for each file of tests, as the runner runs them side by side.
export const workDir = join(process.env.WORK_DIR, basename(process.argv[1], ".test.mjs"));
export const hueFile = join(workDir, "hues.mul");
export const huesRun = (...args) => execFileSync(HUES, args, { encoding: "utf8", stdio: "pipe" });
export const huesOn = (file, ...args) => huesRun("-f", file, ...args);
export const hues = (...args) => huesOn(hueFile, ...args);
export const shownHue = (file, id) => JSON.parse(huesOn(file, "show", String(id), "--format", "json"))[0];


// The sample file, the browser and the server; `served` lists the paths asked of the server.
// Pages are opened with run.open() or in run.newContext(), which watch their scripts.
async function startBrowser() {
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
  let painter;
  // Every error a page's script throws, and every request that would leave this machine, fail
  // the file's tests when they end.
  const thrown = [];
  const watched = async (options) => {
    const context = await browser.newContext(options);
    context.on("page", (page) => page.on("pageerror", (error) => thrown.push(error.message)));
    context.on("request", (request) => {
      if (!/^(data:|blob:|http:\/\/(127\.0\.0\.1|localhost)[:/])/.test(request.url())) {
        thrown.push("a request left the page: " + request.url());
      }
    });
    return context;
  };
  return {
    browser, served,
    newContext: watched,
    // A page of its own (a context of its own: its own storage), at the address.
    open: async (address, options) => {
      const page = await (await watched(options)).newPage();
      await page.goto(address);
      return page;
    },
    address: (name) => `http://127.0.0.1:${server.address().port}/${name}`,
    // A PNG of RGBA pixels (alpha 0 or 255), `width` a row (all in one row by default),
    // encoded by the browser's canvas.
    png: async (pixels, width = pixels.length) => {
      painter ??= await browser.newPage();
      return Buffer.from(await painter.evaluate(([flat, width]) => {
        const canvas = Object.assign(document.createElement("canvas"), { width, height: flat.length / 4 / width });
        canvas.getContext("2d").putImageData(new ImageData(Uint8ClampedArray.from(flat), width), 0, 0);
        return canvas.toDataURL("image/png").split(",")[1];
      }, [pixels.flat(), width]), "base64");
    },
    stop: async () => {
      await browser.close();
      server.close();
      if (thrown.length) throw new Error(thrown.join("; "));
    },
  };
}

// The data `hues` wrote into a page it exported (its #hue-data element).
export function pageData(file) {
  const html = readFileSync(file, "utf8");
  const start = html.indexOf(">", html.indexOf('id="hue-data"')) + 1;
  return JSON.parse(html.slice(start, html.indexOf("</script>", start)));
}

// The browser for a file of tests: started, then `prepare(run)`, before them; `cleanUp()`, then
// stopped, after them.
export function browserForTests(prepare = () => {}, cleanUp = () => {}) {
  const run = {};
  before(async () => { Object.assign(run, await startBrowser()); await prepare(run); });
  after(async () => { await cleanUp(); await run.stop?.(); });
  return run;
}

// Numbers that are the same on every run from the same `start`, so that a failure can be run
// again: random(n) is one below n.
export function repeatableRandom(start) {
  let state = start;
  return (n) => {
    state ^= state << 13; state ^= state >>> 17; state ^= state << 5;
    return (state >>> 0) % n;
  };
}

// The accessibility audit's faults on the page as it is, one line each.
const axeSource = readFileSync(createRequire(import.meta.url).resolve("axe-core/axe.min.js"), "utf8");
export async function axeFaults(page) {
  await page.evaluate(axeSource);
  const { violations } = await page.evaluate(() => window.axe.run());
  return violations.map((fault) => fault.id + ": " + fault.nodes.map((node) => node.target).join(" "));
}

// A real repository for a test, in this file's folder (support/repository.mjs).
export const gitRepository = (name) => repositoryIn(workDir, name);
export { huesIn };
