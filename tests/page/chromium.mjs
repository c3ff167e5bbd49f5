// The browser the page's tests and benchmarks drive: Chromium's headless shell, as Playwright
// itself takes for headless runs: the same Blink, without the desktop browser around it, and a
// quarter less work for the machine. Debian's, never a browser of Playwright's own.
export const chromiumOptions = {
  executablePath: "/usr/bin/chromium-headless-shell",
  args: ["--no-sandbox", "--disable-gpu", "--disable-quic", "--no-first-run",
         "--disable-background-networking", "--disable-component-update", "--disable-sync"],
};
// Playwright's driver from this folder's packages, for the tests elsewhere that drive a page.
export { chromium } from "playwright-core";
