#!/usr/bin/env python3
"""The report's comparisons: each workload against its fastest peer and its floor, and the
verdicts of the targets held against them, from Google Benchmark JSON made up here."""
import contextlib
import io
import json
import os
import sys
import tempfile
import unittest

sys.dont_write_bytecode = True  # no cache left in the source tree
sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import report  # noqa: E402


def run_file(directory, times, rects=None, errors=()):
    """A headless run: workload -> microseconds, one repetition each."""
    benchmarks = []
    for name, us in times.items():
        b = dict(name=name, run_name=name, run_type="iteration", real_time=us, cpu_time=us, time_unit="us")
        if rects and name in rects:
            b["rects"] = rects[name]
        if name in errors:
            b.update(error_occurred=True, error_message="its output is not the library's: 3 pixels differ")
        benchmarks.append(b)
    path = os.path.join(directory, "headless.json")
    with open(path, "w", encoding="utf-8") as f:
        json.dump(dict(benchmarks=benchmarks), f)
    return path


def report_of(times, rects=None, errors=()):
    with tempfile.TemporaryDirectory() as directory:
        out = os.path.join(directory, "report.json")
        with contextlib.redirect_stdout(io.StringIO()) as printed, contextlib.redirect_stderr(io.StringIO()):
            status = report.main(["--run", "headless:1:" + run_file(directory, times, rects, errors), "--json", out])
        with open(out, encoding="utf-8") as f:
            return status, json.load(f), printed.getvalue()


class PeerComparisons(unittest.TestCase):
    def test_the_fastest_peer_and_the_floor(self):
        status, doc, printed = report_of(
            {"region_holes_1024x768": 600, "qt_region_pixels_holes_1024x768": 2000,
             "qt_region_mask_holes_1024x768": 1200, "plain_region_holes_1024x768": 800},
            rects={"region_holes_1024x768": 8063, "qt_region_mask_holes_1024x768": 32252})
        self.assertEqual(status, 0)
        (entry,) = doc["comparisons"]
        self.assertEqual(entry["best_peer"], "qt_region_mask_holes_1024x768")
        self.assertAlmostEqual(entry["to_best_peer"]["value"], 0.5)
        self.assertAlmostEqual(entry["to_floor"]["value"], 0.75)
        self.assertEqual(entry["rects"], {"region_holes_1024x768": 8063, "qt_region_mask_holes_1024x768": 32252,
                                          "plain_region_holes_1024x768": None})
        # The target is held against Qt's path from the same pixels, not the fastest peer.
        self.assertAlmostEqual(entry["target"]["value"], 0.3)
        self.assertTrue(entry["target"]["met"])
        self.assertIn("8063 / 32252 / -", printed)

    def test_a_missed_target_and_a_missing_peer(self):
        _, doc, printed = report_of({"gray_1920x1080": 1000, "plain_gray_1920x1080": 3000,
                                     "trans_64_of_1024": 30, "plain_trans_64": 10})
        by_name = {e["name"]: e for e in doc["comparisons"]}
        self.assertIsNone(by_name["gray_1920x1080"]["best_peer"])
        self.assertEqual(by_name["gray_1920x1080"]["missing_peers"], ["opencv_gray_1920x1080"])
        self.assertIsNone(by_name["gray_1920x1080"]["target"]["met"])  # no OpenCV, no verdict
        self.assertFalse(by_name["trans_64_of_1024"]["target"]["met"])  # 3 x the floor, 2 allowed
        self.assertIn("Not in this run (package not installed when built): opencv_gray_1920x1080", printed)

    def test_a_peer_that_failed_its_check_fails_the_report(self):
        status, _, _ = report_of({"blit_1024x1024": 150, "pixman_blit_1024x1024": 140, "memcpy_4MiB": 145},
                                 errors=("pixman_blit_1024x1024",))
        self.assertEqual(status, 1)


if __name__ == "__main__":
    unittest.main()
