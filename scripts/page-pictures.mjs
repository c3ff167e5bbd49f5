// The hue page's pictures for docs/: a page ranked by a colour with each hue painted on a
// picture, the same page as a player with deuteranopia sees it, and the editor open beside it
// with a gradient just applied, then with a ramp just taken from a region of a photo, then with a
// ramp made from one colour; and three such ramps, as a page of three hues shows them. In
// Debian's chromium.
// Usage: node scripts/page-pictures.mjs PAGE.html OUT_DIR PHOTO RAMPS.html
//        (after npm ci --prefix tests/page)
import { resolve } from "node:path";
import { chromium, chromiumOptions } from "../tests/page/chromium.mjs";

const [pageFile, out, photo, rampsFile] = process.argv.slice(2);
const browser = await chromium.launch(chromiumOptions);
const page = await browser.newPage({ viewport: { width: 1180, height: 560 }, colorScheme: "light" });
await page.goto("file://" + resolve(pageFile));
await page.fill("#colour-text", "#E08020");
await page.press("#colour-text", "Enter");
await page.waitForTimeout(300);
await page.screenshot({ path: resolve(out, "page.png") });
await page.selectOption("#vision", "deuteranomaly");
await page.waitForTimeout(300);
await page.screenshot({ path: resolve(out, "page-deuteranomaly.png") });
await page.selectOption("#vision", "normal");

await page.setViewportSize({ width: 1340, height: 640 });
await page.click("#clear");
await page.evaluate(() => { location.hash = "#hue-40"; });
await page.click("#hue-40 button.edit");
await page.fill("#edit-gradient", "#1A0A3C,#E0603A,#FFF4C0");
await page.click("#edit-gradient-apply");
await page.waitForTimeout(300);
await page.screenshot({ path: resolve(out, "editor.png") });

await page.setViewportSize({ width: 1340, height: 760 });
await page.setInputFiles("#edit-from-picture", resolve(photo));
const source = page.locator("#edit-picture-source");
await source.waitFor();
const box = await source.boundingBox();
await page.mouse.move(box.x + box.width * 0.25, box.y + box.height * 0.15);
await page.mouse.down();
await page.mouse.move(box.x + box.width * 0.75, box.y + box.height * 0.8, { steps: 5 });
await page.mouse.up();
await page.click("#edit-from-picture-apply");
await page.waitForTimeout(300);
await page.screenshot({ path: resolve(out, "editor-picture.png") });

await page.setViewportSize({ width: 1340, height: 900 });
await page.click("#undo");
for (const [control, value] of [["colour", "#e08020"], ["shift", "45"], ["dark", "0.12"], ["light", "0.92"]]) {
  await page.fill("#edit-ramp-" + control, value);
}
await page.click("#edit-ramp-apply");
await page.locator("#edit-ramp").scrollIntoViewIfNeeded();
await page.waitForTimeout(300);
await page.screenshot({ path: resolve(out, "editor-ramp.png") });

await page.setViewportSize({ width: 800, height: 400 });
await page.goto("file://" + resolve(rampsFile));
await page.locator("#hues").screenshot({ path: resolve(out, "ramps.png") });
await browser.close();
