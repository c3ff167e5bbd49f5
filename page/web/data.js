// What `hues` writes into the page beside its scripts, as one JSON block (#hue-data): the
// program's linear channel values, the sample picture, the hues, a merge's conflicts and, in a
// page `hues edit` serves, what a save names and whether git keeps the file's history.
import { useLinearTable } from "./hues.js";

const data = JSON.parse(document.getElementById("hue-data").textContent);
useLinearTable(data.linear);

export const SAMPLE = data.sample;  // a data: URL of a PNG, or null
export const HUES = data.hues;      // the block loadHues reads
export const MERGE = data.merge;    // the conflicts left to resolve, or null
export const SERVED = data.served;  // { stamp, place, history } in a served page, else null
