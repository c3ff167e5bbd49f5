# Run by kritarunner (krita.sh): every palette Krita loaded from hues' exports, held against the
# hue file's own listing (HUES_JSON). Writes "ok" or what differs to HUES_KRITA_RESULT.
import json
import os

from krita import Krita, Palette


def seen(palette):
    """Krita's groups of (name, #rrggbb) colours, each sorted."""
    groups = {}
    for group in palette.groupNames():
        entries = []
        only = palette.groupNames() == [""]
        for index in range(palette.colorsCountTotal() if only else palette.columnCount() * palette.colorsCountTotal()):
            entry = palette.colorSetEntryByIndex(index) if only else palette.colorSetEntryFromGroup(index, group)
            if not entry.isValid():
                continue
            red, green, blue = entry.color().componentsOrdered()[:3]
            rgb = "#%02x%02x%02x" % tuple(round(c * 255) for c in (red, green, blue))
            entries.append((entry.name().rstrip("\0"), rgb))
        # Krita's index runs down the columns; the names say each colour's place.
        groups[group] = sorted(entries)
    return groups


def printable(text):
    """The name as a GIMP palette gives it: control characters as U+FFFD."""
    return "".join("\ufffd" if ord(c) < 0x20 or 0x7F <= ord(c) <= 0x9F else c for c in text)


def expected(hues, kind):
    names = kind != "pal"
    colours = []
    groups = {}
    # Krita takes the first 256 colours of an ACO or JASC palette (krita.sh gives those 8 hues).
    for hue in hues[:8] if kind in ("aco", "pal") else hues:
        name = printable(hue["name"]) if kind == "gpl" else hue["name"]
        suffix = " " + name if name else ""
        entries = [("Hue %d colour %d%s" % (hue["id"], i, suffix) if names else "", c.lower())
                   for i, c in enumerate(hue["colors"])]
        if kind in ("ase", "kpl"):
            groups["Hue %d%s" % (hue["id"], suffix)] = sorted(entries)
        else:
            colours += entries
    return sorted(colours), groups


def __main__(args):
    hues = json.load(open(os.environ["HUES_JSON"], encoding="utf-8"))
    problems = []
    found = set()
    for resource in Krita.instance().resources("palette").values():
        stem, _, kind = resource.filename().rpartition(".")
        if not stem.startswith("hues-"):
            continue
        found.add(kind)
        groups = seen(Palette(resource))
        colours, named = expected(hues, kind)
        ungrouped = groups.pop("", [])
        if kind == "pal":  # Krita names a JASC colour by its values
            ungrouped = sorted(("", c) for _, c in ungrouped)
        if ungrouped != colours or groups != named:
            wrong = sorted(set(ungrouped + sum(groups.values(), [])) ^ set(colours + sum(named.values(), [])))
            problems.append("%s: Krita reads other colours, names or groups, first %r" % (resource.filename(), wrong[:2]))
    for kind in ("ase", "aco", "kpl", "pal", "gpl"):
        if kind not in found:
            problems.append("Krita did not load the %s export" % kind)
    with open(os.environ["HUES_KRITA_RESULT"], "w", encoding="utf-8") as result:
        result.write("\n".join(problems) if problems else "ok")
