// The hue page's pictures for docs/: a page ranked by a colour with each hue painted on a
// picture, and the editor open beside it with a gradient just applied. In Debian's chromium.
// Usage: node scripts/page-pictures.mjs PAGE.html OUT_DIR   (after npm ci --prefix tests/page)
import { resolve } from "node:path";
import { chromium } from "../tests/page/node_modules/playwright-core/index.mjs";

const [pageFile, out] = process.argv.slice(2);
const browser = await chromium.launch({
  executablePath: "/usr/bin/chromium",
  args: ["--no-sandbox", "--disable-gpu", "--disable-quic", "--no-first-run",
         "--disable-background-networking", "--disable-component-update", "--disable-sync"],
});
const page = await browser.newPage({ viewport: { width: 1180, height: 560 }, colorScheme: "light" });
await page.goto("file://" + resolve(pageFile));
await page.fill("#colour-text", "#E08020");
await page.press("#colour-text", "Enter");
await page.waitForTimeout(300);
await page.screenshot({ path: resolve(out, "page.png") });

await page.setViewportSize({ width: 1340, height: 640 });
await page.click("#clear");
await page.evaluate(() => { location.hash = "#hue-40"; });
await page.click("#hue-40 button.edit");
await page.fill("#edit-gradient", "#1A0A3C,#E0603A,#FFF4C0");
await page.click("#edit-gradient-apply");
await page.waitForTimeout(300);
await page.screenshot({ path: resolve(out, "editor.png") });
await browser.close();
