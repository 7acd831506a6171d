#!/usr/bin/python3
"""The interoperability panel: every workbook of the panel (written by
panel_reports, with NAME.json beside NAME.xlsx) checked by one stage:

  schemas      every XML part against the ISO/IEC 29500 schemas (xmllint)
  package      what Excel checks beyond the schemas: relationships, content
               types, indices, counts, sheet names, drawing anchors
  libreoffice  the data sheet as LibreOffice reads it (CSV, values as shown)
  gnumeric     the data sheet as Gnumeric reads it (ssconvert)
  openpyxl     the data sheet as openpyxl reads it
  xlsx2csv     the data sheet as xlsx2csv reads it
  chart        the chart part's series and caches against the cells, and the
               chart page as LibreOffice draws it: gridlines, axis lines, the
               plot area where its layout puts it, time labels below the plot
  gnumeric_chart  the chart page as Gnumeric prints it: its series drawn
  pdf          the PDF report beside each workbook: qpdf finds no fault, every
               font embedded, every figure of the third sheet in its text
               beside its label, the first page's chart in each series'
               colour, and as many pages as «Стр. N из M» says, none empty
  excel        the structure of every chart part against the charts Excel
               itself wrote (tests/interop/excel-reference)
  poi          every cell, and every chart's series and axes, as Apache POI
               reads them

  panel.py STAGE PANEL_DIR [--schemas DIR] [--profile DIR] [--references DIR]
           [--poi CLASSPATH]

Each reader must give back the report input: every number equal at the
report's decimals, every date-time equal to the second, texts exact, nothing
missing and nothing extra. A missing reader is a failure, never a skip.
"""

import argparse
import csv
import datetime
import glob
import html
import json
import math
import os
import posixpath
import re
import shutil
import subprocess
import sys
import tempfile
import xml.etree.ElementTree as ET
import zipfile

NS = {
    "main": "http://schemas.openxmlformats.org/spreadsheetml/2006/main",
    "r": "http://schemas.openxmlformats.org/officeDocument/2006/relationships",
    "rel": "http://schemas.openxmlformats.org/package/2006/relationships",
    "ct": "http://schemas.openxmlformats.org/package/2006/content-types",
    "c": "http://schemas.openxmlformats.org/drawingml/2006/chart",
    "xdr": "http://schemas.openxmlformats.org/drawingml/2006/spreadsheetDrawing",
    "a": "http://schemas.openxmlformats.org/drawingml/2006/main",
    "ep": "http://schemas.openxmlformats.org/officeDocument/2006/extended-properties",
    "vt": "http://schemas.openxmlformats.org/officeDocument/2006/docPropsVTypes",
}
SCHEMA_OF_NAMESPACE = {
    NS["main"]: "sml.xsd",
    NS["c"]: "dml-chart.xsd",
    NS["xdr"]: "dml-spreadsheetDrawing.xsd",
    NS["a"]: "dml-main.xsd",
    NS["ct"]: "opc-contentTypes.xsd",
    NS["rel"]: "opc-relationships.xsd",
    NS["ep"]: "shared-documentPropertiesExtended.xsd",
}
EPOCH = datetime.datetime(1899, 12, 30)

failures = []


def fail(case, text):
    failures.append(f"{case}: {text}")


def need(program):
    if shutil.which(program) is None:
        sys.exit(f"FAIL: {program} is not installed (scripts/setup-tests.sh installs it)")


def load_cases(panel):
    cases = []
    for path in sorted(glob.glob(os.path.join(panel, "*.json"))):
        with open(path, encoding="utf-8") as f:
            case = json.load(f)
        case["workbook"] = path[:-len(".json")] + ".xlsx"  # beside it, wherever the panel is
        cases.append(case)
    if not cases:
        sys.exit(f"FAIL: no panel workbooks in {panel}")
    return cases


# ---------------------------------------------------------------- oracle ----
# What a Russian-language spreadsheet makes of each text of the report input.

NUMBER = re.compile(r"^ *[+-]?(\d+(,\d*)?|,\d+)([eE][+-]?\d+)? *$")
ISO_DATE = re.compile(r"^(\d{4})-(\d{1,2})-(\d{1,2})(?: (\d{1,2}):(\d{2})(?::(\d{2}))?)?$")
RU_DATE = re.compile(r"^(\d{1,2})\.(\d{1,2})\.(\d{4})(?: (\d{1,2}):(\d{2})(?::(\d{2}))?)?$")
CLOCK = re.compile(r"^(\d{1,2}):(\d{2})(?::(\d{2}))?$")


def seconds_since_epoch(year, month, day, hour=0, minute=0, second=0):
    moment = datetime.datetime(year, month, day, hour, minute, second)
    return round((moment - EPOCH).total_seconds())


def expected_value(text):
    """('empty',) ('n', float) ('d', seconds) ('t', seconds of the day) ('s', text)."""
    if text == "":
        return ("empty",)
    if NUMBER.match(text):
        return ("n", float(text.strip().replace(",", ".")))
    for pattern, order in ((ISO_DATE, (0, 1, 2)), (RU_DATE, (2, 1, 0))):
        m = pattern.match(text)
        if m:
            g = m.groups()
            try:
                return ("d", seconds_since_epoch(int(g[order[0]]), int(g[order[1]]),
                                                 int(g[order[2]]), int(g[3] or 0), int(g[4] or 0),
                                                 int(g[5] or 0)))
            except ValueError:
                return ("s", text)
    m = CLOCK.match(text)
    if m and int(m.group(1)) < 24 and int(m.group(2)) < 60 and int(m.group(3) or 0) < 60:
        return ("t", int(m.group(1)) * 3600 + int(m.group(2)) * 60 + int(m.group(3) or 0))
    return ("s", text)


def expected_grid(case):
    return [[expected_value(text) for text in row] for row in case["cells"]]


def expected_summary(case):
    """The third sheet's cells; each number with the decimals it is shown with."""
    grid = []
    for texts, shown in zip(case["summary"], case["summary_decimals"]):
        row = []
        for text, decimals in zip(texts, shown):
            value = expected_value(text)
            row.append(value + (decimals,) if value[0] == "n" else value)
        grid.append(row)
    return grid


def expected_sheets(case):
    """{sheet number: expected grid}: the data sheet and the summary; the
    sheet not named stays empty. A comparison: every sheet's cells."""
    if case.get("kind") == "comparison":
        return {n: [[expected_value(text) for text in row] for row in grid]
                for n, grid in enumerate(case["sheet_cells"], start=1)}
    return {case["sheet"]: expected_grid(case), 3: expected_summary(case)}


def sheet_names(case):
    """The workbook's sheets in their order."""
    return case.get("sheet_names", ["Лист1", "Лист2", "Лист3"])


def designed(cases):
    """The reports of one export, which the stages of the report's own form
    (its chart, its PDF, Excel's references) check; a comparison is read by
    every reader and validated, but has a form of its own."""
    return [case for case in cases if case.get("kind") != "comparison"]


def close_enough(number, expected, decimals):
    return abs(number - expected) <= 0.5 * 10 ** -decimals + 1e-9 * max(1.0, abs(expected))


def decimals_of(expected, case):
    return expected[2] if len(expected) > 2 else case["decimals"]


# ----------------------------------------------------------- comparisons ----

def compare_text_grid(case, reader, rows, parse, grid):
    """Compares the CSV rows of a reader with the expected cells; `parse` turns
    a shown text into the kind the expected cell has, or None."""
    mismatches = 0
    height = max(len(rows), len(grid))
    for r in range(height):
        shown_row = rows[r] if r < len(rows) else []
        expected_row = grid[r] if r < len(grid) else []
        width = max(len(shown_row), len(expected_row))
        for c in range(width):
            shown = shown_row[c] if c < len(shown_row) else ""
            expected = expected_row[c] if c < len(expected_row) else ("empty",)
            if not same(expected, shown, parse, decimals_of(expected, case)):
                mismatches += 1
                if mismatches <= 5:
                    fail(case["case"], f"{reader}: row {r + 1}, column {c + 1}: read {shown!r}, "
                                       f"expected {describe(expected)}")
    if mismatches > 5:
        fail(case["case"], f"{reader}: {mismatches} cells differ in all")


def same(expected, shown, parse, decimals):
    kind = expected[0]
    if kind == "empty":
        return shown == ""
    if kind == "s":
        return shown == expected[1]
    value = parse(kind, shown)
    if value is None:
        return False
    if kind == "n":
        return close_enough(value, expected[1], decimals)
    return value == expected[1]


def describe(expected):
    kind = expected[0]
    if kind == "empty":
        return "an empty cell"
    if kind == "d":
        return "date-time " + str(EPOCH + datetime.timedelta(seconds=expected[1]))
    if kind == "t":
        return "time " + str(datetime.timedelta(seconds=expected[1]))
    if kind == "n":
        return f"number {expected[1]!r}"
    return f"text {expected[1]!r}"


def parse_with(date_patterns):
    def parse(kind, shown):
        if kind == "n":
            try:
                return float(shown)
            except ValueError:
                return None
        if kind == "t":
            m = re.fullmatch(r"(\d{1,2}):(\d{2}):(\d{2})", shown)
            return int(m[1]) * 3600 + int(m[2]) * 60 + int(m[3]) if m else None
        for pattern in date_patterns:
            m = re.fullmatch(pattern, shown)
            if m:
                d = m.groupdict()
                year = int(d["y"]) + (2000 if len(d["y"]) == 2 else 0)
                return seconds_since_epoch(year, int(d["m"]), int(d["d"]), int(d.get("H") or 0),
                                           int(d.get("M") or 0), int(d.get("S") or 0))
        return None
    return parse


def read_csv(path):
    with open(path, encoding="utf-8", newline="") as f:
        rows = [row for row in csv.reader(f)]
    while rows and not any(rows[-1]):
        rows.pop()
    return rows


def sheet_name(case):
    return "Лист" + str(case["sheet"])


# --------------------------------------------------------------- readers ----

def stage_libreoffice(cases, args):
    need("soffice")
    out = tempfile.mkdtemp(prefix="panel-lo-")
    workbooks = [case["workbook"] for case in cases]
    # Every sheet to its own file, values as shown.
    run(["soffice", f"-env:UserInstallation=file://{args.profile}", "--headless", "--norestore",
         "--nolockcheck", "--convert-to",
         "csv:Text - txt - csv (StarCalc):44,34,76,1,,0,false,true,true,false,false,-1",
         "--outdir", out] + workbooks)
    parse = parse_with([r"(?P<d>\d{2})/(?P<m>\d{2})/(?P<y>\d{2}) (?P<H>\d{1,2}):(?P<M>\d{2}):(?P<S>\d{2})",
                        r"(?P<d>\d{2})\.(?P<m>\d{2})\.(?P<y>\d{4})"])
    for case in cases:
        stem = os.path.splitext(os.path.basename(case["workbook"]))[0]
        compare_text_sheets(case, "LibreOffice", parse,
                            [os.path.join(out, f"{stem}-{name}.csv") for name in sheet_names(case)])
    shutil.rmtree(out, ignore_errors=True)


def compare_text_sheets(case, reader, parse, paths):
    """Each sheet's CSV (paths of the sheets in order) against what it must
    hold: the data sheet its table, the third the summary, any other nothing."""
    sheets = expected_sheets(case)
    for n, (path, name) in enumerate(zip(paths, sheet_names(case)), start=1):
        if n in sheets:
            if not os.path.exists(path):
                fail(case["case"], f"{reader} gave no sheet {name}")
                continue
            compare_text_grid(case, f"{reader} {name}", read_csv(path), parse, sheets[n])
        elif os.path.exists(path) and any(any(row) for row in read_csv(path)):
            fail(case["case"], f"{reader}: sheet {name} is not empty")


def stage_gnumeric(cases, args):
    need("ssconvert")
    out = tempfile.mkdtemp(prefix="panel-gnumeric-")
    parse = parse_with([r"(?P<y>\d{4})/(?P<m>\d{2})/(?P<d>\d{2}) (?P<H>\d{2}):(?P<M>\d{2}):(?P<S>\d{2})",
                        r"(?P<y>\d{4})/(?P<m>\d{2})/(?P<d>\d{2})"])
    for case in cases:
        stem = os.path.join(out, case["case"])
        result = run(["ssconvert", "--export-type=Gnumeric_stf:stf_csv", "-S", case["workbook"],
                      stem + "-%n.csv"], check=False)
        paths = [f"{stem}-{n}.csv" for n in range(len(sheet_names(case)))]
        if result.returncode != 0:
            fail(case["case"], f"Gnumeric read nothing: {result.stderr.strip()}")
            continue
        if "assertion" in result.stderr or "CRITICAL" in result.stderr:
            fail(case["case"], f"Gnumeric complained: {result.stderr.strip()[:300]}")
        compare_text_sheets(case, "Gnumeric", parse, paths)
    shutil.rmtree(out, ignore_errors=True)


def stage_xlsx2csv(cases, args):
    need("xlsx2csv")
    out = tempfile.mkdtemp(prefix="panel-xlsx2csv-")
    # Date-times and times in full: xlsx2csv's own reading of "h" is a
    # 12-hour clock and its default time has no seconds.
    parse = parse_with([r"(?P<y>\d{4})-(?P<m>\d{2})-(?P<d>\d{2}) (?P<H>\d{2}):(?P<M>\d{2}):(?P<S>\d{2})"])
    for case in cases:
        paths = []
        for n in range(1, len(sheet_names(case)) + 1):
            path = os.path.join(out, f"{case['case']}-{n}.csv")
            result = run(["xlsx2csv", "-s", str(n), "-f", "%Y-%m-%d %H:%M:%S", "-t", "%H:%M:%S",
                          case["workbook"], path], check=False)
            if result.returncode != 0:
                fail(case["case"], f"xlsx2csv failed on sheet {n}: {result.stderr.strip()}")
            paths.append(path)
        compare_text_sheets(case, "xlsx2csv", parse, paths)
    shutil.rmtree(out, ignore_errors=True)


def stage_openpyxl(cases, args):
    try:
        import openpyxl
    except ImportError:
        sys.exit("FAIL: openpyxl is not installed (python3-openpyxl; scripts/setup-tests.sh installs it)")
    for case in cases:
        book = openpyxl.load_workbook(case["workbook"], data_only=True)
        if book.sheetnames != sheet_names(case):
            fail(case["case"], f"openpyxl: sheets {book.sheetnames}")
            continue
        sheets = expected_sheets(case)
        for n, sheet in enumerate(book.worksheets, start=1):
            name = sheet_names(case)[n - 1]
            values = {}
            for row in sheet.iter_rows():
                for cell in row:
                    if cell.value is not None:
                        values[(cell.row, cell.column)] = cell.value
            if n not in sheets:
                if values:
                    fail(case["case"], f"openpyxl: sheet {name} is not empty")
                continue
            compare_cells(case, f"openpyxl {name}", sheets[n], values, same_typed)


def compare_cells(case, reader, grid, values, matches):
    """Compares the cells a reader gives by place, {(row, column): value},
    with the expected grid; `matches(expected, value, decimals)` judges one."""
    mismatches = 0
    seen = set()
    for r, row in enumerate(grid, start=1):
        for c, expected in enumerate(row, start=1):
            seen.add((r, c))
            value = values.get((r, c))
            if not matches(expected, value, decimals_of(expected, case)):
                mismatches += 1
                if mismatches <= 5:
                    fail(case["case"], f"{reader}: row {r}, column {c}: read {value!r}, "
                                       f"expected {describe(expected)}")
    for place in sorted(set(values) - seen):
        mismatches += 1
        if mismatches <= 5:
            fail(case["case"], f"{reader}: extra cell {place}: {values[place]!r}")
    if mismatches > 5:
        fail(case["case"], f"{reader}: {mismatches} cells differ in all")


def same_typed(expected, value, decimals):
    kind = expected[0]
    if kind == "empty":
        return value is None or value == ""
    if kind == "s":
        return isinstance(value, str) and value == expected[1]
    if kind == "n":
        return isinstance(value, (int, float)) and not isinstance(value, bool) and \
            close_enough(float(value), expected[1], decimals)
    if kind == "d":
        return isinstance(value, datetime.datetime) and \
            round((value - EPOCH).total_seconds()) == expected[1]
    if kind == "t":
        return isinstance(value, datetime.time) and \
            value.hour * 3600 + value.minute * 60 + value.second == expected[1]
    return False


# --------------------------------------------------------------- schemas ----

def stage_schemas(cases, args):
    need("xmllint")
    by_schema = {}
    work = tempfile.mkdtemp(prefix="panel-xsd-")
    for case in cases:
        with zipfile.ZipFile(case["workbook"]) as package:
            for name in package.namelist():
                if not (name.endswith(".xml") or name.endswith(".rels")):
                    continue
                text = package.read(name).decode("utf-8")
                path = os.path.join(work, case["case"], name.replace("[", "(").replace("]", ")"))
                os.makedirs(os.path.dirname(path), exist_ok=True)
                namespace = element_namespace(text)
                if name == "docProps/core.xml":
                    schema = None  # needs the Dublin Core schemas: well-formedness only
                else:
                    schema = SCHEMA_OF_NAMESPACE.get(namespace)
                    if schema is None:
                        fail(case["case"], f"{name}: no schema for its root namespace {namespace}")
                        continue
                if name == "xl/sharedStrings.xml":
                    # The schemas' known gap: xml:space on <t>, which every writer emits.
                    text = text.replace('<t xml:space="preserve">', "<t>")
                with open(path, "w", encoding="utf-8") as f:
                    f.write(text)
                by_schema.setdefault(schema, []).append((case["case"], name, path))
    for schema, parts in by_schema.items():
        command = ["xmllint", "--noout"]
        if schema:
            command += ["--schema", os.path.join(args.schemas, schema)]
        result = run(command + [path for _, _, path in parts], check=False)
        for case, name, path in parts:
            errors = [line.replace(path, name) for line in result.stderr.splitlines()
                      if line.startswith(path + ":")]
            invalid = f"{path} fails to validate" in result.stderr
            if errors or invalid or (schema and f"{path} validates" not in result.stderr):
                fail(case, f"{name} does not validate against {schema or 'XML'}:\n    " +
                     "\n    ".join(errors[:10] or [result.stderr.strip()[:500]]))
    shutil.rmtree(work, ignore_errors=True)


def element_namespace(text):
    """The namespace of the root element."""
    root = ET.fromstring(text.encode("utf-8"))
    return root.tag[1:].split("}")[0] if root.tag.startswith("{") else ""


# --------------------------------------------------------------- package ----

def stage_package(cases, args):
    for case in cases:
        with zipfile.ZipFile(case["workbook"]) as package:
            problems = check_package(package)
        for problem in problems[:5]:
            fail(case["case"], problem)
        if len(problems) > 5:
            fail(case["case"], f"{len(problems)} problems in all")


def q(prefix, name):
    return "{" + NS[prefix] + "}" + name


def check_package(package):
    problems = []
    names = set(package.namelist())
    xml = {}

    def part(name):
        if name not in xml:
            xml[name] = ET.fromstring(package.read(name))
        return xml[name]

    if "[Content_Types].xml" not in names:
        return ["no [Content_Types].xml"]
    types = part("[Content_Types].xml")
    defaults = {d.get("Extension").lower(): d.get("ContentType") for d in types.findall(q("ct", "Default"))}
    overrides = {o.get("PartName"): o.get("ContentType") for o in types.findall(q("ct", "Override"))}
    for name in names:
        if name == "[Content_Types].xml" or name.endswith("/"):
            continue
        if "/" + name not in overrides and name.rsplit(".", 1)[-1].lower() not in defaults:
            problems.append(f"{name} has no content type")
    for name in overrides:
        if name[1:] not in names:
            problems.append(f"content type for {name}, which is not in the package")

    # Relationships: every target exists, ids are unique.
    targets = {}
    for rels in [n for n in names if n.endswith(".rels")]:
        folder, file = posixpath.split(rels)
        source = posixpath.join(posixpath.dirname(folder), file[:-len(".rels")])
        ids = set()
        for r in part(rels).findall(q("rel", "Relationship")):
            if r.get("Id") in ids:
                problems.append(f"{rels}: relationship {r.get('Id')} twice")
            ids.add(r.get("Id"))
            if r.get("TargetMode") == "External":
                continue
            target = r.get("Target")
            resolved = target[1:] if target.startswith("/") else \
                posixpath.normpath(posixpath.join(posixpath.dirname(source), target))
            targets[(source, r.get("Id"))] = resolved
            if resolved not in names:
                problems.append(f"{rels}: {r.get('Id')} points at {resolved}, which is missing")
    if "xl/workbook.xml" not in targets.values():
        problems.append("the package relationships do not lead to xl/workbook.xml")
        return problems
    # The parts every workbook of Excel's holds, and the theme that its
    # styles and charts take their colours and fonts from.
    for name in ("xl/theme/theme1.xml", "xl/styles.xml", "docProps/core.xml", "docProps/app.xml"):
        if name not in names:
            problems.append(f"no {name}, which every Excel workbook holds")
    theme_type = "http://schemas.openxmlformats.org/officeDocument/2006/relationships/theme"
    if "xl/_rels/workbook.xml.rels" in names and not any(
            r.get("Type") == theme_type and r.get("Target") == "theme/theme1.xml"
            for r in part("xl/_rels/workbook.xml.rels").findall(q("rel", "Relationship"))):
        problems.append("the workbook does not relate its theme")

    # Sheets: names valid and unique, each one resolved.
    workbook = part("xl/workbook.xml")
    sheet_parts = []
    seen_names = set()
    for sheet in workbook.find(q("main", "sheets")):
        name = sheet.get("name")
        if not (1 <= len(name) <= 31) or re.search(r"[\[\]:*?/\\]", name) or \
                name.startswith("'") or name.endswith("'"):
            problems.append(f"sheet name {name!r} is not valid")
        if name.lower() in seen_names:
            problems.append(f"sheet name {name!r} twice")
        seen_names.add(name.lower())
        target = targets.get(("xl/workbook.xml", sheet.get(q("r", "id"))))
        if target is None:
            problems.append(f"sheet {name!r} has no part")
        elif target.startswith("xl/worksheets/"):
            sheet_parts.append(target)

    # Styles: counts agree, indices in range.
    styles = part("xl/styles.xml")

    def counted(element_name):
        element = styles.find(q("main", element_name))
        if element is None:
            return []
        children = list(element)
        if element.get("count") is not None and int(element.get("count")) != len(children):
            problems.append(f"styles: {element_name} count {element.get('count')}, holds {len(children)}")
        return children

    number_formats = {int(f.get("numFmtId")) for f in counted("numFmts")}
    fonts, fills, borders = counted("fonts"), counted("fills"), counted("borders")
    style_xfs, cell_xfs = counted("cellStyleXfs"), counted("cellXfs")
    counted("cellStyles")
    counted("dxfs")
    for i, xf in enumerate(cell_xfs):
        number_format = int(xf.get("numFmtId", 0))
        if number_format >= 164 and number_format not in number_formats:
            problems.append(f"styles: cell format {i} names number format {number_format}, not defined")
        for attribute, pool in (("fontId", fonts), ("fillId", fills), ("borderId", borders),
                                ("xfId", style_xfs)):
            if int(xf.get(attribute, 0)) >= len(pool):
                problems.append(f"styles: cell format {i}: {attribute} {xf.get(attribute)} out of range")

    # Shared strings: indices in range, counts agree with the cells.
    strings = part("xl/sharedStrings.xml") if "xl/sharedStrings.xml" in names else None
    unique = len(strings.findall(q("main", "si"))) if strings is not None else 0
    uses = 0
    for sheet_part in sheet_parts:
        uses += check_sheet(sheet_part, part(sheet_part), len(cell_xfs), unique, problems)
        rels = posixpath.join(posixpath.dirname(sheet_part), "_rels",
                              posixpath.basename(sheet_part) + ".rels")
        drawing = part(sheet_part).find(q("main", "drawing"))
        if drawing is not None:
            target = targets.get((sheet_part, drawing.get(q("r", "id"))))
            if target is None:
                problems.append(f"{sheet_part}: its drawing has no relationship in {rels}")
            else:
                check_drawing(target, part(target), targets, problems)
    if strings is not None:
        if int(strings.get("uniqueCount", unique)) != unique:
            problems.append(f"shared strings: uniqueCount {strings.get('uniqueCount')}, holds {unique}")
        if int(strings.get("count", uses)) != uses:
            problems.append(f"shared strings: count {strings.get('count')}, the cells use {uses}")

    for chart in [n for n in names if n.startswith("xl/charts/chart")]:
        check_chart(chart, part(chart), problems)
    if "docProps/app.xml" in names:
        check_app_properties(part("docProps/app.xml"), len(workbook.find(q("main", "sheets"))), problems)
    return problems


def cell_place(reference):
    m = re.fullmatch(r"([A-Z]{1,3})(\d+)", reference or "")
    if not m:
        return None
    column = 0
    for letter in m.group(1):
        column = column * 26 + ord(letter) - 64
    return int(m.group(2)), column


def check_sheet(name, sheet, styles, unique, problems):
    uses = 0
    last_row = 0
    used = []
    for row in sheet.find(q("main", "sheetData")):
        r = int(row.get("r", 0))
        if r <= last_row or r > 1048576:
            problems.append(f"{name}: row {row.get('r')} out of order or range")
        last_row = r
        last_column = 0
        for cell in row:
            place = cell_place(cell.get("r"))
            if place is None or place[0] != r or place[1] <= last_column or place[1] > 16384:
                problems.append(f"{name}: cell {cell.get('r')!r} in row {r} has a wrong reference")
                continue
            last_column = place[1]
            used.append(place)
            if int(cell.get("s", 0)) >= styles:
                problems.append(f"{name}: cell {cell.get('r')} has style {cell.get('s')} of {styles}")
            if cell.get("t") == "s":
                uses += 1
                value = cell.find(q("main", "v"))
                if value is None or not 0 <= int(value.text) < unique:
                    problems.append(f"{name}: cell {cell.get('r')} names a missing shared string")
    dimension = sheet.find(q("main", "dimension"))
    if used and dimension is not None:
        corners = [cell_place(p) for p in dimension.get("ref").split(":")]
        first, last = corners[0], corners[-1]
        rows = [p[0] for p in used]
        columns = [p[1] for p in used]
        if None in corners or first[0] > min(rows) or first[1] > min(columns) or \
                last[0] < max(rows) or last[1] < max(columns):
            problems.append(f"{name}: dimension {dimension.get('ref')} does not hold every cell")
    columns = sheet.find(q("main", "cols"))
    if columns is not None:
        last = 0
        for col in columns:
            low, high = int(col.get("min")), int(col.get("max"))
            if low <= last or high < low or high > 16384:
                problems.append(f"{name}: column widths overlap or are out of range")
            last = high
    return uses


def check_drawing(name, drawing, targets, problems):
    ids = set()
    for anchor in drawing:
        kind = anchor.tag.split("}")[1]
        start = anchor.find(q("xdr", "from"))
        if start is not None:
            col, row = int(start.findtext(q("xdr", "col"))), int(start.findtext(q("xdr", "row")))
            offsets = int(start.findtext(q("xdr", "colOff"))), int(start.findtext(q("xdr", "rowOff")))
            if not (0 <= col < 16384 and 0 <= row < 1048576) or min(offsets) < 0:
                problems.append(f"{name}: {kind} starts outside the sheet")
        extent = anchor.find(q("xdr", "ext"))
        if extent is not None and (int(extent.get("cx")) <= 0 or int(extent.get("cy")) <= 0):
            problems.append(f"{name}: {kind} has no size")
        end = anchor.find(q("xdr", "to"))
        if end is not None and start is not None and \
                (int(end.findtext(q("xdr", "col"))), int(end.findtext(q("xdr", "row")))) < (col, row):
            problems.append(f"{name}: {kind} ends before it starts")
        frame = anchor.find(q("xdr", "graphicFrame"))
        if frame is None:
            continue
        properties = frame.find(f"{q('xdr', 'nvGraphicFramePr')}/{q('xdr', 'cNvPr')}")
        if properties.get("id") in ids:
            problems.append(f"{name}: drawing object id {properties.get('id')} twice")
        ids.add(properties.get("id"))
        chart = frame.find(f".//{q('c', 'chart')}")
        if chart is not None and (name, chart.get(q("r", "id"))) not in targets:
            problems.append(f"{name}: chart {chart.get(q('r', 'id'))} has no relationship")


def check_chart(name, chart, problems):
    axes = {a.find(q("c", "axId")).get("val") for a in chart.find(f".//{q('c', 'plotArea')}")
            if a.find(q("c", "axId")) is not None and a.tag.endswith("Ax")}
    for group in chart.iter(q("c", "scatterChart")):
        for axis in group.findall(q("c", "axId")):
            if axis.get("val") not in axes:
                problems.append(f"{name}: a series group names axis {axis.get('val')}, not defined")
    for axis in chart.find(f".//{q('c', 'plotArea')}"):
        cross = axis.find(q("c", "crossAx"))
        if cross is not None and cross.get("val") not in axes:
            problems.append(f"{name}: an axis crosses axis {cross.get('val')}, not defined")
    for cache in list(chart.iter(q("c", "numCache"))) + list(chart.iter(q("c", "strCache"))):
        count = int(cache.find(q("c", "ptCount")).get("val"))
        for point in cache.findall(q("c", "pt")):
            if not 0 <= int(point.get("idx")) < count:
                problems.append(f"{name}: cached point {point.get('idx')} beyond its count {count}")


def check_app_properties(app, sheets, problems):
    titles = app.find(f"{q('ep', 'TitlesOfParts')}/{q('vt', 'vector')}")
    pairs = app.find(f"{q('ep', 'HeadingPairs')}/{q('vt', 'vector')}")
    if titles is None or pairs is None:
        problems.append("app.xml: no heading pairs or titles of parts")
        return
    if int(titles.get("size")) != len(titles) or int(titles.get("size")) != sheets:
        problems.append(f"app.xml: {titles.get('size')} titles for {sheets} sheets")
    if int(pairs.get("size")) != len(pairs):
        problems.append("app.xml: heading pairs size differs from its contents")
    counted = sum(int(v.findtext(q("vt", "i4"))) for v in pairs if v.find(q("vt", "i4")) is not None)
    if counted != len(titles):
        problems.append(f"app.xml: heading pairs count {counted} parts, titles hold {len(titles)}")


# ----------------------------------------------------------------- chart ----

def stage_chart(cases, args):
    cases = designed(cases)
    need("soffice")
    need("pdftoppm")
    need("pdftotext")
    charted = [case for case in cases if case["layout"] in (3, 6, 9, 100)]
    for case in charted:
        check_chart_caches(case)
    out = tempfile.mkdtemp(prefix="panel-pdf-")
    # The first page only: the chart. The table's pages would take minutes.
    run(["soffice", f"-env:UserInstallation=file://{args.profile}", "--headless", "--norestore",
         "--nolockcheck", "--convert-to",
         'pdf:calc_pdf_Export:{"PageRange":{"type":"string","value":"1"}}',
         "--outdir", out] + [c["workbook"] for c in charted])
    for case in charted:
        stem = os.path.splitext(os.path.basename(case["workbook"]))[0]
        pdf = os.path.join(out, stem + ".pdf")
        if not os.path.exists(pdf):
            fail(case["case"], "LibreOffice drew no chart page")
            continue
        run(["pdftoppm", "-r", "40", "-f", "1", "-l", "1", pdf, os.path.join(out, stem)])
        pages = glob.glob(os.path.join(out, stem + "*.ppm"))
        coloured = coloured_pixels(pages[0]) if pages else 0
        # A drawn series is a line of colour; an empty window draws none but
        # still shows its axes and titles in grey.
        least = 0 if case["case"] == "empty_window" else 150
        if not pages or coloured < least or (least == 0 and dark_pixels(pages[0]) < 500):
            fail(case["case"], f"the chart page looks blank ({coloured} coloured pixels)")
        run(["pdftoppm", "-r", "72", "-f", "1", "-l", "1", pdf, os.path.join(out, stem + "-72")])
        sharp = glob.glob(os.path.join(out, stem + "-72*.ppm"))
        if sharp:
            check_rendered_plot(case, sharp[0], pdf)
    shutil.rmtree(out, ignore_errors=True)


def chart_sheet(workbook):
    """The name of the sheet that holds the chart."""
    with zipfile.ZipFile(workbook) as package:
        names = set(package.namelist())
        book = ET.fromstring(package.read("xl/workbook.xml"))
        rels = ET.fromstring(package.read("xl/_rels/workbook.xml.rels"))
    targets = {r.get("Id"): r.get("Target") for r in rels}
    for sheet in book.find(q("main", "sheets")):
        target = targets[sheet.get(f"{{{NS['r']}}}id")].lstrip("/")
        target = target if target.startswith("xl/") else "xl/" + target
        folder, name = posixpath.split(target)
        if posixpath.join(folder, "_rels", name + ".rels") in names:
            return sheet.get("name")
    return None


def stage_gnumeric_chart(cases, args):
    cases = designed(cases)
    need("ssconvert")
    need("pdftoppm")
    out = tempfile.mkdtemp(prefix="panel-gnumeric-pdf-")
    for case in [c for c in cases if c["layout"] in (3, 6, 9, 100)]:
        stem = os.path.join(out, case["case"])
        sheet = chart_sheet(case["workbook"])
        run(["ssconvert", "--export-type=Gnumeric_pdf:pdf_assistant", "-O", f"sheet={sheet}",
             case["workbook"], stem + ".pdf"], check=False)
        if not os.path.exists(stem + ".pdf"):
            fail(case["case"], "Gnumeric printed no chart page")
            continue
        run(["pdftoppm", "-r", "40", "-f", "1", "-l", "1", stem + ".pdf", stem])
        pages = glob.glob(stem + "*.ppm")
        coloured = coloured_pixels(pages[0]) if pages else 0
        least = 0 if case["case"] == "empty_window" else 150
        if coloured < least:
            fail(case["case"], f"Gnumeric draws the chart without its series ({coloured} "
                               "coloured pixels)")
    shutil.rmtree(out, ignore_errors=True)


# The colours of a chart's series by their place (the workbook's theme).
SERIES_COLOURS = ["4F81BD", "C0504D", "9BBB59", "8064A2", "4BACC6", "F79646", "385D8A", "8C3836"]
ISO_STAMP = re.compile(r"^(\d{4})-(\d{2})-(\d{2})( \d{2}:\d{2}:\d{2})?$")


def pdf_shown(text, decimals):
    """A cell of the third sheet as the PDF report prints it."""
    if decimals >= 0 and text:
        shown = f"{float(text.replace(',', '.')):.{decimals}f}".replace(".", ",")
        return shown[1:] if shown.startswith("-") and not shown.strip("-0,") else shown
    m = ISO_STAMP.match(text)
    if m:
        return f"{m.group(3)}.{m.group(2)}.{m.group(1)}{m.group(4) or ''}"
    return text


def words(text):
    return text.split()


def follows(tokens, label, values):
    """Whether each value's words come after an occurrence of the label's
    words, in order: in one table, or in the parts a wide table is printed
    in, each of which begins with the label again."""
    remaining = list(values)
    n = len(label)
    for start in range(len(tokens) - n + 1):
        if not remaining:
            break
        if tokens[start:start + n] != label:
            continue
        at = start + n
        while remaining and at < len(tokens) and at < start + n + 12 * len(values) + 40:
            value = remaining[0]
            if tokens[at:at + len(value)] == value:
                remaining.pop(0)
                at += len(value)
            elif tokens[at:at + len(label)] == label:
                break
            else:
                at += 1
    return not remaining


def check_pdf_file(name, pdf):
    """qpdf finds the file sound and every font is embedded."""
    check = run(["qpdf", "--check", pdf], check=False)
    if check.returncode != 0 or "No syntax or stream encoding errors" not in check.stdout:
        fail(name, f"qpdf finds faults: {(check.stdout + check.stderr).strip()[:300]}")
    fonts = run(["pdffonts", pdf]).stdout.splitlines()[2:]
    if not fonts or any(line.split()[-5] != "yes" for line in fonts):
        fail(name, "a font is not embedded: " + "; ".join(fonts))


def check_comparison_pdf(case, pdf):
    """The comparison's PDF: every tag and its verdict in the overview, a
    page per quantity's chart and per tag, each page numbered."""
    name = case["case"]
    check_pdf_file(name, pdf)
    overview = case["sheet_cells"][0]
    tags = [row[0] for row in overview[1:] if row and row[0] and "предел" not in row[0]
            and row[0] != "Линии пределов на графиках"]
    tokens = words(run(["pdftotext", "-raw", "-enc", "UTF-8", pdf, "-"]).stdout)
    for row in overview[1:len(tags) + 1]:
        if not follows(tokens, words(row[0]), [words(row[1]), words(row[2])]):
            fail(name, f"the overview's row of {row[0]} is not in the PDF as on the sheet")
    pages = int(re.search(r"Pages:\s+(\d+)", run(["pdfinfo", pdf]).stdout).group(1))
    if pages < 1 + len(tags):
        fail(name, f"{pages} pages for {len(tags)} tags")
    for page in range(1, pages + 1):
        page_text = run(["pdftotext", "-f", str(page), "-l", str(page), "-enc", "UTF-8",
                         pdf, "-"]).stdout
        if f"Стр. {page} из {pages}" not in page_text:
            fail(name, f"page {page} does not say «Стр. {page} из {pages}»")
    for tag in tags:
        if f"Отчёт по выгрузке «{tag}»" not in run(["pdftotext", "-enc", "UTF-8", pdf,
                                                      "-"]).stdout:
            fail(name, f"no page of the tag {tag}")


def stage_pdf(cases, args):
    for program in ("qpdf", "pdffonts", "pdftotext", "pdftoppm", "pdfinfo"):
        need(program)
    for case in cases:
        if case.get("kind") == "comparison":
            pdf = os.path.splitext(case["workbook"])[0] + ".pdf"
            if not os.path.exists(pdf):
                fail(case["case"], "no PDF beside the comparison workbook")
            else:
                check_comparison_pdf(case, pdf)
    cases = designed(cases)
    out = tempfile.mkdtemp(prefix="panel-pdf-report-")
    for case in cases:
        pdf = os.path.splitext(case["workbook"])[0] + ".pdf"
        name = case["case"]
        if not os.path.exists(pdf):
            fail(name, "no PDF report beside the workbook")
            continue
        check_pdf_file(name, pdf)
        text = run(["pdftotext", "-raw", "-enc", "UTF-8", pdf, "-"], check=False)
        if "Warning" in text.stderr or "Error" in text.stderr:
            fail(name, f"pdftotext complains: {text.stderr.strip()[:200]}")
        tokens = words(text.stdout)

        # Every figure of the third sheet beside its label, up to the sign-off.
        missing = []
        for texts, shown in zip(case["summary"], case["summary_decimals"]):
            if texts and texts[0] == "Проверил":
                break
            cells = [pdf_shown(t, d) for t, d in zip(texts, shown)]
            if not cells or not cells[0]:
                continue
            values = [words(v) for v in cells[1:] if v.strip()]
            if not follows(tokens, words(cells[0]), values):
                missing.append(" | ".join(c for c in cells if c))
        if missing:
            fail(name, f"{len(missing)} rows of the summary not in the PDF as on the sheet, "
                       f"such as: {missing[0][:200]}")

        # Pages: as many as the footers count, none empty, the sign-off last.
        pages = int(re.search(r"Pages:\s+(\d+)", run(["pdfinfo", pdf]).stdout).group(1))
        for page in range(1, pages + 1):
            page_text = run(["pdftotext", "-f", str(page), "-l", str(page), "-enc", "UTF-8",
                             pdf, "-"]).stdout
            if f"Стр. {page} из {pages}" not in page_text:
                fail(name, f"page {page} does not say «Стр. {page} из {pages}»")
            if len(page_text.split()) < 12:
                fail(name, f"page {page} is all but empty")
            if page == pages and not all(w in page_text for w in ("Проверил", "Подпись", "Дата",
                                                                   "SHA-256")):
                fail(name, "the last page has no sign-off lines and digest")

        # The first page's chart, in every series' colour.
        if case["layout"] in (3, 6, 9, 100) and case["case"] != "empty_window":
            with zipfile.ZipFile(case["workbook"]) as package:
                chart = ET.fromstring(package.read("xl/charts/chart1.xml"))
            series = [ser for ser in chart.iter(q("c", "ser")) if ser.find(
                f"{q('c', 'spPr')}/{q('a', 'ln')}/{q('a', 'prstDash')}") is None]
            stem = os.path.join(out, name)
            run(["pdftoppm", "-r", "100", "-f", "1", "-l", "1", pdf, stem])
            page = glob.glob(stem + "*.ppm")
            pixels = read_ppm(page[0]) if page else b""
            for position in range(len(series)):
                colour = bytes.fromhex(SERIES_COLOURS[position % len(SERIES_COLOURS)])
                if not has_colour(pixels, colour):
                    fail(name, f"the chart on page 1 has no line in the colour of series "
                               f"{position + 1} (#{colour.hex()})")
    shutil.rmtree(out, ignore_errors=True)


def has_colour(pixels, colour, tolerance=24):
    r, g, b = colour
    for i in range(0, len(pixels) - 2, 3):
        if (abs(pixels[i] - r) <= tolerance and abs(pixels[i + 1] - g) <= tolerance
                and abs(pixels[i + 2] - b) <= tolerance):
            return True
    return False


# The chart page at 72 dpi: a pixel is a point of the page.
# The value axes' labels carry decimals ("0,00" and "0,000" formats).
NUMBER_WORD = re.compile(r"^-?\d+[.,]\d+$")
TIME_WORD = re.compile(r"\d[/:]\d")


def page_words(pdf):
    """(text, xMin, yMin, xMax, yMax) of every word on the first page."""
    text = run(["pdftotext", "-bbox", "-f", "1", "-l", "1", pdf, "-"]).stdout
    return [(html.unescape(m[5]), float(m[1]), float(m[2]), float(m[3]), float(m[4]))
            for m in re.finditer(r'<word xMin="([\d.]+)" yMin="([\d.]+)" xMax="([\d.]+)" '
                                 r'yMax="([\d.]+)">([^<]*)</word>', text)]


class Raster:
    def __init__(self, path):
        with open(path, "rb") as f:
            data = f.read()
        header = re.match(rb"P6\s+(\d+)\s+(\d+)\s+(\d+)\s", data)
        self.width, self.height = int(header[1]), int(header[2])
        self.pixels = data[header.end():]

    def grey(self, x, y, darkest=0, lightest=235):
        """A grey (not coloured, not white) pixel: a line of the axes or the grid."""
        if not (0 <= x < self.width and 0 <= y < self.height):
            return False
        i = (y * self.width + x) * 3
        r, g, b = self.pixels[i:i + 3]
        return max(r, g, b) - min(r, g, b) < 20 and darkest <= max(r, g, b) < lightest

    def longest_run(self, points, gap=6):
        """The longest run of grey pixels along `points`, gaps of `gap` bridged
        (a series line crossing the grid)."""
        best = length = missing = 0
        for x, y in points:
            if self.grey(x, y):
                length += missing + 1
                missing = 0
            elif length:
                missing += 1
                if missing > gap:
                    length = missing = 0
            best = max(best, length)
        return best


def chart_layout(workbook):
    """The plot area's inner layout, and the primary value axis's scale:
    (shares or None, (minimum, maximum, logarithmic))."""
    with zipfile.ZipFile(workbook) as package:
        chart = ET.fromstring(package.read("xl/charts/chart1.xml"))
    plot = chart.find(f"{q('c', 'chart')}/{q('c', 'plotArea')}")
    layout = plot.find(f"{q('c', 'layout')}/{q('c', 'manualLayout')}")
    shares = {}
    for name in ("x", "y", "w", "h"):
        share = layout.find(q("c", name)) if layout is not None else None
        if share is None:
            shares = None
            break
        shares[name] = float(share.get("val"))
    scale = (None, None, False)
    for axis in plot.findall(q("c", "valAx")):
        if axis.find(q("c", "axPos")).get("val") == "l":
            scaling = axis.find(q("c", "scaling"))
            limit = {name: float(scaling.find(q("c", name)).get("val"))
                     for name in ("min", "max") if scaling.find(q("c", name)) is not None}
            scale = (limit.get("min"), limit.get("max"), scaling.find(q("c", "logBase")) is not None)
    return shares, scale


def check_rendered_plot(case, ppm, pdf):
    """LibreOffice draws the grid and the axis lines, puts the plot area where
    its layout says, and the time labels below the plot."""
    raster = Raster(ppm)
    words = page_words(pdf)
    layout, (minimum, maximum, logarithmic) = chart_layout(case["workbook"])
    if layout is None:
        fail(case["case"], "chart: the plot area has no inner layout")
    numbers = [w for w in words if NUMBER_WORD.match(w[0])]
    if len(numbers) < 2:
        fail(case["case"], "rendered chart: no value-axis labels")
        return
    # The primary value axis's labels stand right-aligned left of the plot;
    # their values and places give the scale, and the scale the plot's top
    # and bottom (its limits, where they are fixed).
    left_edge = min(w[3] for w in numbers)
    primary = sorted(((float(w[0].replace(",", ".")), (w[2] + w[4]) / 2)
                      for w in numbers if abs(w[3] - left_edge) < 1.5), key=lambda p: p[1])
    scaled = (lambda v: math.log10(v)) if logarithmic else (lambda v: v)
    (high, y_high), (low, y_low) = primary[0], primary[-1]
    def place(value):
        return y_low + (scaled(value) - scaled(low)) * (y_high - y_low) / (scaled(high) - scaled(low))
    top = place(maximum) if maximum is not None and len(primary) > 1 else y_high
    bottom = place(minimum) if minimum is not None and len(primary) > 1 else y_low
    plot_left = left_edge + 3

    # The chart's frame: its top edge is the first long grey line of the page.
    frame_top = next((y for y in range(raster.height)
                      if raster.longest_run([(x, y) for x in range(raster.width)], gap=0) > 400),
                     None)
    if frame_top is None:
        fail(case["case"], "rendered chart: no frame")
        return
    row = [x for x in range(raster.width) if raster.grey(x, frame_top)]
    frame_left, frame_width = row[0], row[-1] - row[0]
    frame_bottom = max(y for y in range(frame_top, raster.height) if raster.grey(frame_left, y))
    frame_height = frame_bottom - frame_top
    shares = layout or {"x": 0.1, "w": 0.6}
    plot_right = int(frame_left + (shares["x"] + shares["w"]) * frame_width) - 2
    width = plot_right - int(plot_left)

    # A gridline at every label above the lowest (the time axis's own line may
    # stand there), and the value axis's line, grey where the series do not
    # cross them; a plot that its series cover (a thinned light export) hides
    # both.
    samples = [(x, y) for x in range(int(plot_left), plot_right, 4)
               for y in range(int(top), int(bottom), 4)]
    hidden = sum(1 for x, y in samples if not raster.grey(x, y, lightest=256)) > 0.5 * len(samples)
    gridlines = 0
    for _, y_label in primary:
        y = round(y_label)
        rows = [[(x, y + dy) for x in range(int(plot_left), plot_right)] for dy in (-1, 0, 1)]
        if y < y_low - 1 and \
                max(sum(1 for x, yy in line if raster.grey(x, yy)) for line in rows) > 0.3 * width:
            gridlines += 1
    if not hidden and gridlines < len(primary) - 1:
        fail(case["case"], f"rendered chart: {gridlines} gridlines for {len(primary)} value labels")
    height = int(bottom) - int(top)
    column = max(range(int(plot_left) - 2, int(plot_left) + 12),
                 key=lambda x: sum(1 for y in range(int(top), int(bottom)) if raster.grey(x, y)))
    grey = sum(1 for y in range(int(top), int(bottom)) if raster.grey(column, y))
    drawn = sum(1 for y in range(int(top), int(bottom))
                if raster.grey(column, y) or not raster.grey(column, y, lightest=256))
    if not hidden and (grey < 0.25 * height or drawn < 0.95 * height):
        fail(case["case"], f"rendered chart: no value axis line ({grey} of {height} points)")

    if layout is not None:
        drawn_shares = {"y": (top - frame_top) / frame_height,
                        "h": (bottom - top) / frame_height,
                        "x": (column - frame_left) / frame_width}
        for name, share in drawn_shares.items():
            if abs(share - layout[name]) > 0.02:
                fail(case["case"], f"rendered chart: plot area {name} {share:.3f}, "
                                   f"its layout says {layout[name]:.3f}")
    for word in words:
        if TIME_WORD.search(word[0]) and word[2] < bottom - 1:
            fail(case["case"], f"rendered chart: time label {word[0]!r} above the plot's bottom")
            break


def read_ppm(path):
    with open(path, "rb") as f:
        data = f.read()
    header = re.match(rb"P6\s+(\d+)\s+(\d+)\s+(\d+)\s", data)
    return data[header.end():]


def coloured_pixels(path):
    pixels = read_ppm(path)
    return sum(1 for i in range(0, len(pixels) - 2, 3)
               if max(pixels[i:i + 3]) - min(pixels[i:i + 3]) > 60)


def dark_pixels(path):
    pixels = read_ppm(path)
    return sum(1 for i in range(0, len(pixels) - 2, 3) if max(pixels[i:i + 3]) < 160)


def check_chart_caches(case):
    with zipfile.ZipFile(case["workbook"]) as package:
        if "xl/charts/chart1.xml" not in package.namelist():
            fail(case["case"], "no chart part")
            return
        chart = ET.fromstring(package.read("xl/charts/chart1.xml"))
    grid = expected_grid(case)
    texts = case["cells"]
    series = list(chart.iter(q("c", "ser")))
    series.sort(key=lambda s: int(s.find(q("c", "order")).get("val")))
    expected = expected_series(case)
    check_limit_lines(case, series[len(expected):])
    series = series[:len(expected)]
    if len(series) != len(expected):
        fail(case["case"], f"chart: {len(series)} series, expected {len(expected)}")
        return
    for n, (ser, (name_cell, x_column, y_column)) in enumerate(zip(series, expected), start=1):
        name = ser.find(f"{q('c', 'tx')}/{q('c', 'strRef')}")
        if name is None or name.findtext(f".//{q('c', 'v')}") != texts[0][name_cell - 1]:
            fail(case["case"], f"chart: series {n} is not named {texts[0][name_cell - 1]!r}")
        # The paired table's block holds one empty row below its last line.
        rows = len(grid) - (1 if case["layout"] == 100 else 0)
        # A window without lines refers to the blank row under the headings.
        last = max(rows, 2)
        for axis, column in (("xVal", x_column), ("yVal", y_column)):
            reference = ser.find(f"{q('c', axis)}/{q('c', 'numRef')}")
            if reference is None:
                fail(case["case"], f"chart: series {n} has no {axis} reference")
                continue
            formula = reference.findtext(q("c", "f"))
            if formula != series_reference(case, column, last):
                fail(case["case"], f"chart: series {n} {axis} refers to {formula}, "
                                   f"not {series_reference(case, column, last)}")
            cache = reference.find(q("c", "numCache"))
            if cache is None:
                fail(case["case"], f"chart: series {n} {axis} has no cache")
                continue
            if int(cache.find(q("c", "ptCount")).get("val")) != last - 1:
                fail(case["case"], f"chart: series {n} {axis} cache count differs from its cells")
            points = {int(p.get("idx")): float(p.findtext(q("c", "v"))) for p in cache.findall(q("c", "pt"))}
            for r in range(2, rows + 1):
                cell = grid[r - 1][column - 1]
                cached = points.get(r - 2)
                if not same_cached(cell, cached):
                    fail(case["case"], f"chart: series {n} {axis} caches {cached!r} for row {r}, "
                                       f"the cell holds {describe(cell)}")
                    break


def series_reference(case, column, last):
    """The reference of a series' cells from row 2 to `last`."""
    letter = column_name(column)
    reference = f"'{sheet_name(case)}'!${letter}$2"
    return reference if last == 2 else reference + f":${letter}${last}"


def expected_limit_lines(case):
    """(row, value) of each limit line's first row on the third sheet: its
    name in column A, its times in B and its value in C, on two rows."""
    rows = case.get("summary", [])
    titles = [r for r, row in enumerate(rows, start=1) if row and row[0] == "Линия"]
    if not titles:
        return []
    lines = []
    for r in range(titles[0] + 1, len(rows) + 1, 2):
        value = expected_value(rows[r - 1][2])
        lines.append((r, value[1] if value[0] == "n" else None))
    return lines


def limit_references(r):
    """The name, X and Y references of the limit line whose first row is r."""
    return (f"'Лист3'!$A${r}", f"'Лист3'!$B${r}:$B${r + 1}", f"'Лист3'!$C${r}:$C${r + 1}")


def check_limit_lines(case, series):
    """The chart's series beyond the table's: one dashed line per limit."""
    lines = expected_limit_lines(case)
    if len(series) != len(lines):
        fail(case["case"], f"chart: {len(series)} limit lines, expected {len(lines)}")
        return
    for ser, (r, value) in zip(series, lines):
        name, x, y = limit_references(r)
        if ser.findtext(f"{q('c', 'tx')}/{q('c', 'strRef')}/{q('c', 'f')}") != name:
            fail(case["case"], f"chart: the limit line of row {r} is not named by {name}")
        for axis, wanted in (("xVal", x), ("yVal", y)):
            reference = ser.find(f"{q('c', axis)}/{q('c', 'numRef')}")
            if reference is None or reference.findtext(q("c", "f")) != wanted:
                fail(case["case"], f"chart: the limit line of row {r} has no {axis} {wanted}")
                continue
            points = [float(p.findtext(q("c", "v"))) for p in reference.iter(q("c", "pt"))]
            if len(points) != 2 or (axis == "yVal" and any(abs(v - value) > 1e-9 for v in points)):
                fail(case["case"], f"chart: the limit line of row {r} caches {points}")
        if ser.find(f".//{q('a', 'prstDash')}") is None:
            fail(case["case"], f"chart: the limit line of row {r} is not dashed")


def expected_series(case):
    """(name column, X column, Y column) of each series the chart must show."""
    columns = len(case["cells"][0]) if case["cells"] else 0
    if case["layout"] == 100:
        return [(2 * j, 2 * j - 1, 2 * j) for j in range(1, columns // 2 + 1)]
    return [(c, 1, c) for c in range(2, columns + 1)]


def same_cached(cell, cached):
    kind = cell[0]
    if kind in ("empty", "s"):
        return cached is None
    if cached is None:
        return False
    if kind == "n":
        return cached == cell[1]
    if kind == "d":
        return round(cached * 86400) == cell[1]
    return round(cached * 86400) == cell[1]


def column_name(column):
    name = ""
    while column:
        column, digit = divmod(column - 1, 26)
        name = chr(65 + digit) + name
    return name


# ------------------------------------------------------------------- poi ----

POI_POSITIONS = {"b": "BOTTOM", "l": "LEFT", "r": "RIGHT", "t": "TOP"}


def stage_poi(cases, args):
    need("java")
    if not args.poi:
        sys.exit("FAIL: no class path of the POI reader (--poi; CMake builds it)")
    result = run(["java", "-cp", args.poi, "PanelReader"] + [c["workbook"] for c in cases],
                 check=False)
    read = {}
    for line in result.stdout.splitlines():
        book = json.loads(line)
        read[book["workbook"]] = book
    for case in cases:
        book = read.get(case["workbook"])
        if book is None:
            fail(case["case"], f"POI read nothing: {result.stderr.strip()[:300]}")
            continue
        if "error" in book:
            fail(case["case"], f"POI failed: {book['error']}")
            continue
        names = [sheet["name"] for sheet in book["sheets"]]
        if names != sheet_names(case):
            fail(case["case"], f"POI: sheets {names}")
            continue
        sheets = expected_sheets(case)
        for n, sheet in enumerate(book["sheets"], start=1):
            values = {(r, c): (kind, value) for r, c, kind, value in sheet["cells"]}
            if n not in sheets:
                if values:
                    fail(case["case"], f"POI: sheet {names[n - 1]} is not empty")
                continue
            compare_cells(case, f"POI {names[n - 1]}", sheets[n], values, same_poi)
        if case.get("kind") != "comparison":
            compare_poi_charts(case, book["charts"])


def same_poi(expected, value, decimals):
    kind = expected[0]
    if kind == "empty":
        return value is None
    if value is None:
        return False
    if kind == "s":
        return value == ("s", expected[1])
    if kind == "n":
        return value[0] == "n" and close_enough(float(value[1]), expected[1], decimals)
    # Date-times and times: day counts, to the second.
    return value[0] == "d" and round(float(value[1]) * 86400) == expected[1]


def compare_poi_charts(case, charts):
    if case["layout"] not in (3, 6, 9, 100):
        if charts:
            fail(case["case"], f"POI: {len(charts)} charts where the report has none")
        return
    if len(charts) != 1 or charts[0]["sheet"] != "Лист1":
        fail(case["case"], f"POI: charts {[c['sheet'] for c in charts]}, expected one on Лист1")
        return
    chart = charts[0]
    expected = expected_series(case)
    lines = expected_limit_lines(case)
    if len(chart["series"]) != len(expected) + len(lines):
        fail(case["case"], f"POI: {len(chart['series'])} series, expected "
                           f"{len(expected)} and {len(lines)} limit lines")
        return
    rows = len(case["cells"]) - (1 if case["layout"] == 100 else 0)
    last = max(rows, 2)
    # POI lists the primary group's series first, then the secondary's.
    by_name = {s["name"]: s for s in chart["series"]}
    for name_column, x_column, y_column in expected:
        name = f"'{sheet_name(case)}'!${column_name(name_column)}$1"
        series = by_name.get(name)
        if series is None:
            fail(case["case"], f"POI: no series named by {name}")
            continue
        for axis, column in (("x", x_column), ("y", y_column)):
            wanted = series_reference(case, column, last)
            if series[axis] != wanted or series[axis + "Count"] != last - 1:
                fail(case["case"], f"POI: series {name} {axis} is {series[axis]} of "
                                   f"{series[axis + 'Count']} points, expected {wanted} of {last - 1}")
    for r, _ in lines:
        name, x, y = limit_references(r)
        series = by_name.get(name)
        if series is None or (series["x"], series["y"], series["xCount"], series["yCount"]) != \
                (x, y, 2, 2):
            fail(case["case"], f"POI: no limit line {name} of {x} and {y}: {series}")
    with zipfile.ZipFile(case["workbook"]) as package:
        part = ET.fromstring(package.read("xl/charts/chart1.xml"))
    written = sorted((int(a.find(q("c", "axId")).get("val")),
                      POI_POSITIONS[a.find(q("c", "axPos")).get("val")])
                     for a in part.iter(q("c", "valAx")))
    if sorted(tuple(a) for a in chart["axes"]) != written:
        fail(case["case"], f"POI: axes {chart['axes']}, the part has {written}")


# ----------------------------------------------------------------- excel ----
# The chart parts against those Excel itself wrote: the elements and
# attributes it writes, in its order; values may differ. What Excel writes in
# every occurrence of an element must be in ours, and what we write must be
# something Excel writes there. The order of elements that the references do
# not show side by side is the schemas' (the schemas stage checks it).

# Structures Excel writes in charts that the references do not show, with
# where it writes them: (parent, element) -> (its attributes, its children).
EXCEL_BEYOND_REFERENCES = {
    # a series named by its heading cell
    ("c:ser", "c:tx"): ((), ("c:strRef",)),
    ("c:tx", "c:strRef"): ((), ("c:f", "c:strCache")),
    ("c:strRef", "c:f"): ((), ()),
    ("c:strRef", "c:strCache"): ((), ("c:ptCount", "c:pt")),
    ("c:strCache", "c:ptCount"): (("val",), ()),
    ("c:strCache", "c:pt"): (("idx",), ("c:v",)),
    # the automatic title of a one-series chart deleted
    ("c:chart", "c:autoTitleDeleted"): (("val",), ()),
    # a fixed scale
    ("c:scaling", "c:max"): (("val",), ()),
    ("c:scaling", "c:min"): (("val",), ()),
    # tick labels turned, in the form of the turned axis titles
    ("c:txPr", "a:bodyPr"): (("rot", "vert"), ()),
    # a series' own line (a limit): its colour and its dashes
    ("a:ln", "a:solidFill"): ((), ("a:srgbClr",)),
    ("a:solidFill", "a:srgbClr"): (("val",), ()),
    ("a:ln", "a:prstDash"): (("val",), ()),
}
# What the references always hold only because their cells are never blank:
# the cache of a blank block has its count and no point; and because their
# only series line is hidden: a line drawn has a fill, not none.
EXCEL_MAY_LEAVE_OUT = {(("c:numRef", "c:numCache"), "c:pt"), (("c:spPr", "a:ln"), "a:noFill")}
PREFIX_OF = {uri: prefix for prefix, uri in NS.items() if prefix in ("c", "a", "r")}


def qualified(tag):
    if tag.startswith("{"):
        uri, local = tag[1:].split("}")
        return f"{PREFIX_OF.get(uri, uri)}:{local}"
    return tag


def attribute_names(element):
    return {qualified(name) for name in element.attrib}


class ChartVocabulary:
    """What the reference charts hold, element by element; an element is
    known by its own tag and its parent's."""

    def __init__(self):
        self.children = {}   # (parent, tag) -> every child tag seen under it
        self.always = {}     # (parent, tag) -> the child tags of every occurrence
        self.before = set()  # (a, b): a stands before b under one parent
        self.attributes = {}         # (parent, tag) -> attribute names seen
        self.always_attributes = {}  # (parent, tag) -> names of every occurrence
        for key, (attributes, children) in EXCEL_BEYOND_REFERENCES.items():
            self.attributes.setdefault(key, set()).update(attributes)
            self.children.setdefault(key, set()).update(children)

    def learn(self, root):
        self._learn(None, root)

    def _learn(self, parent, element):
        tag = qualified(element.tag)
        key = (parent, tag)
        names = attribute_names(element)
        self.attributes.setdefault(key, set()).update(names)
        self.always_attributes[key] = self.always_attributes.get(key, names) & names
        sequence = [qualified(child.tag) for child in element]
        self.children.setdefault(key, set()).update(sequence)
        self.always[key] = self.always.get(key, set(sequence)) & set(sequence)
        self.before.update(orderings(sequence))
        for child in element:
            self._learn(tag, child)

    def problems(self, root):
        found = []
        self._check(None, root, "", found)
        return found

    def _check(self, parent, element, path, found):
        tag = qualified(element.tag)
        here = f"{path}/{tag}"
        key = (parent, tag)
        names = attribute_names(element)
        for name in sorted(names - self.attributes.get(key, names)):  # unknown: told above
            found.append(f"{here}: attribute {name}, which Excel never writes there")
        for name in sorted(self.always_attributes.get(key, set()) - names):
            found.append(f"{here}: no attribute {name}, which Excel always writes")
        sequence = [qualified(child.tag) for child in element]
        for child in sorted(set(sequence) - self.children.get(key, set())):
            if (tag, child) not in EXCEL_BEYOND_REFERENCES:
                found.append(f"{here}: {child}, which Excel never writes there")
        for child in sorted(self.always.get(key, set()) - set(sequence)):
            if (key, child) not in EXCEL_MAY_LEAVE_OUT:
                found.append(f"{here}: no {child}, which Excel always writes there")
        for first, second in sorted(orderings(sequence)):
            if (second, first) in self.before and (first, second) not in self.before:
                found.append(f"{here}: {first} before {second}; Excel writes {second} first")
        for child in element:
            self._check(tag, child, here, found)


def orderings(sequence):
    """Every (a, b) of distinct tags such that some a stands before some b:
    from each tag's first and last place, so that a cache of thousands of
    points costs no more than its length."""
    first, last = {}, {}
    for i, tag in enumerate(sequence):
        first.setdefault(tag, i)
        last[tag] = i
    return {(a, b) for a in first for b in last if a != b and first[a] < last[b]}


def reference_charts(folder):
    charts = []
    for path in sorted(glob.glob(os.path.join(folder, "*.xlsx"))):
        with zipfile.ZipFile(path) as package:
            for name in package.namelist():
                if name.startswith("xl/charts/chart"):
                    charts.append((os.path.basename(path), ET.fromstring(package.read(name))))
    if not charts:
        sys.exit(f"FAIL: no Excel reference charts in {folder}")
    return charts


def stage_excel(cases, args):
    vocabulary = ChartVocabulary()
    references = reference_charts(args.references)
    for _, root in references:
        vocabulary.learn(root)
    # Each reference agrees with what all of them hold: the comparison is sound.
    for name, root in references:
        for problem in dedupe(vocabulary.problems(root))[:3]:
            fail(name, "the Excel reference itself: " + problem)
    charts = 0
    for case in cases:
        with zipfile.ZipFile(case["workbook"]) as package:
            for name in sorted(n for n in package.namelist() if n.startswith("xl/charts/chart")):
                charts += 1
                problems = dedupe(vocabulary.problems(ET.fromstring(package.read(name))))
                for problem in problems[:8]:
                    fail(case["case"], f"{name}: {problem}")
                if len(problems) > 8:
                    fail(case["case"], f"{name}: {len(problems)} differences from Excel in all")
    if charts == 0:
        fail("panel", "no chart part to compare")


def dedupe(problems):
    return list(dict.fromkeys(problems))


# ------------------------------------------------------------------ main ----

def run(command, check=True):
    result = subprocess.run(command, capture_output=True, text=True)
    if check and result.returncode != 0:
        sys.exit(f"FAIL: {' '.join(command[:3])}... exited {result.returncode}: {result.stderr}")
    return result


STAGES = {
    "schemas": stage_schemas,
    "package": stage_package,
    "libreoffice": stage_libreoffice,
    "gnumeric": stage_gnumeric,
    "gnumeric_chart": stage_gnumeric_chart,
    "pdf": stage_pdf,
    "openpyxl": stage_openpyxl,
    "xlsx2csv": stage_xlsx2csv,
    "chart": stage_chart,
    "excel": stage_excel,
    "poi": stage_poi,
}


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("stage", choices=sorted(STAGES))
    parser.add_argument("panel")
    parser.add_argument("--schemas", default="")
    parser.add_argument("--profile", default=os.path.join(tempfile.gettempdir(), "panel-soffice"))
    parser.add_argument("--references",
                        default=os.path.join(os.path.dirname(os.path.abspath(__file__)),
                                             "excel-reference"))
    parser.add_argument("--poi", default="", help="class path of the POI reader")
    args = parser.parse_args()
    cases = load_cases(args.panel)
    STAGES[args.stage](cases, args)
    if failures:
        print("\n".join("FAIL: " + f for f in failures))
        sys.exit(1)
    print(f"ok: {args.stage}, {len(cases)} workbooks")


if __name__ == "__main__":
    main()
