// The hue page's budgets in Debian's chromium: its size, first paint, filtering and ordering
// by a colour (each timed in the page, layout included), and the requests it makes.
// Usage: node bench/page/page_bench.mjs PAGE.html   (after npm ci --prefix tests/page)
import { statSync } from "node:fs";
import { resolve } from "node:path";
import { chromium } from "../../tests/page/node_modules/playwright-core/index.mjs";

const file = resolve(process.argv[2]);
const median = (values) => values.sort((a, b) => a - b)[Math.floor(values.length / 2)];
const browser = await chromium.launch({
  executablePath: "/usr/bin/chromium",
  args: ["--no-sandbox", "--disable-gpu", "--disable-quic", "--no-first-run",
         "--disable-background-networking", "--disable-component-update", "--disable-sync"],
});
const firstPaints = [], filters = [], orders = [];
let requests = 0;
for (let round = 0; round < 5; round++) {
  const page = await browser.newPage();
  page.on("request", (request) => { if (!request.url().startsWith("file:")) requests++; });
  await page.goto("file://" + file);
  firstPaints.push(await page.evaluate(() =>
    performance.getEntriesByName("first-contentful-paint")[0].startTime));
  for (const [text, hex] of [["amber", "#FF8800"], ["e", "#3366CC"], ["", "#000000"]]) {
    filters.push(await page.evaluate((text) => {
      const start = performance.now();
      const filter = document.getElementById("filter");
      filter.value = text;
      filter.dispatchEvent(new Event("input"));
      document.body.offsetHeight;  // the layout the change brings
      return performance.now() - start;
    }, text));
    orders.push(await page.evaluate((hex) => {
      const start = performance.now();
      const colour = document.getElementById("colour");
      colour.value = hex.toLowerCase();
      colour.dispatchEvent(new Event("input"));
      document.body.offsetHeight;
      return performance.now() - start;
    }, hex));
  }
  await page.close();
}
await browser.close();
console.log(`page size            ${(statSync(file).size / 1e6).toFixed(2)} MB`);
console.log(`first paint          ${median(firstPaints).toFixed(0)} ms`);
console.log(`filtering            ${median(filters).toFixed(0)} ms`);
console.log(`ordering by a colour ${median(orders).toFixed(0)} ms`);
console.log(`requests             ${requests}`);
