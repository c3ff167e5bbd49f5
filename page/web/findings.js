// Each hue's findings of `hues check`, as the program found them: the page holds no rules of its
// own. A page made without them (export html without --check) shows nothing of them; a page
// `hues edit` serves asks for them once it shows and again after each save.
import { FINDINGS, SERVED } from "./data.js";

let byId = new Map();  // hue id → { worst, count, list: [{ rule, level, colour?, other_hue?, message }] }
let failure = null;    // why the config could not be read, when it could not
const listeners = [];

// Takes the findings as the program gives them: { hues: { ID: ... } } or { error }.
export function useFindings(findings) {
  byId = new Map(Object.entries(findings?.hues ?? {}).map(([id, found]) => [Number(id), found]));
  failure = findings?.error ?? null;
  for (const listener of listeners) listener();
}
export const findingsShown = () => FINDINGS !== null || SERVED !== null;

// A served page's findings, asked of `hues edit`: what it answers replaces what the page had; a
// refusal (the file no longer reads) leaves them, and the next save or read says why.
export async function askFindings() {
  try {
    const response = await fetch("/findings" + location.search);
    if (response.ok) useFindings(await response.json());
  } catch {
    // The server has stopped: the page keeps what it shows.
  }
}
export const findingsOf = (id) => byId.get(id) ?? null;
export const findingsFailure = () => failure;
export const onFindingsChanged = (listener) => listeners.push(listener);

// One line a finding, as `hues check` writes it after the hue.
export function findingText({ level, rule, colour, message }) {
  return (colour === undefined ? "" : "colour " + colour + ": ") + level + " " + rule + ": " + message;
}

