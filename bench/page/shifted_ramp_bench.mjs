// The editor's ramp from one colour in chromium: the shift slider moved a degree at a time, each
// move timed in the page from its input event to the preview strip's 32 swatches made anew, with
// colours that lie inside sRGB and outside it (where the chroma is halved to the edge). Medians,
// the 99th percentile and the slowest (the first moves, before the script is compiled), beside the
// goal of a frame at 60 a second with room to spare (4 ms).
// Usage: node bench/page/shifted_ramp_bench.mjs PAGE.html [ROUNDS]
import { resolve } from "node:path";
import { chromium, chromiumOptions } from "../../tests/page/chromium.mjs";

const [pageFile, rounds = "5"] = process.argv.slice(2);
const browser = await chromium.launch(chromiumOptions);
const page = await browser.newPage();
await page.goto("file://" + resolve(pageFile));
await page.click("tbody button.edit");
for (const colour of ["#3366cc", "#e08020", "#00ff40", "#808080"]) {
  const times = await page.evaluate(([colour, rounds]) => {
    const picker = document.getElementById("edit-ramp-colour"), slider = document.getElementById("edit-ramp-shift");
    picker.value = colour;
    const times = [];
    for (let round = 0; round < rounds; round++) {
      for (let shift = 0; shift <= 90; shift++) {
        slider.value = shift;
        const start = performance.now();
        slider.dispatchEvent(new Event("input"));
        times.push(performance.now() - start);
      }
    }
    return times.sort((a, b) => a - b);
  }, [colour, +rounds]);
  const at = (share) => times[Math.floor(share * (times.length - 1))].toFixed(2);
  console.log(`ramp preview of ${colour}: median ${at(0.5)} ms, 99% within ${at(0.99)} ms, ` +
              `slowest ${at(1)} ms (${times.length} moves), goal 4 ms`);
}
await browser.close();
