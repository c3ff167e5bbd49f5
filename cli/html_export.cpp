#include "html_export.h"

#include "huedata/hue_text.h"
#include "huedata/oklab.h"

#include "text_builder.h"

#include <algorithm>
#include <array>
#include <cstring>

namespace hues {

namespace {

// Each strip is one element painted by a gradient of 32 hard-edged stops: a table cell per
// colour would make a page of 3,000 hues some 100,000 cells, which a browser takes
// seconds to lay out. The script adds the controls: the name filter, finding by colour,
// copying, and the sample picture painted with each hue; without it the page still shows
// every hue. It ranks by the same OKLab arithmetic as `hues nearest`, with the program's
// own table of linear channel values, so the two agree.
constexpr int SwatchWidth = 10;

constexpr std::string_view PageStart = R"(<!DOCTYPE html>
<html lang="en">
<head>
<meta charset="utf-8">
<meta http-equiv="Content-Security-Policy" content="default-src 'none'; script-src 'unsafe-inline'; style-src 'unsafe-inline'; img-src data:">
<meta name="viewport" content="width=device-width, initial-scale=1">
<meta name="color-scheme" content="light dark">
<title>{title}</title>
<style>
:root{{--fg:#111;--bg:#fff;--line:#999;--mark:#06c;--tip:#ffe}}
@media (prefers-color-scheme:dark){{:root{{--fg:#eee;--bg:#161616;--line:#666;--mark:#6af;--tip:#333}}}}
body{{font:14px/1.4 system-ui,sans-serif;margin:1em;color:var(--fg);background:var(--bg)}}
h1{{font-size:1.3em;margin:0 0 .5em}}
[hidden]{{display:none!important}}
#controls{{display:flex;flex-wrap:wrap;gap:.5em 1em;align-items:center}}
#controls input,#controls button{{font:inherit}}
#filter{{padding:.2em .4em;width:16em}}
#colour-text{{width:6em;font-family:monospace}}
table{{display:block;margin-top:.5em;--distance:0;--sample:0}}
table.ranked{{--distance:6em}}
table.sampled{{--sample:auto}}
thead,tbody{{display:block}}
tr{{display:grid;grid-template-columns:5em 13em 4em 4em {column}px var(--distance) var(--sample);align-items:center}}
tbody tr{{content-visibility:auto;contain-intrinsic-size:auto 22px;scroll-margin-top:2em}}
table:not(.ranked) th:nth-child(6),table:not(.sampled) th:nth-child(7){{visibility:hidden}}
th,td{{padding:0 .5em;text-align:left;white-space:pre;overflow:hidden}}
thead{{position:sticky;top:0;z-index:1;background:var(--bg);border-bottom:1px solid var(--line)}}
td:first-child,td:nth-child(3),td:nth-child(4),td:nth-child(6){{text-align:right;font-family:monospace}}
td:first-child button{{font:inherit;color:inherit;background:none;border:0;padding:0;cursor:copy;text-decoration:underline dotted}}
tbody tr:target{{outline:2px solid var(--mark)}}
td:nth-child(5){{overflow:visible;padding:1px .5em}}
.strip{{width:{strip}px;height:20px;position:relative;cursor:copy}}
.strip i{{position:absolute;top:-2px;width:{swatch}px;height:24px;box-sizing:border-box;outline:2px solid var(--mark)}}
canvas{{display:block;image-rendering:pixelated;max-width:128px;max-height:64px}}
#tip{{position:fixed;z-index:1;padding:1px 4px;font:12px monospace;background:var(--tip);
border:1px solid #777;pointer-events:none;white-space:nowrap}}
</style>
</head>
<body>
<h1>{title}</h1>
<div id="controls" hidden>
<label>Name or id <input id="filter" type="search" placeholder="Filter by id or name"></label>
<label>Nearest to <input id="colour" type="color"></label>
<input id="colour-text" aria-label="Nearest to the colour #RRGGBB" placeholder="#RRGGBB" maxlength="7">
<button id="clear" type="button">Clear</button>
<label>Picture <input id="picture" type="file" accept="image/png"></label>
<label><input id="only-grey" type="checkbox"> Only grey pixels</label>
<span id="status" role="status" aria-live="polite"></span>
</div>
<p id="count">{count} hues</p>
<div id="tip" hidden></div>
<table role="table">
<thead><tr><th>Id</th><th>Name</th><th>Start</th><th>End</th><th>Colours</th><th>Distance</th><th>Sample</th></tr></thead>
<tbody>
)";

// The script needs the picture (when there is one) and the linear channel values first.
constexpr std::string_view ScriptStart = "</tbody>\n</table>\n<script>\n";

constexpr std::string_view PageEnd = R"(
const $ = (id) => document.getElementById(id);
const filter = $("filter"), colour = $("colour"), colourText = $("colour-text");
const onlyGrey = $("only-grey"), status = $("status"), count = $("count"), tip = $("tip");
const table = document.querySelector("table"), body = table.tBodies[0];
const rows = Array.from(body.rows);
const colours = new Map(rows.map((row) => [row, row.dataset.colors.split(" ")]));
$("controls").hidden = false;

function say(text) { status.textContent = text; }
async function copy(text) {
  try { await navigator.clipboard.writeText(text); say("Copied " + text); }
  catch { say("Could not copy " + text); }
}

// Filtering by id or name.
function applyFilter() {
  const wanted = filter.value.trim().toLowerCase();
  let shown = 0;
  for (const row of rows) {
    const show = !wanted || row.cells[0].textContent === wanted ||
                 row.cells[1].textContent.toLowerCase().includes(wanted);
    row.hidden = !show;
    if (show) shown++;
  }
  count.textContent = wanted ? shown + " of " + rows.length + " hues" : rows.length + " hues";
}
filter.addEventListener("input", applyFilter);

// Finding by colour: deltaEOK from the chosen colour to each hue's closest colour.
const M = [[506752 / 1228815, 87881 / 245763, 12673 / 70218],
           [87098 / 409605, 175762 / 245763, 12673 / 175545],
           [7918 / 409605, 87881 / 737289, 1001167 / 1053270]];
const M1 = [[0.8189330101, 0.3618667424, -0.1288597137],
            [0.0329845436, 0.9293118715, 0.0361456387],
            [0.0482003018, 0.2643662691, 0.6338517070]];
const M2 = [[0.2104542553, 0.7936177850, -0.0040720468],
            [1.9779984951, -2.4285922050, 0.4505937099],
            [0.0259040371, 0.7827717662, -0.8086757660]];
const times = (m, v) => [m[0][0] * v[0] + m[0][1] * v[1] + m[0][2] * v[2],
                         m[1][0] * v[0] + m[1][1] * v[1] + m[1][2] * v[2],
                         m[2][0] * v[0] + m[2][1] * v[1] + m[2][2] * v[2]];
const labs = new Map();
function oklab(hex) {
  let lab = labs.get(hex);
  if (!lab) {
    const n = parseInt(hex.slice(1), 16);
    const lms = times(M1, times(M, [LINEAR[n >> 16], LINEAR[(n >> 8) & 255], LINEAR[n & 255]]));
    lab = times(M2, lms.map(Math.cbrt));
    labs.set(hex, lab);
  }
  return lab;
}
function distance(p, q) {
  const dL = p[0] - q[0], da = p[1] - q[1], db = p[2] - q[2];
  return Math.sqrt(dL * dL + da * da + db * db);
}
const idOf = (row) => +row.id.slice(4);
function rank(hex) {
  const target = oklab(hex);
  const ranked = rows.map((row) => {
    const list = colours.get(row);
    let best = 0, nearest = distance(oklab(list[0]), target);
    for (let i = 1; i < 32; i++) {
      const d = distance(oklab(list[i]), target);
      if (d < nearest) { nearest = d; best = i; }
    }
    return { row, best, nearest };
  });
  ranked.sort((x, y) => x.nearest - y.nearest || idOf(x.row) - idOf(y.row));
  const ordered = document.createDocumentFragment();
  for (const { row, best, nearest } of ranked) {
    row.cells[5].textContent = nearest.toFixed(4);
    let mark = row.cells[4].firstChild.firstChild;
    if (!mark) mark = row.cells[4].firstChild.appendChild(document.createElement("i"));
    mark.style.left = best * 100 / 32 + "%";
    mark.title = "Closest: colour " + best;
    ordered.append(row);
  }
  body.append(ordered);
  table.classList.add("ranked");
  colourText.value = hex;
  say("Ordered by distance from " + hex);
}
function clearRanking() {
  const ordered = document.createDocumentFragment();
  for (const row of rows) {
    row.cells[5].textContent = "";
    row.cells[4].firstChild.replaceChildren();
    ordered.append(row);
  }
  body.append(ordered);
  table.classList.remove("ranked");
  colourText.value = "";
  say("Ordered by id");
}
colour.addEventListener("input", () => rank(colour.value.toUpperCase()));
colourText.addEventListener("change", () => {
  const text = colourText.value.trim().replace(/^#?/, "#").toUpperCase();
  if (/^#[0-9A-F]{6}$/.test(text)) { colour.value = text.toLowerCase(); rank(text); }
  else say("Give a colour as #RRGGBB");
});
$("clear").addEventListener("click", clearRanking);

// Copying: a hue's id from its button, a colour from its strip.
function stripIndex(strip, x) {
  const box = strip.getBoundingClientRect();
  return Math.max(0, Math.min(31, Math.floor((x - box.left) / box.width * 32)));
}
body.addEventListener("click", (event) => {
  const button = event.target.closest("td:first-child button");
  if (button) return copy(button.textContent);
  const strip = event.target.closest(".strip");
  if (strip) copy(colours.get(strip.closest("tr"))[stripIndex(strip, event.clientX)]);
});
body.addEventListener("mousemove", (event) => {
  const strip = event.target.closest(".strip");
  if (!strip) { tip.hidden = true; return; }
  const index = stripIndex(strip, event.clientX);
  tip.textContent = "Colour " + index + ": " + colours.get(strip.closest("tr"))[index];
  tip.style.left = event.clientX + 12 + "px";
  tip.style.top = event.clientY + 16 + "px";
  tip.hidden = false;
});
body.addEventListener("mouseleave", () => { tip.hidden = true; });

// A hue on a picture: each pixel's level (its red >> 3) picks that colour of the hue; alpha
// stays, and with "Only grey pixels" a pixel that is not grey keeps its own colour.
let sample = null, painting = 0;
const painted = new WeakMap();
function paint(row) {
  const canvas = row.cells[6].firstChild;
  if (!sample || painted.get(canvas) === painting) return;
  const list = colours.get(row).map((hex) => parseInt(hex.slice(1), 16));
  const out = new ImageData(sample.width, sample.height), from = sample.data, to = out.data;
  const greyOnly = onlyGrey.checked;
  for (let i = 0; i < from.length; i += 4) {
    const r = from[i], g = from[i + 1], b = from[i + 2], a = from[i + 3];
    if (a === 0 || (greyOnly && (r !== g || g !== b))) {
      to[i] = r; to[i + 1] = g; to[i + 2] = b; to[i + 3] = a;
    } else {
      const c = list[r >> 3];
      to[i] = c >> 16; to[i + 1] = (c >> 8) & 255; to[i + 2] = c & 255; to[i + 3] = a;
    }
  }
  canvas.getContext("2d").putImageData(out, 0, 0);
  painted.set(canvas, painting);
}
const watcher = new IntersectionObserver((entries) => {
  for (const entry of entries) if (entry.isIntersecting) paint(entry.target);
}, { rootMargin: "200px" });
function useSample(pixels) {
  sample = pixels;
  painting++;
  for (const row of rows) {
    let canvas = row.cells[6] && row.cells[6].firstChild;
    if (!canvas) {
      while (row.cells.length < 7) row.insertCell();
      canvas = row.cells[6].appendChild(document.createElement("canvas"));
    }
    canvas.width = pixels.width;
    canvas.height = pixels.height;
    canvas.setAttribute("aria-label", "The picture in hue " + idOf(row));
    watcher.unobserve(row);
    watcher.observe(row);
  }
  table.classList.add("sampled");
}
function pixelsOf(image) {
  const canvas = document.createElement("canvas");
  canvas.width = image.width;
  canvas.height = image.height;
  const context = canvas.getContext("2d", { willReadFrequently: true });
  context.drawImage(image, 0, 0);
  return context.getImageData(0, 0, image.width, image.height);
}
onlyGrey.addEventListener("change", () => { if (sample) useSample(sample); });
$("picture").addEventListener("change", async (event) => {
  const file = event.target.files[0];
  if (!file) return;
  try {
    useSample(pixelsOf(await createImageBitmap(file)));
    say("Showing each hue on " + file.name);
  } catch { say("Could not read " + file.name + " as a picture"); }
});
if (SAMPLE) {
  const image = new Image();
  image.onload = () => useSample(pixelsOf(image));
  image.src = SAMPLE;
}
</script>
</body>
</html>
)";

// Text made safe for HTML content and quoted attribute values, written at `out`, which has
// room for 6 * text.size() characters; returns the end.
char* WriteHtmlEscaped(char* out, std::string_view text) {
    for (const char c : text) {
        switch (c) {
            case '&':
                out = std::copy_n("&amp;", 5, out);
                break;
            case '<':
                out = std::copy_n("&lt;", 4, out);
                break;
            case '>':
                out = std::copy_n("&gt;", 4, out);
                break;
            case '"':
                out = std::copy_n("&quot;", 6, out);
                break;
            case '\'':
                out = std::copy_n("&#39;", 5, out);
                break;
            default:
                *out++ = c;
        }
    }
    return out;
}

std::string HtmlEscaped(std::string_view text) {
    std::string escaped(6 * text.size(), '\0');
    escaped.resize(
        static_cast<std::size_t>(WriteHtmlEscaped(escaped.data(), text) - escaped.data()));
    return escaped;
}

// ",#RRGGBB 0 10px" to ",#RRGGBB 0 320px": where each colour of a strip ends.
struct StopEnd {
    std::array<char, 8> text;
    std::size_t size;
};
constexpr auto StopEnds = [] {
    std::array<StopEnd, 32> ends{};
    for (std::size_t i = 0; i < ends.size(); ++i) {
        auto& [text, size] = ends[i];
        const auto width = static_cast<unsigned>(i + 1) * SwatchWidth;
        text = {' ', '0', ' '};
        size = 3;
        if (width >= 100) text[size++] = static_cast<char>('0' + width / 100);
        text[size++] = static_cast<char>('0' + width / 10 % 10);
        text[size++] = static_cast<char>('0' + width % 10);
        text[size++] = 'p';
        text[size++] = 'x';
    }
    return ends;
}();

void AppendRow(TextBuilder& page, const HueView& hue, bool withSample) {
    page << "<tr id=\"hue-" << hue.id << "\" data-colors=\"";
    const auto& colors = hue.record->Colors;
    char* out = page.Reserve(colors.size() * 8);
    for (std::size_t i = 0; i < colors.size(); ++i) {
        if (i != 0) *out++ = ' ';
        out = huedata::WriteStoredAsRgbText(out, colors[i]);
    }
    page.Commit(out);
    page << "\"><td><button type=button>" << hue.id << "</button><td>";
    // A name is 20 characters of at most 3 bytes each; the cut only guards the buffer.
    constexpr std::size_t MostNameBytes = 60;
    std::array<char, 3 * MostNameBytes> printable;
    const std::string_view name(
        printable.data(),
        WritePrintableText(printable.data(), std::string_view(hue.name).substr(0, MostNameBytes)));
    out = page.Reserve(6 * name.size() + 4 + 4 + 4 + 4);
    out = std::copy_n("<td>", 4, WriteHtmlEscaped(out, name));
    out = std::copy_n("<td>", 4, huedata::WriteHexText(out, hue.record->TableStart));
    page.Commit(huedata::WriteHexText(out, hue.record->TableEnd));
    page << "<td><div class=strip style=\"background:linear-gradient(90deg";
    // ",#RRGGBB 0 320px" a colour; each end copied whole, then cut to its size.
    out = page.Reserve(colors.size() * 16 + 8);
    for (std::size_t i = 0; i < colors.size(); ++i) {
        *out++ = ',';
        out = huedata::WriteStoredAsRgbText(out, colors[i]);
        std::memcpy(out, StopEnds[i].text.data(), StopEnds[i].text.size());
        out += StopEnds[i].size;
    }
    page.Commit(out);
    page << ")\"></div><td>";
    if (withSample) page << "<td><canvas></canvas>";
    page << '\n';
}

// The program's own linear channel values, so the page's OKLab is the program's.
void AppendLinearTable(TextBuilder& page) {
    page << "const LINEAR = [";
    for (int channel = 0; channel < 256; ++channel) {
        if (channel != 0) page << ',';
        page << fmt::format("{}", huedata::LinearFromSrgb(static_cast<std::uint8_t>(channel)));
    }
    page << "];\n";
}

}  // namespace

void HtmlPage(std::span<const HueView> hues, std::string_view title, const SamplePicture* sample,
              TextBuilder& page) {
    page << fmt::format(fmt::runtime(PageStart),
                        fmt::arg("title", HtmlEscaped(PrintableText(title))),
                        fmt::arg("count", hues.size()), fmt::arg("strip", 32 * SwatchWidth),
                        fmt::arg("column", 32 * SwatchWidth + 20), fmt::arg("swatch", SwatchWidth));
    for (const HueView& hue : hues) AppendRow(page, hue, sample != nullptr);
    page << ScriptStart;
    AppendLinearTable(page);
    page << "const SAMPLE = ";
    if (sample != nullptr) {
        page << "\"data:image/png;base64," << Base64(sample->png) << "\";\n";
    } else {
        page << "null;\n";
    }
    page << PageEnd;
}

}  // namespace hues
