// ESLint's recommended rules over the page's scripts and the scripts that test and measure it,
// run from the root of the source tree: scripts/lint --config tests/page/eslint.config.js.
import js from "@eslint/js";
import globals from "globals";

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
