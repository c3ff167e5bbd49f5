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
    rules: {
      // A module keeps its state to itself (the hues and their changes live in store.js, reached
      // through its functions): no module exports a binding another could see change, as
      // eslint-plugin-import's no-mutable-exports says, with ESLint's own rule.
      "no-restricted-syntax": ["error", {
        selector: "ExportNamedDeclaration > VariableDeclaration[kind!='const']",
        message: "Export a function that reads the state, not a binding that changes",
      }],
    },
  },
  {
    // Node, and the functions they hand to the browser to run there.
    files: ["tests/**/*.mjs", "bench/**/*.mjs", "scripts/**/*.mjs"],
    languageOptions: { globals: { ...globals.node, ...globals.browser } },
  },
];
