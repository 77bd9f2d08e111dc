#!/usr/bin/env python3
"""The day's CSV read back by the csv module equals what `race --json` shows.

Usage: day_csv_check.py RAVEK_CLI WORK_DIR
Downloads a demo week into WORK_DIR, then compares every runner row of
`day --csv` for the latest day with the sheet and positions of its race.
"""
import csv
import io
import json
import os
import subprocess
import sys


def run(cli, app_dir, *args):
    done = subprocess.run([cli, "--app-dir", app_dir, *args], capture_output=True, check=True)
    return done.stdout


def main():
    cli, work = sys.argv[1], sys.argv[2]
    # The program wants its start folder to be there.
    os.makedirs(work, exist_ok=True)
    run(cli, work, "download", "--now", "2024-05-12 18:00")
    raw = run(cli, work, "day", "--csv")
    assert raw.startswith(b"\xef\xbb\xbf"), "no byte-order mark"
    rows = list(csv.reader(io.StringIO(raw.decode("utf-8-sig"), newline="")))
    header, body = rows[0], rows[1:]
    assert header[:6] == ["レースキー", "場", "R", "コース", "馬番", "馬名"], header
    assert body, "no runner rows"
    by_race = {}
    for row in body:
        assert len(row) == len(header), row
        by_race.setdefault(row[0], []).append(row)
    for key, runners in by_race.items():
        race = json.loads(run(cli, work, "race", key, "--json"))
        sheet = race["sheet"]["rows"]
        assert len(sheet) == len(runners), (key, len(sheet), len(runners))
        positions = {p["number"]: p["sections"] for p in race["positions"]}
        for row, cells in zip(runners, sheet):
            place, number, name, run_time, converted, speed = cells
            assert row[4:10] == [number, name, place, run_time, converted, speed], (row, cells)
            for column, tab in ((10, "３コーナー"), (12, "４コーナー")):
                spot = positions[int(number)].get(tab)
                expected = ["", ""] if not spot else [str(spot["row"]), str(spot["lane"])]
                assert row[column:column + 2] == expected, (key, number, tab, row, spot)
    print(f"{len(body)} runners of {len(by_race)} races agree")


if __name__ == "__main__":
    main()
