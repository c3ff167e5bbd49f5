// What the page's browser tests share: Debian's chromium driven by Playwright (never a browser
// of its own), a server on the loopback interface for the pages the tests write, and `hues`.
import { execFileSync } from "node:child_process";
import { mkdirSync, readFileSync } from "node:fs";
import { createRequire } from "node:module";
import { readFile } from "node:fs/promises";
import { createServer } from "node:http";
import { basename, join } from "node:path";
import { deflateSync } from "node:zlib";
import { chromium } from "playwright-core";
import { chromiumOptions } from "./chromium.mjs";
import { huesIn, repositoryIn } from "../support/repository.mjs";

export const { HUES, MAKE_SAMPLE } = process.env;
// A folder for each file of tests, as the runner runs them side by side.
export const workDir = join(process.env.WORK_DIR, basename(process.argv[1], ".test.mjs"));
export const hueFile = join(workDir, "hues.mul");
export const hues = (...args) => execFileSync(HUES, ["-f", hueFile, ...args], { encoding: "utf8" });


// The sample file, the browser and the server; `served` lists the paths asked of the server.
// Pages are opened with run.open() or in run.newContext(), which watch their scripts.
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
    stop: async () => {
      await browser.close();
      server.close();
      if (thrown.length) throw new Error(thrown.join("; "));
    },
  };
}

// A PNG of RGBA pixels, `width` a row (all in one row by default), written by hand so the test
// needs nothing else.
export function png(pixels, width = pixels.length) {
  const crcTable = Array.from({ length: 256 }, (_, n) => {
    for (let k = 0; k < 8; k++) n = n & 1 ? 0xedb88320 ^ (n >>> 1) : n >>> 1;
    return n >>> 0;
  });
  const crc = (bytes) => {
    let c = 0xffffffff;
    for (const byte of bytes) c = crcTable[(c ^ byte) & 255] ^ (c >>> 8);
    return (c ^ 0xffffffff) >>> 0;
  };
  const chunk = (type, data) => {
    const body = Buffer.concat([Buffer.from(type, "latin1"), data]);
    const length = Buffer.alloc(4);
    length.writeUInt32BE(data.length);
    const check = Buffer.alloc(4);
    check.writeUInt32BE(crc(body));
    return Buffer.concat([length, body, check]);
  };
  const header = Buffer.alloc(13);
  const height = pixels.length / width;
  header.writeUInt32BE(width, 0);
  header.writeUInt32BE(height, 4);
  header.set([8, 6, 0, 0, 0], 8);  // 8 bits per channel, RGBA
  const rows = Buffer.from(Array.from({ length: height }, (_, y) =>
    [0, ...pixels.slice(y * width, (y + 1) * width).flat()]).flat());
  return Buffer.concat([Buffer.from([0x89, 0x50, 0x4e, 0x47, 0x0d, 0x0a, 0x1a, 0x0a]),
                        chunk("IHDR", header), chunk("IDAT", deflateSync(rows)),
                        chunk("IEND", Buffer.alloc(0))]);
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
