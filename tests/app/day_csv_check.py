#!/usr/bin/env python3
"""The day's CSV read back: by the csv module, against what `race --json` shows,
or, with --spreadsheet, as LibreOffice opens it.

Usage: day_csv_check.py RAVEK_CLI WORK_DIR [--spreadsheet]
Downloads a demo week into WORK_DIR and checks `day --csv` for the latest day.
With --spreadsheet the file goes through `soffice --convert-to xlsx`, and every
cell must come out as the text or number the CSV meant; exits 77 (skipped)
when soffice is not installed.
"""
import csv
import datetime
import io
import json
import os
import re
import shutil
import subprocess
import sys
import xml.etree.ElementTree as ET
import zipfile

SKIPPED = 77
# Columns that hold numbers; the rest is text, the date a date.
NUMBERS = {"R", "距離", "枠", "馬番", "着順", "走破(秒)", "実走(秒)", "m/min", "３コーナー列", "３コーナー内外",
           "４コーナー列", "４コーナー内外", "ロス(m)", "付加タイム(0.1秒)"}


def run(cli, app_dir, *args):
    done = subprocess.run([cli, "--app-dir", app_dir, *args], capture_output=True, check=True)
    return done.stdout


def day_csv(cli, work):
    # The program wants its start folder to be there.
    os.makedirs(work, exist_ok=True)
    run(cli, work, "download", "--now", "2024-05-12 18:00")
    raw = run(cli, work, "day", "--csv")
    assert raw.startswith(b"\xef\xbb\xbf"), "no byte-order mark"
    rows = list(csv.reader(io.StringIO(raw.decode("utf-8-sig"), newline="")))
    assert rows[1:], "no runner rows"
    return raw, rows[0], rows[1:]


def check_against_races(cli, work, header, body):
    col = {name: header.index(name) for name in header}
    by_race = {}
    for row in body:
        assert len(row) == len(header), row
        key = row[col["レースキー"]]
        # The key is text to any spreadsheet, and the race's key once its letter is off.
        assert re.fullmatch(r"R\d{16}", key), key
        for name in NUMBERS:
            if row[col[name]]:
                float(row[col[name]])
        by_race.setdefault(key[1:], []).append(row)
    for key, runners in by_race.items():
        # `race` takes the key as the file writes it.
        race = json.loads(run(cli, work, "race", "R" + key, "--json"))
        assert runners[0][col["日付"]] == f"{key[:4]}-{key[4:6]}-{key[6:8]}", runners[0]
        sheet = race["sheet"]["rows"]
        assert len(sheet) == len(runners), (key, len(sheet), len(runners))
        positions = {p["number"]: p["sections"] for p in race["positions"]}
        for row, cells in zip(runners, sheet):
            place, number, name, run_time, converted, speed = cells
            got = lambda name: row[col[name]]
            assert [got("馬番"), got("馬名")] == [number, name], (row, cells)
            assert place == (got("状態") or got("着順")), (row, cells)
            if run_time == "0.00.0":
                # Did not run: blanks, not the sheet's zeros.
                assert not any(got(c) for c in ("走破", "走破(秒)", "実走", "m/min", "付加タイム(0.1秒)")), row
                continue
            assert [got("走破"), got("実走"), got("m/min")] == [run_time, converted, speed], (row, cells)
            for text, seconds in ((run_time, got("走破(秒)")), (converted, got("実走(秒)"))):
                minutes, secs, tenths = map(int, text.split("."))
                assert round(float(seconds) * 10) == minutes * 600 + secs * 10 + tenths, (text, seconds)
            for tab in ("３コーナー", "４コーナー"):
                spot = positions[int(number)].get(tab)
                expected = ["", ""] if not spot else [str(spot["row"]), str(spot["lane"])]
                assert [got(tab + "列"), got(tab + "内外")] == expected, (key, number, tab, row, spot)
    print(f"{len(body)} runners of {len(by_race)} races agree")


def spreadsheet_cells(xlsx):
    """Every row of the first sheet as {column letter: (is number, value)}."""
    ns = {"m": "http://schemas.openxmlformats.org/spreadsheetml/2006/main"}
    with zipfile.ZipFile(xlsx) as book:
        strings = ["".join(t.text or "" for t in si.iter(f"{{{ns['m']}}}t"))
                   for si in ET.fromstring(book.read("xl/sharedStrings.xml")).findall("m:si", ns)]
        sheet = ET.fromstring(book.read("xl/worksheets/sheet1.xml"))
    rows = []
    for row in sheet.find("m:sheetData", ns).findall("m:row", ns):
        cells = {}
        for cell in row.findall("m:c", ns):
            value = cell.find("m:v", ns)
            if value is None:
                continue
            kind = cell.get("t", "n")
            column = re.match(r"[A-Z]+", cell.get("r")).group(0)
            cells[column] = (True, float(value.text)) if kind == "n" else (False, strings[int(value.text)])
        rows.append(cells)
    return rows


def check_in_spreadsheet(raw, header, body, work):
    soffice = shutil.which("soffice")
    if not soffice:
        print("soffice is not installed (Debian: libreoffice-calc-nogui): skipped")
        sys.exit(SKIPPED)
    folder = os.path.join(work, "spreadsheet")
    shutil.rmtree(folder, ignore_errors=True)
    os.makedirs(folder)
    path = os.path.join(folder, "day.csv")
    with open(path, "wb") as file:
        file.write(raw)
    # Headless conversion does not look for the byte-order mark: the import
    # options say UTF-8, comma, double quotes, as the import dialog does.
    subprocess.run([soffice, f"-env:UserInstallation=file://{os.path.abspath(folder)}/profile", "--headless",
                    "--infilter=CSV:44,34,76,1", "--convert-to", "xlsx", "--outdir", folder, path],
                   capture_output=True, check=True, timeout=300)
    rows = spreadsheet_cells(os.path.join(folder, "day.xlsx"))
    assert len(rows) == len(body) + 1, (len(rows), len(body))
    letters = [chr(ord("A") + i) for i in range(len(header))]
    assert [rows[0][c][1] for c in letters] == header, rows[0]
    epoch = datetime.date(1899, 12, 30)
    for cells, row in zip(rows[1:], body):
        for letter, name, text in zip(letters, header, row):
            if not text:
                assert letter not in cells, (name, cells.get(letter), row)
            elif name == "日付":
                assert cells[letter][0], (name, cells[letter])
                assert str(epoch + datetime.timedelta(days=cells[letter][1])) == text, (cells[letter], text)
            elif name in NUMBERS:
                assert cells[letter] == (True, float(text)), (name, cells[letter], text)
            else:
                # The race key above all: as a number it would lose its last digit.
                assert cells[letter] == (False, text), (name, cells[letter], text)
    print(f"{len(body)} runners read back from the spreadsheet, every key intact")


def main():
    cli, work = sys.argv[1], sys.argv[2]
    raw, header, body = day_csv(cli, work)
    if "--spreadsheet" in sys.argv[3:]:
        check_in_spreadsheet(raw, header, body, work)
    else:
        check_against_races(cli, work, header, body)


if __name__ == "__main__":
    main()
