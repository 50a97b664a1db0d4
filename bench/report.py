#!/usr/bin/env python3
"""Turns the benchmark runs into one table and one JSON file.

Input: Google Benchmark JSON files (the headless build's driver and the Windows build's
timing loop write the same format), one file per build and round, and the memory probe's
JSON. Every figure is a median over all repetitions of all rounds; the rounds ran
interleaved (headless, Wine, headless, ...), so each round also gives its own ratio, and the
spread of those per-round ratios says how noisy the machine was.

Usage: report.py --run BUILD:ROUND:FILE ... [--memory FILE] [--json OUT] [--note TEXT ...]
BUILD is headless, win64 or win32.
"""
import argparse
import json
import statistics
import sys

BUILDS = ("headless", "win64", "win32")
BUILD_TITLES = {"headless": "headless", "win64": "Wine 64", "win32": "Wine 32 (emulated)"}

# The same work done other ways, in the headless process: the peer libraries a user might pick
# instead (each present only where its package was installed when the bench was built) and the
# floor, the plainest loop over the same bytes. Every one was checked against the library's
# output before it was timed.
COMPARISONS = {
    "gray_1920x1080": dict(peers=["opencv_gray_1920x1080"], floor="plain_gray_1920x1080"),
    "trans_64_of_1024": dict(peers=["opencv_trans_64"], floor="plain_trans_64"),
    # The export's five blits without its other calls: how near the floor its calls can come.
    "trans_64_five_blits": dict(peers=[], floor="plain_trans_64"),
    "three_slice_800x30": dict(peers=[], floor="plain_three_slice_800x30"),
    "region_holes_1024x768": dict(peers=["qt_region_pixels_holes_1024x768", "qt_region_mask_holes_1024x768"],
                                  floor="plain_region_holes_1024x768"),
    "region_rounded_1024x768": dict(peers=["qt_region_pixels_rounded_1024x768", "qt_region_mask_rounded_1024x768"],
                                    floor="plain_region_rounded_1024x768"),
    "gradient_800x600_h": dict(peers=["cairo_gradient_800x600_h"], floor="fill_800x600"),
    "gradient_800x600_v": dict(peers=["cairo_gradient_800x600_v"], floor="fill_800x600"),
    "blit_1024x1024": dict(peers=["pixman_blit_1024x1024"], floor="memcpy_4MiB"),
    "copy_1024x1024": dict(peers=[], floor="memcpy_4MiB"),
}

# Workloads whose bytes set a physical limit: the memcpy or bare fill of the same bytes,
# measured in the same process (and so in the Windows build too).
LIMITS = {name: c["floor"] for name, c in COMPARISONS.items() if c["floor"] in ("memcpy_4MiB", "fill_800x600")}

# The targets. Each compares a numerator with a denominator, both medians:
#   kind "ratio": (build_a, workload_a) / (build_b, workload_b) must be <= bound, or >= bound
#   kind "growth": time per pixel of the large workload over that of the small one <= bound
TARGETS = [
    dict(id="blit_vs_memcpy", what="AfxDrawNormalBitmap 1024x1024 <= 1.05 x memcpy of the same bytes",
         num=("headless", "blit_1024x1024"), den=("headless", "memcpy_4MiB"), op="<=", bound=1.05),
    dict(id="three_slice_vs_wine", what="AfxDrawHoriRectEx 800x30 <= 0.5 x Wine",
         num=("headless", "three_slice_800x30"), den=("win64", "three_slice_800x30"), op="<=", bound=0.5),
    dict(id="trans_vs_wine_transparentblt", what="AfxDrawTransBitmap 64x64 <= 0.5 x Wine's TransparentBlt of the block",
         num=("headless", "trans_64_of_1024"), den=("win64", "transparentblt_64"), op="<=", bound=0.5),
    dict(id="gray_vs_wine", what="AfxConvertToGray24 1920x1080 <= 0.3 x Wine",
         num=("headless", "gray_1920x1080"), den=("win64", "gray_1920x1080"), op="<=", bound=0.3),
    dict(id="region_holes_vs_wine", what="AfxCreateSkinRegion 1024x768, 20% in 4x4 holes <= 0.15 x Wine",
         num=("headless", "region_holes_1024x768"), den=("win64", "region_holes_1024x768"), op="<=", bound=0.15),
    dict(id="region_rounded_vs_wine", what="AfxCreateSkinRegion 1024x768, rounded + 2-px border <= 0.5 x Wine",
         num=("headless", "region_rounded_1024x768"), den=("win64", "region_rounded_1024x768"), op="<=", bound=0.5),
    dict(id="copy_vs_memcpy", what="AfxCopyBitmap 1024x1024 <= 1.05 x memcpy of the same bytes",
         num=("headless", "copy_1024x1024"), den=("headless", "memcpy_4MiB"), op="<=", bound=1.05),
    # The gradient fill is bound by memory writes: its floor is a bare fill of the same bytes.
    dict(id="gradient_h_vs_fill", what="AfxGradientFillRect 800x600 horizontal <= 1.1 x a bare fill of the same bytes",
         num=("headless", "gradient_800x600_h"), den=("headless", "fill_800x600"), op="<=", bound=1.1),
    dict(id="gradient_v_vs_fill", what="AfxGradientFillRect 800x600 vertical <= 1.1 x a bare fill of the same bytes",
         num=("headless", "gradient_800x600_v"), den=("headless", "fill_800x600"), op="<=", bound=1.1),
    # Against the peers and the floors, all in the headless process.
    dict(id="gray_vs_opencv", what="AfxConvertToGray24 1920x1080 <= 0.9 x OpenCV (1 thread)",
         num=("headless", "gray_1920x1080"), den=("headless", "opencv_gray_1920x1080"), op="<=", bound=0.9),
    dict(id="trans_vs_plain", what="AfxDrawTransBitmap 64x64 block <= 2 x the plain loop",
         num=("headless", "trans_64_of_1024"), den=("headless", "plain_trans_64"), op="<=", bound=2),
    dict(id="three_slice_vs_plain", what="AfxDrawHoriRectEx 800x30 <= 1.5 x the plain loop",
         num=("headless", "three_slice_800x30"), den=("headless", "plain_three_slice_800x30"), op="<=", bound=1.5),
    dict(id="region_holes_vs_qt", what="AfxCreateSkinRegion 1024x768 holes <= 0.5 x Qt from the same pixels",
         num=("headless", "region_holes_1024x768"), den=("headless", "qt_region_pixels_holes_1024x768"),
         op="<=", bound=0.5),
    dict(id="region_rounded_vs_qt", what="AfxCreateSkinRegion 1024x768 rounded <= 0.5 x Qt from the same pixels",
         num=("headless", "region_rounded_1024x768"), den=("headless", "qt_region_pixels_rounded_1024x768"),
         op="<=", bound=0.5),
    # The headless desktop, against memcpy of the screen's bytes: composing five shaped windows
    # writes the screen once and copies what shows of each window (about two passes over the
    # screen), and the capture copies it out (a third); the demo's paint cycle draws 640x400
    # through a dozen exports.
    dict(id="screen_capture_vs_memcpy", what="capturing a 1024x768 screen of five shaped windows <= 4 x memcpy of the screen's bytes",
         num=("headless", "screen_capture_5_windows"), den=("headless", "memcpy_screen_3MiB"), op="<=", bound=4),
    dict(id="demo_paint_vs_memcpy", what="a paint cycle of the demo's 640x400 window <= 2 x memcpy of the screen's bytes",
         num=("headless", "demo_paint_cycle"), den=("headless", "memcpy_screen_3MiB"), op="<=", bound=2),
    # Threads drawing into their own contexts at once (wall time).
    dict(id="blit_two_threads", what="two threads blitting 1024x1024 into their own targets >= 1.5 x one thread's rate",
         num=("headless", "blit_8x1024_one_thread"), den=("headless", "blit_8x1024_two_threads"), op=">=", bound=1.5),
]
for build in ("win64", "win32"):
    TARGETS += [
        dict(id=f"region_vs_per_pixel_{build}", what=f"{BUILD_TITLES[build]}: AfxCreateSkinRegion >= 50 x faster than per-pixel",
             num=(build, "region_per_pixel_1024x768"), den=(build, "region_holes_1024x768"), op=">=", bound=50),
        dict(id=f"trans_vs_whole_copy_{build}", what=f"{BUILD_TITLES[build]}: AfxDrawTransBitmap >= 20 x faster than whole copy",
             num=(build, "trans_64_whole_copy"), den=(build, "trans_64_of_1024"), op=">=", bound=20),
    ]
for build in ("headless", "win64"):
    TARGETS += [
        dict(id=f"region_growth_{build}", what=f"{BUILD_TITLES[build]}: AfxCreateSkinRegion time/pixel 2048x1536 <= 1.2 x 256x256",
             kind="growth", build=build, small=("region_holes_256x256", 256 * 256),
             large=("region_holes_2048x1536", 2048 * 1536), op="<=", bound=1.2),
        dict(id=f"gray_growth_{build}", what=f"{BUILD_TITLES[build]}: AfxConvertToGray24 time/pixel 2048x1536 <= 1.5 x 256x256",
             kind="growth", build=build, small=("gray_256x256", 256 * 256),
             large=("gray_2048x1536", 2048 * 1536), op="<=", bound=1.5),
    ]


def quartiles(values):
    if len(values) < 2:
        return values[0], values[0]
    q = statistics.quantiles(values, n=4, method="inclusive")
    return q[0], q[2]


class Runs:
    """Per-operation times in microseconds by build, workload and round."""

    def __init__(self):
        self.samples = {}  # (build, workload) -> {round: [us, ...]}, wall time
        self.cpu = {}  # the same with the process's CPU time, where the driver reports it
        self.labels = {}
        self.counters = {}  # (build, workload) -> {counter: value}, as the driver reported them
        self.errors = {}  # (build, workload) -> message
        self.order = []

    def load(self, build, round_id, path):
        with open(path, encoding="utf-8") as f:
            data = json.load(f)
        scale = {"ns": 1e-3, "us": 1.0, "ms": 1e3, "s": 1e6}
        for b in data.get("benchmarks", []):
            if b.get("run_type", "iteration") != "iteration":
                continue
            name = b.get("run_name", b["name"]).split("/")[0]
            if name not in self.order:
                self.order.append(name)
            if b.get("label"):
                self.labels[name] = b["label"]
            if b.get("error_occurred"):
                self.errors[(build, name)] = b.get("error_message", "error")
                continue
            if "rects" in b:
                self.counters.setdefault((build, name), {})["rects"] = b["rects"]
            us = b["real_time"] * scale[b.get("time_unit", "ns")]
            self.samples.setdefault((build, name), {}).setdefault(round_id, []).append(us)
            if "cpu_time" in b:
                cpu = b["cpu_time"] * scale[b.get("time_unit", "ns")]
                self.cpu.setdefault((build, name), {}).setdefault(round_id, []).append(cpu)

    def all(self, build, name, cpu=False):
        rounds = (self.cpu if cpu else self.samples).get((build, name), {})
        return [v for r in sorted(rounds) for v in rounds[r]]

    def median(self, build, name, cpu=False):
        values = self.all(build, name, cpu)
        return statistics.median(values) if values else None

    def round_medians(self, build, name, cpu=False):
        rounds = (self.cpu if cpu else self.samples).get((build, name), {})
        return {r: statistics.median(v) for r, v in rounds.items() if v}

    def stats(self, build, name):
        values = self.all(build, name)
        if not values:
            return None
        q1, q3 = quartiles(values)
        med = statistics.median(values)
        out = dict(median_us=med, q1_us=q1, q3_us=q3, samples=len(values),
                   spread=(q3 - q1) / med if med else 0.0)
        cpu = self.median(build, name, cpu=True)
        if cpu is not None:
            out["cpu_median_us"] = cpu
        return out

    def ratio(self, a, b, cpu=False):
        """Median ratio of two (build, workload) pairs, and its range over the rounds."""
        ma, mb = self.median(*a, cpu=cpu), self.median(*b, cpu=cpu)
        if ma is None or mb is None or mb == 0:
            return None
        ra, rb = self.round_medians(*a, cpu=cpu), self.round_medians(*b, cpu=cpu)
        per_round = [ra[r] / rb[r] for r in sorted(set(ra) & set(rb)) if rb[r]]
        return dict(value=ma / mb, per_round_min=min(per_round, default=None),
                    per_round_max=max(per_round, default=None))


def target_ratio(runs, target, cpu=False):
    if target.get("kind") == "growth":
        build = target["build"]
        (small, small_px), (large, large_px) = target["small"], target["large"]
        r = runs.ratio((build, large), (build, small), cpu)
        if r:
            factor = small_px / large_px
            r = {k: (v * factor if v is not None else None) for k, v in r.items()}
        return r
    return runs.ratio(target["num"], target["den"], cpu)


def meets(value, target):
    return value <= target["bound"] if target["op"] == "<=" else value >= target["bound"]


def evaluate(runs, target):
    r = target_ratio(runs, target)
    out = dict(id=target["id"], what=target["what"], op=target["op"], bound=target["bound"])
    if "den" in target:
        out["den"] = target["den"]
    if r is None:
        out.update(value=None, met=None)
    else:
        out.update(r)
        out["met"] = meets(r["value"], target)
    # Both sides in one process: the ratio of CPU times is immune to the time the process
    # spent waiting for a core, which on a shared machine inflates wall times unevenly.
    cpu = target_ratio(runs, target, cpu=True)
    if cpu is not None:
        out["cpu_value"] = cpu["value"]
        out["cpu_met"] = meets(cpu["value"], target)
    return out


def peer_target(name):
    """The target that holds a workload against a peer or its floor, in the headless process."""
    for t in TARGETS:
        if t.get("kind") != "growth" and t["num"] == ("headless", name) and t["den"][0] == "headless":
            return t
    return None


def compare_with_peers(runs):
    """Each library workload against its fastest peer and its floor, headless medians."""
    out = []
    for name, c in COMPARISONS.items():
        own = runs.median("headless", name)
        if own is None:
            continue
        peers = [(p, runs.median("headless", p)) for p in c["peers"]]
        peers = [(p, m) for p, m in peers if m is not None]
        best = min(peers, key=lambda pm: pm[1])[0] if peers else None
        rects = {w: runs.counters.get(("headless", w), {}).get("rects") for w in (name, best, c["floor"]) if w}
        entry = dict(name=name, median_us=own, best_peer=best, best_peer_us=runs.median("headless", best) if best else None,
                     to_best_peer=runs.ratio(("headless", name), ("headless", best)) if best else None,
                     floor=c["floor"], floor_us=runs.median("headless", c["floor"]),
                     to_floor=runs.ratio(("headless", name), ("headless", c["floor"])),
                     missing_peers=[p for p in c["peers"] if p not in dict(peers)], rects=rects)
        target = peer_target(name)
        if target:
            entry["target"] = evaluate(runs, target)
        out.append(entry)
    return out


def print_peer_table(comparisons):
    rows = []
    for e in comparisons:
        t = e.get("target")
        verdict = "-" if not t else ("n/a" if t["met"] is None else ("met" if t["met"] else "MISSED"))
        rects = " / ".join("-" if e["rects"].get(w) is None else f"{e['rects'][w]:.0f}"
                           for w in (e["name"], e["best_peer"], e["floor"]))
        rows.append([e["name"], fmt_time(e["median_us"]),
                     f"{e['best_peer']} {fmt_time(e['best_peer_us'])}" if e["best_peer"] else "-",
                     fmt_ratio(e["to_best_peer"]), f"{e['floor']} {fmt_time(e['floor_us'])}",
                     fmt_ratio(e["to_floor"]), rects if any(e["rects"].values()) else "",
                     f"{t['op']} {t['bound']} x {t['den'][1]}" if t else "-", verdict])
    print(table(["workload (headless)", "median", "best peer", "to best peer", "floor", "to floor",
                 "rectangles (library / peer / floor)", "target", "verdict"], rows))
    missing = sorted({p for e in comparisons for p in e["missing_peers"]})
    print("Peers and floors: checked equal or equivalent to the library's output before they were timed."
          + (f" Not in this run (package not installed when built): {', '.join(missing)}." if missing else ""))


def memory_targets(memory):
    """Peak bytes grow with the rectangles, not with the pixels."""
    by = {m["name"]: m for m in memory}
    out = []
    try:
        plain_small, plain_large = by["plain_1024x768"], by["plain_4096x3072"]
        holes_small, holes_large = by["holes_1024x768"], by["holes_4096x3072"]
    except KeyError:
        return out
    pixels = plain_large["peak_bytes"] / plain_small["peak_bytes"]
    out.append(dict(id="region_memory_vs_pixels",
                    what="AfxCreateSkinRegion peak heap, 16 x the pixels and one rectangle: <= 1.5 x",
                    op="<=", bound=1.5, value=pixels, met=pixels <= 1.5))
    per_rect_small = (holes_small["peak_bytes"] - plain_small["peak_bytes"]) / max(holes_small["rects"], 1)
    per_rect_large = (holes_large["peak_bytes"] - plain_large["peak_bytes"]) / max(holes_large["rects"], 1)
    rects = per_rect_large / per_rect_small if per_rect_small > 0 else float("inf")
    out.append(dict(id="region_memory_per_rect",
                    what=f"AfxCreateSkinRegion heap per rectangle at 4096x3072 vs 1024x768 "
                         f"({per_rect_large:.0f} vs {per_rect_small:.0f} bytes): <= 1.5 x",
                    op="<=", bound=1.5, value=rects, met=rects <= 1.5))
    return out


def fmt_time(us):
    if us is None:
        return "-"
    if us >= 1e6:
        return f"{us / 1e6:.2f} s"
    if us >= 1e3:
        return f"{us / 1e3:.2f} ms"
    return f"{us:.1f} us"


def fmt_ratio(r):
    if r is None or r.get("value") is None:
        return "-"
    v = r["value"]
    text = f"{v:.3g}"
    if r.get("per_round_min") is not None and r["per_round_min"] != r["per_round_max"]:
        text += f" [{r['per_round_min']:.3g}-{r['per_round_max']:.3g}]"
    return text


def table(headers, rows):
    widths = [max(len(str(h)), *(len(str(r[i])) for r in rows)) for i, h in enumerate(headers)]
    line = "  ".join(h.ljust(w) for h, w in zip(headers, widths))
    out = [line, "  ".join("-" * w for w in widths)]
    out += ["  ".join(str(c).ljust(w) for c, w in zip(r, widths)) for r in rows]
    return "\n".join(out)


def main(argv):
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("--run", action="append", default=[], help="BUILD:ROUND:FILE")
    parser.add_argument("--memory")
    parser.add_argument("--json")
    parser.add_argument("--note", action="append", default=[])
    parser.add_argument("--setting", action="append", default=[], help="KEY=VALUE recorded in the JSON")
    args = parser.parse_args(argv)

    runs = Runs()
    for run_arg in args.run:
        build, round_id, path = run_arg.split(":", 2)
        if build not in BUILDS:
            parser.error(f"unknown build {build}")
        runs.load(build, int(round_id), path)
    memory = []
    if args.memory:
        with open(args.memory, encoding="utf-8") as f:
            memory = json.load(f)

    builds = [b for b in BUILDS if any(k[0] == b for k in runs.samples) or any(k[0] == b for k in runs.errors)]
    workloads = []
    rows = []
    for name in runs.order:
        entry = dict(name=name, what=runs.labels.get(name, ""))
        for b in builds:
            entry[b] = runs.stats(b, name)
            if (b, name) in runs.errors:
                entry[b] = dict(error=runs.errors[(b, name)])
        vs_wine = runs.ratio(("headless", name), ("win64", name))
        entry["headless_to_wine64"] = vs_wine
        limit = LIMITS.get(name)
        if limit:
            entry["limit"] = limit
            entry["to_limit"] = {b: runs.ratio((b, name), (b, limit)) for b in builds}
        workloads.append(entry)

        def cell(b):
            s = entry.get(b)
            if s is None:
                return "-"
            if "error" in s:
                return "error"
            return f"{fmt_time(s['median_us'])} ±{100 * s['spread'] / 2:.0f}%"

        to_limit = "-"
        if limit:
            to_limit = " / ".join(f"{fmt_ratio(entry['to_limit'][b])}" for b in builds if b != "win32")
        cpu = (entry.get("headless") or {}).get("cpu_median_us")
        row = [name, cell("headless"), fmt_time(cpu), cell("win64"), fmt_ratio(vs_wine), to_limit]
        if "win32" in builds:
            row.insert(4, cell("win32"))
        rows.append(row)

    headers = ["workload", "headless", "headless CPU", "Wine 64", "headless/Wine", "to memcpy or fill (headless / Wine)"]
    if "win32" in builds:
        headers.insert(4, "Wine 32 (emulated)")
    print(table(headers, rows))
    print("Times: median over all repetitions of all rounds, ± half the interquartile range. Ratios: of the medians,"
          " [lowest-highest] of the per-round ratios.")

    comparisons = compare_with_peers(runs)
    if comparisons:
        print()
        print_peer_table(comparisons)

    results = [evaluate(runs, t) for t in TARGETS
               if (t.get("build") or t["num"][0]) in builds and (t.get("kind") == "growth" or t["den"][0] in builds)]
    results += memory_targets(memory)
    print()
    target_rows = []
    for r in results:
        verdict = "n/a" if r.get("met") is None else ("met" if r["met"] else "MISSED")
        cpu = "-"
        if r.get("cpu_value") is not None:
            cpu = f"{r['cpu_value']:.3g} ({'met' if r['cpu_met'] else 'MISSED'})"
        target_rows.append([r["what"], fmt_ratio(r), f"{r['op']} {r['bound']}", verdict, cpu])
    print(table(["target", "measured (wall)", "needed", "verdict", "by CPU time"], target_rows))
    print("By CPU time: only where both sides ran in the headless process, which reports its CPU time.")
    if memory:
        print()
        print(table(["memory probe (headless)", "size", "rectangles", "peak heap"],
                    [[m["name"], f"{m['width']}x{m['height']}", m["rects"], f"{m['peak_bytes'] / 1024:.0f} KiB"]
                     for m in memory]))
    for note in args.note:
        print("note: " + note)

    if args.json:
        settings = dict(s.split("=", 1) for s in args.setting)
        doc = dict(settings=settings, notes=args.note, builds=builds, workloads=workloads, comparisons=comparisons,
                   targets=results, memory=memory)
        with open(args.json, "w", encoding="utf-8") as f:
            json.dump(doc, f, indent=2)
            f.write("\n")
        print(f"\nJSON: {args.json}")
    # A missed target is a finding, not a failure of the harness; a workload that failed is.
    if runs.errors:
        print("errors: " + "; ".join(f"{b} {n}: {m}" for (b, n), m in sorted(runs.errors.items())), file=sys.stderr)
        return 1
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
