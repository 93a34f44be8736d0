#!/usr/bin/env python3
"""Counts the test cases of one CTest run from GoogleTest's own results.

    scripts/test-results.py BUILD_DIR GTEST_XML_DIR CTEST_JUNIT [--strict]

Every test executable (cvn_<suite>_tests) writes GTEST_XML_DIR/<executable>.xml; any other
CTest test counts as one case. A suite that ends badly without a failed case to show for it
(a crash, a timeout, no results file) counts as one failed case, and so does a suite that runs
no case at all. With --strict (CI) a skipped case fails too: every skip in this tree stands for
something the suite needs that the machine lacks.

Prints the failed and skipped cases by name, then a last line "counts PASSED FAILED SKIPPED".
"""
import json
import os
import re
import subprocess
import sys
import xml.etree.ElementTree as ET

SUITE_EXE = re.compile(r"(cvn_\w+_tests)(\.exe)?$")


def ctest_commands(build_dir):
    out = subprocess.run(["ctest", "--test-dir", build_dir, "--show-only=json-v1"],
                         capture_output=True, text=True, check=True).stdout
    commands = {}
    for test in json.loads(out).get("tests", []):
        commands[test["name"]] = test.get("command", [])
    return commands


def ctest_outcomes(junit_path):
    outcomes = {}
    try:
        root = ET.parse(junit_path).getroot()
    except (OSError, ET.ParseError):
        return outcomes
    for case in root.iter("testcase"):
        status = case.get("status", "")
        if case.find("failure") is not None or case.find("error") is not None:
            status = "fail"
        elif case.find("skipped") is not None:
            status = "notrun"
        outcomes[case.get("name")] = status
    return outcomes


def gtest_cases(xml_path):
    """(name, outcome) per case, outcome one of passed, failed, skipped; None without a file."""
    try:
        root = ET.parse(xml_path).getroot()
    except (OSError, ET.ParseError):
        return None
    cases = []
    for suite in root.iter("testsuite"):
        for case in suite.iter("testcase"):
            name = f"{suite.get('name')}.{case.get('name')}"
            if case.find("failure") is not None:
                cases.append((name, "failed", ""))
            elif case.get("result") == "skipped" or case.find("skipped") is not None:
                skipped = case.find("skipped")
                why = skipped.get("message", "") if skipped is not None else ""
                cases.append((name, "skipped", why.strip().splitlines()[-1] if why.strip() else ""))
            elif case.get("status", "run") == "run":
                cases.append((name, "passed", ""))
    return cases


def main():
    args = [a for a in sys.argv[1:] if not a.startswith("--")]
    strict = "--strict" in sys.argv[1:]
    if len(args) != 3:
        print(__doc__, file=sys.stderr)
        return 2
    build_dir, xml_dir, junit = args
    outcomes = ctest_outcomes(junit)
    passed = failed = skipped = 0
    lines = []
    for test, command in sorted(ctest_commands(build_dir).items()):
        exe = next((m.group(1) for arg in command if (m := SUITE_EXE.search(arg))), None)
        ctest_ok = outcomes.get(test) == "run"
        if exe is None:
            if ctest_ok:
                passed += 1
            else:
                failed += 1
                lines.append(f"failed   {test} ({outcomes.get(test, 'not run')})")
            continue
        cases = gtest_cases(os.path.join(xml_dir, exe + ".xml"))
        if cases is None:
            failed += 1
            lines.append(f"failed   {test}: {exe} wrote no results (crashed or timed out)")
            continue
        if not cases:
            failed += 1
            lines.append(f"failed   {test}: {exe} ran no test case")
            continue
        for name, outcome, why in cases:
            if outcome == "passed":
                passed += 1
            elif outcome == "failed":
                failed += 1
                lines.append(f"failed   {test}: {name}")
            else:
                because = f" ({why})" if why else ""
                if strict:
                    failed += 1
                    lines.append(f"failed   {test}: {name} skipped under CI{because}")
                else:
                    skipped += 1
                    lines.append(f"skipped  {test}: {name}{because}")
        if not ctest_ok and not any(o == "failed" for _, o, _ in cases):
            failed += 1
            lines.append(f"failed   {test}: {exe} ended badly after its cases ({outcomes.get(test, 'not run')})")
    for line in lines:
        print(line)
    print(f"counts {passed} {failed} {skipped}")
    return 0


if __name__ == "__main__":
    sys.exit(main())
