#!/usr/bin/env python3
"""Turns the result files of scripts/figures.sh into the README's figures section.

Usage: figures-section.py RESULTS_DIR README
       figures-section.py --inputs RESULTS_DIR README
       figures-section.py --check-inputs CLI_TESTS README

RESULTS_DIR holds fuzz.txt (scripts/fuzz.sh's summary), faults-*.json and inputs*.json (test
reports written with --gtest_output=json). The section replaces whatever stands between the
figures markers in README; the markers are added at the end when missing. With --inputs only the
bad-input table is written again (from inputs*.json), the other figures stay as they are.

--check-inputs runs the bad-input cases of CLI_TESTS (the cli_tests program) and fails, showing
the difference, when README's bad-input table no longer says what the programs print: a case
that is missing or gone, another exit status, other words. A case this run skipped (one that
only an ordinary user meets) only has to be there.
"""

import glob
import json
import os
import re
import subprocess
import sys
import tempfile
from datetime import date

BEGIN = "<!-- figures:begin -->"
END = "<!-- figures:end -->"


def test_cases(paths):
    for path in sorted(paths):
        with open(path, encoding="utf-8") as report:
            for suite in json.load(report).get("testsuites", []):
                yield from suite.get("testsuite", [])


def outcome(case):
    if case.get("result") == "SKIPPED":
        return "skipped"
    return "failed" if case.get("failures") else "passed"


def cell(text):
    return str(text).replace("|", "\\|").replace("\n", " ")


def fuzz_table(results):
    rows = ["| Fuzz target | Executions | Seconds | Findings |", "|---|---:|---:|---:|"]
    with open(os.path.join(results, "fuzz.txt"), encoding="utf-8") as summary:
        for line in summary:
            if line.startswith("#") or not line.strip():
                continue
            name, executions, seconds, findings = line.split()
            rows.append(f"| {name} | {int(executions):,} | {seconds} | {findings} |")
    return rows


def fault_table(results):
    rows = [
        "| Fault case | Family | Result code | Wall time | Test |",
        "|---|---|---:|---:|---|",
    ]
    cases = [c for c in test_cases(glob.glob(os.path.join(results, "faults-*.json")))
             if c.get("status") == "RUN"]
    for case in sorted(cases, key=lambda c: c["name"]):
        # Faults/FaultInjection.UpdateEndsCleanly/Text_SilentAtProbe
        family, _, fault = case["name"].rsplit("/", 1)[-1].partition("_")
        wall = float(case.get("wall_s", "nan"))
        result = case.get("result_code", "?")
        rows.append(f"| {fault} | {'K31' if family == 'Text' else 'K47'} | {result} | "
                    f"{wall:.2f} s | {outcome(case)} |")
    return rows


INPUT_HEADER = ["| Bad input | Exit status | What corvane-update said | Test |", "|---|---:|---|---|"]


def input_table(results):
    rows = list(INPUT_HEADER)
    runs = {}
    # The ordinary user's run fills in what root skipped.
    for path in ("inputs.json", "inputs-user.json"):
        for case in test_cases(glob.glob(os.path.join(results, path))):
            if case.get("status") == "RUN" and (case["name"] not in runs or
                                                outcome(runs[case["name"]]) == "skipped"):
                runs[case["name"]] = case
    for name, case in sorted(runs.items()):
        if outcome(case) == "skipped":
            rows.append(f"| {name.rsplit('/', 1)[-1]} | | | skipped |")
            continue
        said = case.get("said") or "(the result text only)"
        rows.append(f"| {case.get('input', name)} | {case.get('exit_status', '?')} | "
                    f"{cell(said)} | {outcome(case)} |")
    return rows


def section(results):
    lines = [
        BEGIN,
        "## Robustness figures",
        "",
        f"Written by `scripts/figures.sh` on {date.today().isoformat()} from its own runs; "
        "run it again to refresh them.",
        "",
        "Fuzzing (libFuzzer, ASan + UBSan): executions per target in a short run from the seed "
        "corpus; a finding is an input that crashed a target or broke one of its properties.",
        "",
        *fuzz_table(results),
        "",
        "Fault injection: whole updates in real time against a virtual module that misbehaves "
        "at one step; the result code each run ended with and how long it took.",
        "",
        *fault_table(results),
        "",
        "Bad inputs given to `corvane-update` against a virtual module: exit status and the "
        "lines it printed after the result text (cases that only an ordinary user meets are "
        "run as nobody). DIR stands for the test's scratch directory, /dev/pts/N for the "
        "module's port. A test (ReadmeBadInputFigures) fails when this table no longer says what "
        "the programs print; `scripts/figures.sh --inputs` writes it again.",
        "",
        *input_table(results),
        END,
    ]
    return "\n".join(lines) + "\n"


def readme_input_rows(text):
    """The rows of the bad-input table in README's text, and where they stand in its lines."""
    lines = text.split("\n")
    start = lines.index(INPUT_HEADER[0]) + 2
    end = start
    while end < len(lines) and lines[end].startswith("|"):
        end += 1
    return lines, start, end


def row_cells(row):
    """Name, exit status and words of a table row; cell() escaped the bars inside them."""
    return [c.strip() for c in re.split(r"(?<!\\)\|", row.strip().strip("|"))][:3]


def check_inputs(cli_tests, readme):
    with tempfile.TemporaryDirectory() as results:
        subprocess.run([cli_tests, "--gtest_filter=Inputs/BadInput*",
                        f"--gtest_output=json:{os.path.join(results, 'inputs.json')}"],
                       stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, check=False)
        now = input_table(results)[len(INPUT_HEADER):]
    with open(readme, encoding="utf-8") as file:
        lines, start, end = readme_input_rows(file.read())
    written = {row_cells(r)[0]: row_cells(r) for r in lines[start:end]}
    problems = []
    for row in now:
        cells = row_cells(row)
        skipped = row.rstrip().endswith("| skipped |")
        name = cells[0]
        if name not in written:
            problems.append(f"missing from {readme}: {row}")
        elif written[name] != cells and not skipped:
            problems.append(f"{readme} says:  {' | '.join(written[name])}\n"
                            f"  the programs: {' | '.join(cells)}")
    ran = {row_cells(r)[0] for r in now}
    problems += [f"gone from the tests, still in {readme}: {name}"
                 for name in written if name not in ran]
    if not now:
        problems.append("no bad-input case ran")
    for problem in problems:
        print(problem)
    if problems:
        print("run scripts/figures.sh --inputs to write the table again")
    return 1 if problems else 0


def replace_inputs(results, readme):
    with open(readme, encoding="utf-8") as file:
        lines, start, end = readme_input_rows(file.read())
    lines[start - len(INPUT_HEADER):end] = input_table(results)
    with open(readme, "w", encoding="utf-8") as file:
        file.write("\n".join(lines))


def main():
    if sys.argv[1] == "--check-inputs":
        sys.exit(check_inputs(sys.argv[2], sys.argv[3]))
    if sys.argv[1] == "--inputs":
        replace_inputs(sys.argv[2], sys.argv[3])
        return
    results, readme = sys.argv[1], sys.argv[2]
    with open(readme, encoding="utf-8") as file:
        text = file.read()
    new = section(results)
    if BEGIN in text and END in text:
        head, rest = text.split(BEGIN, 1)
        tail = rest.split(END, 1)[1].lstrip("\n")
        text = head + new + tail
    else:
        text = text.rstrip("\n") + "\n\n" + new
    with open(readme, "w", encoding="utf-8") as file:
        file.write(text)


if __name__ == "__main__":
    main()
