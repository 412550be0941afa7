#!/usr/bin/env python3
"""Checks doxygen's XML for the filtered test modules: each procedure's
brief and each parameter's description, under the right procedure."""

import glob
import sys
import xml.etree.ElementTree as ET

# class: {procedure: (brief, {parameter: description}, return)}
EXPECTED = {
    "mdlText": {
        "JoinWords": ("Joins two words with a separator.",
                      {"first": "the first word", "second": "the second word",
                       "sep": "what goes between, * / not closing"},
                      'the joined text, e.g. "a,b"'),
        "PrintAll": ("Prints every value.", {"values": "the values, any number"}, None),
    },
    "clsAccount": {
        "Balance": ("The balance now.", {}, "the balance"),
        "Transfer": ("Moves money to another account.",
                     {"target": "the account that receives", "amount": "how much"}, "True when it moved"),
    },
    "mdl日本語": {
        "合計": ("選択範囲の合計を返す。",
                 {"対象": "合計するセル範囲", "既定値": "空のときの値"}, "合計値"),
    },
}
# Texts that must arrive somewhere in a class's description: the tags
# doxygen doesn't know, as text.
CLASS_TEXTS = {"mdlText": ["Text helpers.", "@modulename mdlText", "@auther Someone"],
               "clsAccount": ["An account with a balance.", "2.0"],
               "mdl日本語": ["日本語の説明を持つモジュール。", "山田 太郎"]}
DETAIL_TEXTS = {("mdlText", "JoinWords"): ["<b> & \\\\n arrive as text", "@example", 's = JoinWords("a", "b")'],
                ("clsAccount", "Balance"): ["Getter: Balance"],
                ("mdl日本語", "合計"): ["空のセルは数えない。"]}


def text(element):
    return " ".join("".join(element.itertext()).split()) if element is not None else ""


def main(folder):
    failures = []
    classes = {}
    for path in glob.glob(folder + "/class*.xml"):
        for compound in ET.parse(path).getroot().iter("compounddef"):
            classes[compound.findtext("compoundname")] = compound
    for name, procs in EXPECTED.items():
        compound = classes.get(name)
        if compound is None:
            failures.append(f"no class {name} in {sorted(classes)}")
            continue
        described = text(compound.find("briefdescription")) + " " + text(compound.find("detaileddescription"))
        failures += [f"{name}: {t!r} not in {described!r}" for t in CLASS_TEXTS[name] if t not in described]
        members = {}
        for member in compound.iter("memberdef"):
            members.setdefault(member.findtext("name"), []).append(member)
        for proc, (brief, params, returns) in procs.items():
            found = members.get(proc, [])
            if not found:
                failures.append(f"{name}.{proc}: missing")
                continue
            # A property's Get and Let share a name: the one that has the brief.
            member = next((m for m in found if text(m.find("briefdescription")) == brief), None)
            if member is None:
                failures.append(f"{name}.{proc}: brief {brief!r} not in "
                                f"{[text(m.find('briefdescription')) for m in found]}")
                continue
            detail = member.find("detaileddescription")
            got = {text(item.find("parameternamelist")): text(item.find("parameterdescription"))
                   for item in detail.iter("parameteritem")}
            if got != params:
                failures.append(f"{name}.{proc}: parameters {got} instead of {params}")
            sect = next((s for s in detail.iter("simplesect") if s.get("kind") == "return"), None)
            if (text(sect) if sect is not None else None) != returns:
                failures.append(f"{name}.{proc}: return {text(sect) if sect is not None else None!r}")
            for t in DETAIL_TEXTS.get((name, proc), []):
                if t not in text(detail):
                    failures.append(f"{name}.{proc}: {t!r} not in {text(detail)!r}")
        if any(m.get("prot") != "private" for m in members.get("NotShown", [])):
            failures.append(f"{name}: NotShown is not private")
    for failure in failures:
        print(failure, file=sys.stderr)
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1]))
