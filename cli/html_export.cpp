#include "html_export.h"

#include "huedata/hue_text.h"

#include "text_builder.h"

namespace hues {

namespace {

// Each strip is one element painted by a gradient of 32 hard-edged stops: a table cell per
// colour would make a page of 3,000 hues some 100,000 cells, which a browser takes
// seconds to lay out. The script adds the filter box and the label that names the colour
// under the pointer; without it the page still shows every hue.
constexpr int SwatchWidth = 10;

constexpr std::string_view PageStart = R"(<!DOCTYPE html>
<html lang="en">
<head>
<meta charset="utf-8">
<meta name="viewport" content="width=device-width, initial-scale=1">
<title>{title}</title>
<style>
body{{font:14px/1.4 system-ui,sans-serif;margin:1em;color:#111;background:#fff}}
h1{{font-size:1.3em;margin:0 0 .5em}}
#filter{{font:inherit;padding:.2em .4em;width:18em}}
table{{border-collapse:collapse;margin-top:.5em}}
th,td{{padding:0 .5em;text-align:left;white-space:pre}}
thead th{{position:sticky;top:0;background:#fff;border-bottom:1px solid #999}}
td:first-child,td:nth-child(3),td:nth-child(4){{text-align:right;font-family:monospace}}
tbody tr{{scroll-margin-top:2em}}
tbody tr:target{{outline:2px solid #06c}}
td:last-child{{white-space:normal;padding:1px .5em}}
.s{{width:{strip}px;height:20px}}
#tip{{position:fixed;z-index:1;padding:1px 4px;font:12px monospace;color:#000;background:#ffe;
border:1px solid #777;pointer-events:none;white-space:nowrap}}
</style>
</head>
<body>
<h1>{title}</h1>
<p><input id="filter" type="search" placeholder="Filter by id or name" aria-label="Filter by id or name" hidden> <span id="count">{count} hues</span></p>
<div id="tip" hidden></div>
<table>
<thead><tr><th>Id</th><th>Name</th><th>Start</th><th>End</th><th>Colours</th></tr></thead>
<tbody>
)";

constexpr std::string_view PageEnd = R"(</tbody>
</table>
<script>
const filter = document.getElementById("filter");
const count = document.getElementById("count");
const tip = document.getElementById("tip");
const rows = Array.from(document.querySelectorAll("tbody tr"));
filter.hidden = false;
filter.addEventListener("input", () => {
  const wanted = filter.value.trim().toLowerCase();
  let shown = 0;
  for (const row of rows) {
    const show = !wanted || row.cells[0].textContent === wanted ||
                 row.cells[1].textContent.toLowerCase().includes(wanted);
    row.hidden = !show;
    if (show) shown++;
  }
  count.textContent = wanted ? shown + " of " + rows.length + " hues" : rows.length + " hues";
});
document.querySelector("tbody").addEventListener("mousemove", (event) => {
  const strip = event.target.closest(".s");
  if (!strip) { tip.hidden = true; return; }
  const colours = strip.closest("tr").dataset.colors.split(" ");
  const box = strip.getBoundingClientRect();
  const index = Math.min(31, Math.floor((event.clientX - box.left) / box.width * 32));
  tip.textContent = "Colour " + index + ": " + colours[index];
  tip.style.left = event.clientX + 12 + "px";
  tip.style.top = event.clientY + 16 + "px";
  tip.hidden = false;
});
document.querySelector("tbody").addEventListener("mouseleave", () => { tip.hidden = true; });
</script>
</body>
</html>
)";

// Text made safe for HTML content and quoted attribute values.
std::string HtmlEscaped(std::string_view text) {
    std::string escaped;
    escaped.reserve(text.size());
    for (const char c : text) {
        switch (c) {
            case '&':
                escaped += "&amp;";
                break;
            case '<':
                escaped += "&lt;";
                break;
            case '>':
                escaped += "&gt;";
                break;
            case '"':
                escaped += "&quot;";
                break;
            case '\'':
                escaped += "&#39;";
                break;
            default:
                escaped += c;
        }
    }
    return escaped;
}

void AppendRow(TextBuilder& page, const HueView& hue) {
    page << "<tr id=\"hue-" << hue.id << "\" data-colors=\"";
    for (std::size_t i = 0; i < hue.record.Colors.size(); ++i) {
        if (i != 0) page << ' ';
        page << huedata::ConvertColor(hue.record.Colors[i]);
    }
    page << "\"><td>" << hue.id << "<td>" << HtmlEscaped(PrintableText(hue.name)) << "<td>"
         << huedata::HexText(hue.record.TableStart) << "<td>"
         << huedata::HexText(hue.record.TableEnd);
    page << "<td><div class=s style=\"background:linear-gradient(90deg";
    for (std::size_t i = 0; i < hue.record.Colors.size(); ++i) {
        page << ',' << huedata::ConvertColor(hue.record.Colors[i]) << " 0 "
             << (static_cast<int>(i) + 1) * SwatchWidth << "px";
    }
    page << ")\"></div>";
    page << '\n';
}

}  // namespace

void HtmlPage(std::span<const HueView> hues, std::string_view title, TextBuilder& page) {
    page << fmt::format(fmt::runtime(PageStart),
                        fmt::arg("title", HtmlEscaped(PrintableText(title))),
                        fmt::arg("count", hues.size()), fmt::arg("strip", 32 * SwatchWidth));
    for (const HueView& hue : hues) AppendRow(page, hue);
    page << PageEnd;
}

}  // namespace hues
