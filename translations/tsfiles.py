#!/usr/bin/env python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""Keeps translations/*.ts in step with the sources.

  tsfiles.py update --lupdate LUPDATE   refreshes each .ts from its sources with lupdate
  tsfiles.py check --lupdate LUPDATE    runs lupdate on copies and fails (exit code 1) on any text
                                        a .ts lacks, leaves unfinished or keeps after the sources
                                        dropped it, and on any translation whose %1, %2... differ
                                        from its source text's

The .ts files carry no source locations, so that editing a source file does not change them.
"""
import argparse
import pathlib
import re
import shutil
import subprocess
import sys
import tempfile
import xml.etree.ElementTree as ElementTree

HERE = pathlib.Path(__file__).resolve().parent
TOP = HERE.parent

# Each file, the folders whose texts it translates, the language they are written in and the
# language it translates them into.
TS_FILES = {
    "zanora_en.ts": (["ui"], "zh_CN", "en"),
    "zanora_zh_CN.ts": (["core", "ui/app"], "en", "zh_CN"),
}


def lupdate(program, name, ts_path):
    folders, source_language, target_language = TS_FILES[name]
    subprocess.run([program, "-silent", "-locations", "none", "-no-obsolete",
                    "-source-language", source_language, "-target-language", target_language,
                    "-I", str(TOP)]
                   + [str(TOP / folder) for folder in folders] + ["-ts", str(ts_path)],
                   check=True)


def messages(ts_path):
    """(context, source) -> (translation, its type attribute or None)."""
    found = {}
    for context in ElementTree.parse(ts_path).getroot().iter("context"):
        context_name = context.findtext("name")
        for message in context.iter("message"):
            translation = message.find("translation")
            found[(context_name, message.findtext("source"))] = (
                translation.text or "", translation.get("type"))
    return found


def placeholders(text):
    return sorted(re.findall(r"%[1-9]", text))


def check(program):
    faults = []
    with tempfile.TemporaryDirectory() as work:
        for name in TS_FILES:
            kept = messages(HERE / name)
            copy = pathlib.Path(work) / name
            shutil.copyfile(HERE / name, copy)
            lupdate(program, name, copy)
            current = messages(copy)
            for context, source in sorted(current.keys() - kept.keys()):
                faults.append(f"{name}: [{context}] {source!r} is not in the file")
            for context, source in sorted(kept.keys() - current.keys()):
                faults.append(f"{name}: [{context}] {source!r} is no longer in the sources")
            for (context, source), (translation, kind) in sorted(kept.items()):
                if kind or not translation:
                    faults.append(f"{name}: [{context}] {source!r} is {kind or 'untranslated'}")
                elif placeholders(translation) != placeholders(source):
                    faults.append(f"{name}: [{context}] {source!r}: the translation "
                                  f"{translation!r} has other placeholders")
    for fault in faults:
        print(fault)
    if faults:
        print("Run `cmake --build <build folder> --target zanora_lupdate`, then translate every "
              "text marked unfinished in translations/*.ts.")
        return 1
    print(f"{', '.join(TS_FILES)}: every text translated")
    return 0


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("action", choices=["update", "check"])
    parser.add_argument("--lupdate", default="lupdate")
    args = parser.parse_args()
    if args.action == "check":
        return check(args.lupdate)
    for name in TS_FILES:
        lupdate(args.lupdate, name, HERE / name)
    return 0


if __name__ == "__main__":
    sys.exit(main())
