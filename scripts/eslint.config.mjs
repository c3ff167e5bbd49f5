// ESLint's recommended rules over the page's scripts and the scripts that test and measure it,
// run from the root of the source tree by scripts/lint. ESLint and its rules come from npm,
// beside the page tests' Playwright.
import js from "../tests/page/node_modules/@eslint/js/src/index.js";
import globals from "../tests/page/node_modules/globals/index.js";

export default [
  { ignores: ["**/node_modules/", "build/"] },
  js.configs.recommended,
  {
    files: ["page/web/**/*.js"],
    languageOptions: { sourceType: "module", globals: globals.browser },
  },
  {
    // Node, and the functions they hand to the browser to run there.
    files: ["tests/**/*.mjs", "bench/**/*.mjs", "scripts/**/*.mjs"],
    languageOptions: { globals: { ...globals.node, ...globals.browser } },
  },
];
