// The editor's ramp from a picture in chromium: "Colours from picture" clicked with the whole
// picture chosen, timed in the page from the click to the edit made (the picture decoded
// before). Medians, beside the goal.
// Usage: node bench/page/ramp_bench.mjs PAGE.html PICTURE [ROUNDS]
//   (a 4,000 x 3,000 picture: build/release/bench/picture_decode --photo photo.jpg)
import { resolve } from "node:path";
import { chromium, chromiumOptions } from "../../tests/page/chromium.mjs";

const [pageFile, picture, rounds = "9"] = process.argv.slice(2);
const browser = await chromium.launch(chromiumOptions);
const page = await browser.newPage();
await page.goto("file://" + resolve(pageFile));
await page.click("tbody button.edit");
await page.setInputFiles("#edit-from-picture", resolve(picture));
await page.locator("#edit-picture-source").waitFor();
const times = [];
for (let round = 0; round < +rounds; round++) {
  times.push(await page.evaluate(() => {
    const start = performance.now();
    document.getElementById("edit-from-picture-apply").click();
    return performance.now() - start;
  }));
}
times.sort((a, b) => a - b);
console.log(`ramp from the picture: ${times[times.length >> 1].toFixed(0)} ms (median of ${rounds}), goal 300 ms`);
await browser.close();
