// The hue page's budgets in Debian's chromium, for each page given: its size, how long it takes
// to load, until the first match of a name typed into the filter is the top row, until the
// nearest hue to a chosen colour is the top row (each timed in the page, to the next frame),
// how long a frame takes while scrolling, until the editor is open on a hue after its Edit
// button is clicked, until a colour or a gradient committed there shows in the hue's row, and
// the requests it makes. Medians of 5 loads.
// Usage: node bench/page/page_bench.mjs PAGE.html|ADDRESS...   (after npm ci --prefix tests/page;
// an address is a page `hues edit` serves, read afresh from the hue file at every load)
import { statSync } from "node:fs";
import { resolve } from "node:path";
import { chromium } from "../../tests/page/node_modules/playwright-core/index.mjs";
import { chromiumOptions } from "../../tests/page/chromium.mjs";

const median = (values) => values.sort((a, b) => a - b)[Math.floor(values.length / 2)];
// The page tests' browser: Debian's chromium, its headless shell.
const browser = await chromium.launch(chromiumOptions);

// Runs `change` in the page and times it until the frame after it, when `done` holds.
const timedInPage = (page, change, argument) => page.evaluate(async ([change, argument]) => {
  const start = performance.now();
  new Function("argument", change)(argument);
  await new Promise((resolve) => requestAnimationFrame(() => setTimeout(resolve)));
  return performance.now() - start;
}, [change, argument]);

const typeFilter = `const filter = document.getElementById("filter");
  filter.value = argument; filter.dispatchEvent(new Event("input"));`;
const chooseColor = `const color = document.getElementById("colour");
  color.value = argument; color.dispatchEvent(new Event("input"));`;
const openEditor = `document.querySelector("#hues tbody tr:nth-child(3) button.edit").click();`;
const commitColor = `const input = document.querySelectorAll(".edit-colour")[argument % 32];
  input.value = argument % 2 ? "#ff8800" : "#3366cc"; input.dispatchEvent(new Event("change"));`;
const commitGradient = `document.getElementById("edit-gradient").value = argument;
  document.getElementById("edit-gradient-apply").click();`;

for (const file of process.argv.slice(2).map((name) => (/^https?:/.test(name) ? name : resolve(name)))) {
  const served = /^https?:/.test(file);
  const loads = [], paints = [], filters = [], orders = [], frames = [];
  const opens = [], colors = [], gradients = [];
  let shownInRow = true;
  let requests = 0, topRowOk = true;
  for (let round = 0; round < 5; round++) {
    const page = await browser.newPage();
    page.on("request", (request) => { if (request.url() !== (served ? file : "file://" + file)) requests++; });
    await page.goto(served ? file : "file://" + file, { waitUntil: "load" });
    const timing = await page.evaluate(() => ({
      load: performance.getEntriesByType("navigation")[0].loadEventEnd,
      paint: performance.getEntriesByName("first-contentful-paint")[0]?.startTime ?? NaN,
    }));
    loads.push(timing.load);
    paints.push(timing.paint);
    for (const [text, hex] of [["amber", "#ff8800"], ["e", "#3366cc"], ["", "#000000"]]) {
      filters.push(await timedInPage(page, typeFilter, text));
      orders.push(await timedInPage(page, chooseColor, hex));
      // The nearest hue must be the first row made, and on screen.
      topRowOk &&= await page.evaluate(() => {
        const row = document.querySelector("#hues tbody tr[aria-rowindex='2']");
        const box = row && row.getBoundingClientRect();
        return !!box && box.top >= 0 && box.bottom <= innerHeight;
      });
    }
    // The editor: opened on the third row, then a colour and a gradient committed, each checked
    // in the hue's row.
    await page.evaluate(() => scrollTo(0, 0));
    const editor = await page.$("#editor");  // not in pages of earlier versions, to compare with
    if (editor) opens.push(await timedInPage(page, openEditor));
    for (let i = 0; editor && i < 4; i++) {
      colors.push(await timedInPage(page, commitColor, i));
      shownInRow &&= await page.evaluate((i) => document.querySelector("#hues tbody tr.editing")
        .dataset.colors.split(" ")[i % 32] === (i % 2 ? "#FF8400" : "#3163CE"), i);
      gradients.push(await timedInPage(page, commitGradient, i % 2 ? "#FF6600,#660099" : "#000000,#FFFFFF,#00FF00"));
    }
    await page.evaluate(() => localStorage.clear());
    // Scrolling: a frame's time while the page is scrolled by a screen at every frame.
    frames.push(...await page.evaluate(async () => {
      const times = [];
      let last = performance.now();
      for (let i = 0; i < 60; i++) {
        scrollBy(0, innerHeight);
        await new Promise(requestAnimationFrame);
        const now = performance.now();
        times.push(now - last);
        last = now;
      }
      return times;
    }));
    await page.close();
  }
  const worst = frames.sort((a, b) => a - b)[Math.floor(frames.length * 0.95)];
  console.log(file);
  if (!served) console.log(`  page size                   ${(statSync(file).size / 1e6).toFixed(2)} MB`);
  console.log(`  loaded                      ${median(loads).toFixed(0)} ms (first paint ${median(paints).toFixed(0)} ms)`);
  console.log(`  filter: first match on top  ${median(filters).toFixed(0)} ms`);
  console.log(`  colour: nearest on top      ${median(orders).toFixed(0)} ms${topRowOk ? "" : " (NOT on top)"}`);
  console.log(`  scrolling, a frame          ${median(frames).toFixed(0)} ms (95th percentile ${worst.toFixed(0)} ms)`);
  if (opens.length > 0) {
    console.log(`  editor open on a hue         ${median(opens).toFixed(0)} ms`);
    console.log(`  colour committed, in the row ${median(colors).toFixed(0)} ms${shownInRow ? "" : " (NOT in the row)"}`);
    console.log(`  gradient committed, in row   ${median(gradients).toFixed(0)} ms`);
  }
  console.log(`  requests                    ${requests}`);
}
await browser.close();
