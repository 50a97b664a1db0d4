#!/usr/bin/env python3
"""Counts one leg's tests from CTest's JUnit file and GoogleTest's own XML reports.

CTest sees a whole test program as one test under Wine, so every CTest test that has a
GoogleTest report is replaced by the tests that report names; the others (export table,
consumer, ...) count as themselves. Prints the tests by name where a program stood for many,
then one line of counts and the skip reasons grouped. Exits 1 when a test failed or fewer
tests ran than the leg's floor in tests/floors.txt.

usage: leg-report.py LEG BUILD_DIR
"""
import collections
import pathlib
import sys
import xml.etree.ElementTree as ET

ROOT = pathlib.Path(__file__).resolve().parent.parent


def floor_of(leg):
    for line in (ROOT / "tests" / "floors.txt").read_text().splitlines():
        words = line.split("#")[0].split()
        if len(words) == 2 and words[0] == leg:
            return int(words[1])
    sys.exit(f"leg-report: no floor for {leg} in tests/floors.txt")


def outcome(case):
    """(status, message) of a JUnit/GoogleTest testcase element."""
    failure = case.find("failure")
    if failure is None:
        failure = case.find("error")
    if failure is not None or case.get("status") == "fail":
        text = failure.get("message", "") if failure is not None else ""
        lines = [l.strip() for l in text.splitlines() if l.strip()]
        return "failed", " ".join(lines[:3])[:300]
    skipped = case.find("skipped")
    if skipped is not None or case.get("result") == "skipped" or case.get("status") in ("notrun", "disabled"):
        text = skipped.get("message", "") if skipped is not None else ""
        # GoogleTest's message starts with the file and line of the skip; the reason follows.
        lines = [l.strip() for l in text.splitlines() if l.strip()]
        if lines:
            reason = lines[-1]
        elif case.get("status") == "disabled":
            reason = "disabled in the source (DISABLED_ prefix)"
        else:
            reason = "(no reason given)"
        return "skipped", reason
    return "passed", ""


def gtest_reports(folder):
    """Report file stem -> [(test name, status, message)]."""
    reports = {}
    for path in sorted(folder.rglob("*.xml")):
        try:
            root = ET.parse(path).getroot()
        except ET.ParseError:
            continue  # a program that died while writing: its CTest test fails anyway
        cases = []
        for case in root.iter("testcase"):
            if case.get("status") == "notrun" and case.get("result") != "skipped":
                continue  # a DISABLED_ test: compiled in, never run
            cases.append((f"{case.get('classname')}.{case.get('name')}", *outcome(case)))
        reports[str(path.relative_to(folder))[: -len(".xml")]] = cases
    return reports


def main():
    leg, build = sys.argv[1], pathlib.Path(sys.argv[2])
    results = build / "test-reports"
    reports = gtest_reports(results / "gtest")
    junit = results / "ctest.xml"
    ctest_cases = ET.parse(junit).getroot().iter("testcase") if junit.exists() else []

    tests = []  # (name, status, message)
    for case in ctest_cases:
        name = case.get("name")
        status, message = outcome(case)
        # Natively a report is named after its one test; under Wine after its program.
        key = name.split("  #")[0]
        report = reports.pop(key, None)
        if report is None:
            tests.append((name, status, message))
            continue
        if len(report) > 1 or report[0][0] != key:
            print(f"{leg}: {name} ran {len(report)} tests:")
            for test, s, m in report:
                print(f"  {s.upper():7} {test}" + (f"  ({m})" if m else ""))
        tests.extend(report)
        if status == "failed" and not any(s == "failed" for _, s, _ in report):
            tests.append((f"{name} (program exit)", "failed", message or "non-zero exit after its tests"))

    counts = collections.Counter(s for _, s, _ in tests)
    floor = floor_of(leg)
    run = len(tests)
    below = run < floor
    print(
        f"{leg}: {run} run, {counts['passed']} passed, {counts['failed']} failed, {counts['skipped']} skipped"
        + (f"  BELOW THE FLOOR OF {floor}" if below else f" (floor {floor})")
    )
    reasons = collections.Counter(m for _, s, m in tests if s == "skipped")
    for reason, n in reasons.most_common():
        print(f"  {n:3} skipped: {reason}")
    for name, s, m in tests:
        if s == "failed":
            print(f"  FAILED {name}" + (f": {m}" if m else ""))
    # For the test command's totals: run, passed, failed, skipped.
    (results / "counts").write_text(f"{run} {counts['passed']} {counts['failed']} {counts['skipped']}\n")
    return 1 if counts["failed"] or below else 0


if __name__ == "__main__":
    sys.exit(main())
