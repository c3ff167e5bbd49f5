// What `hues` writes into the page beside its scripts, as one JSON block (#hue-data): what the
// scripts take from the program (useProgram), where its ramp from one colour starts, the sample picture, the hues, their findings, a merge's conflicts and, in a
// page `hues edit` serves, what a save names and whether git keeps the file's history. And the
// colour vision matrices, which the build bundles from the program's own file. Read here and
// handed over by main.js: importing this changes no other module.
import visionModel from "../../huecolour/colour_vision_machado_2009.json";

// The page's elements by id: every part finds its own controls through this.
export const $ = (id) => document.getElementById(id);

const data = JSON.parse($("hue-data").textContent);

export const PROGRAM = data.program;  // for useProgram
export const VISION_MATRICES = visionModel.matrices;  // for useVisionMatrices

export const RAMP = data.ramp;      // { shift, dark, light }
export const SAMPLE = data.sample;  // a data: URL of a PNG, or null
export const HUES = data.hues;      // the block loadHues reads
export const FINDINGS = data.findings ?? null;  // `hues check`'s findings (findings.js), or null
export const MERGE = data.merge;    // the conflicts left to resolve, or null
export const SERVED = data.served;  // { stamp, place, history } in a served page, else null
