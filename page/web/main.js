// The page's script: each part started in turn, the table first, as every other part shows
// its hues through it. The build bundles these modules into the page's one inline script.
import { FINDINGS, MERGE, PROGRAM, SERVED, VISION_MATRICES } from "./data.js";
import { startResolving } from "./conflicts.js";
import { startEditor } from "./editor.js";
import { askFindings, useFindings } from "./findings.js";
import { startFromPicture } from "./from_picture.js";
import { startHistory } from "./history.js";
import { startRamp } from "./ramp.js";
import { startSaving } from "./save.js";
import { chooseVision, chosenVision } from "./store.js";
import { startTable } from "./table.js";
import { useProgram } from "./hues.js";
import { startVision, useVisionMatrices } from "./vision.js";

// What the arithmetic takes from the program, before anything is made.
useProgram(PROGRAM);
useVisionMatrices(VISION_MATRICES);
useFindings(FINDINGS);
startVision(chosenVision, chooseVision);
startTable();
startEditor();
startFromPicture();
startRamp();
// A merge's conflicts first: what resolving adds to a save is handed to the save.
const resolving = MERGE ? startResolving(MERGE) : {};
if (SERVED) startSaving(resolving);
if (SERVED) askFindings();
if (SERVED?.history) startHistory();
