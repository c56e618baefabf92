#!/usr/bin/env python3
"""The table of targets and figures from the outputs of bench/run.sh.

Usage: summarize.py RESULTS_DIR
"""
import json
import pathlib
import sys


def gbench(results, name):
    """Google Benchmark runs of one program, by benchmark name."""
    data = json.loads((results / f"{name}.json").read_text())
    return {run["name"]: run for run in data["benchmarks"]}


def figures(results, name):
    """The "name value" lines a script printed."""
    lines = (results / f"{name}.txt").read_text().split("\n")
    return {k: float(v) for k, v in (line.split() for line in lines if line.strip())}


def find(runs, prefix):
    """The run of the benchmark; with repetitions, their median (each
    counter the median of the repetitions' figures)."""
    median = [run for key, run in runs.items()
              if key.startswith(prefix) and run.get("aggregate_name") == "median"]
    if median:
        return median[0]
    for key, run in runs.items():
        if key.startswith(prefix) and run.get("run_type", "iteration") == "iteration":
            return run
    raise KeyError(prefix)


def main():
    results = pathlib.Path(sys.argv[1])
    reading = gbench(results, "reading")
    scratch = gbench(results, "scratch_file")
    listing = gbench(results, "list")
    framing = figures(results, "framing")
    startup = figures(results, "startup")
    idle = figures(results, "idle")

    rows = []

    def row(target, limit, measured, met, note=""):
        verdict = "-" if met is None else "met" if met else "**NOT met**"
        rows.append((target, limit, measured, verdict, note))

    for files, label in (("/fresh", "fresh data directory"), ("/set_files_", "large fl.db1 and usage.cap")):
        burst = find(reading, "ProcessedBurst" + files)
        sized = f"fl.db1 {burst['fl_db1_MB']:.0f} MB, usage.cap {burst['usage_cap_MB']:.0f} MB"
        row(f"One processed burst, {label}", "median <= 100 µs",
            f"median {burst['median_us']:.0f} µs (mean {burst['real_time']:.0f}, p90 {burst['p90_us']:.0f}, "
            f"p99 {burst['p99_us']:.0f}); "
            f"{burst['wire_share_pct']:.3f} % of the burst's {burst['wire_us'] / 1000:.0f} ms on the wire",
            burst["median_us"] <= 100, sized)
        done = find(reading, "CompletedSet" + files)
        row(f"One completed set (four set files, flushed), {label}", "median <= 5 ms",
            f"median {done['median_us'] / 1000:.2f} ms (mean {done['real_time'] / 1000:.2f}, "
            f"p90 {done['p90_us'] / 1000:.2f}, p99 {done['p99_us'] / 1000:.2f}); "
            f"{done['wire_share_pct']:.2f} % of the burst's {done['wire_us'] / 1000:.0f} ms on the wire",
            done["median_us"] <= 5000, sized)

    fresh_burst = find(reading, "ProcessedBurst/fresh")["median_us"]
    large_burst = find(reading, "ProcessedBurst/set_files_")["median_us"]
    fresh_set = find(reading, "CompletedSet/fresh")["median_us"]
    large_set = find(reading, "CompletedSet/set_files_")["median_us"]
    row("Cost per line does not grow with fl.db1 and usage.cap", "large / fresh about 1",
        f"median burst {large_burst / fresh_burst:.2f}x, median set {large_set / fresh_set:.2f}x",
        large_burst / fresh_burst < 1.25 and large_set / fresh_set < 1.25, "within 25 % counts as not growing")

    held = scratch["ReadBackAsHeldScratch"]["real_time"]
    opened = scratch["ReadBackAsScratch"]["real_time"]
    as_scratch = scratch["ReplacedAsScratch"]["real_time"]
    rename = scratch["ReplacedByRename"]["real_time"]
    in_place = scratch["OverwrittenInPlace"]["real_time"]
    row("(breakdown) cp.txt written and read back: into its companion held open, the two names swapped", "-",
        f"{held:.0f} µs (companion opened per burst: {opened:.0f} µs; written alone: {as_scratch:.0f} µs, "
        f"renamed over the old: {rename:.0f} µs, in place: {in_place:.0f} µs; "
        f"read back alone {scratch['ReadBack']['real_time']:.0f} µs)", None,
        "as the program makes it; the other ways for comparison")

    for kind in ("fLI", "fLII"):
        append = find(listing, f"List1Append/{kind}_lines")
        row(f"List1 append, {append['entries']:.0f} {kind} entries in a quick stream", "<= 5 µs average",
            f"{append['append_us_avg']:.2f} µs", append["append_us_avg"] <= 5)
        row(f"List1 memory growth, {kind} entries ({append['entry_chars']:.0f} characters)", "<= 64 bytes/entry",
            f"{append['bytes_per_entry']:.1f} bytes/entry (RSS +{append['rss_growth_MB']:.1f} MB)",
            append["bytes_per_entry"] <= 64)
    one = find(listing, "List1AppendWithRepaint")
    row(f"List1 append as in a run (one entry, then the event loop until List1 has repainted), "
        f"{one['entries']:.0f} entries",
        "append <= 5 µs; turn < 16 ms",
        f"append median {one['append_median_us']:.1f} µs; append and repaint median {one['median_us'] / 1000:.2f} ms "
        f"(max {one['max_us'] / 1000:.2f})",
        one["append_median_us"] <= 5 and one["median_us"] < 16000,
        f"repainted within {one['turns_max']:.0f} turns of the loop, newest entry in view")
    scroll = find(listing, "List1ScrollToEndRepaint")
    row(f"List1 scroll to end and repaint, {scroll['entries']:.0f} entries", "< 16 ms",
        f"median {scroll['median_ms']:.2f} ms (max {scroll['max_ms']:.2f})", scroll["median_ms"] < 16)

    row(f"Idle, Com1 open on a pseudo-terminal, {idle['idle_seconds']:.0f} s", "<= 50 ms CPU per 60 s",
        f"{idle['idle_cpu_ms']:.1f} ms ({idle['idle_cpu_ms_per_60s']:.1f} ms per 60 s); "
        f"{idle['idle_wakeups_per_s']:.2f} wake-ups/s", idle["idle_cpu_ms_per_60s"] <= 50)
    row(f"Start to window shown, offscreen ({startup['startup_runs']:.0f} starts)", "<= 300 ms",
        f"median {startup['startup_to_shown_ms_median']:.0f} ms (max {startup['startup_to_shown_ms_max']:.0f})",
        startup["startup_to_shown_ms_median"] <= 300)
    row("Resident memory at rest (2 s after shown, no port open)", "reported",
        f"{startup['rss_at_rest_MB_median']:.1f} MB", None)
    service = figures(results, "service")
    row(f"tally77-capture idle, port open on a pseudo-terminal, {service['service_idle_seconds']:.0f} s "
        f"(window: {idle['idle_cpu_ms_per_60s']:.1f} ms, above)", "<= 20 ms CPU per 60 s",
        f"{service['service_idle_cpu_ms_per_60s']:.1f} ms per 60 s; "
        f"{service['service_idle_wakeups_per_s']:.2f} wake-ups/s", service["service_idle_cpu_ms_per_60s"] <= 20)
    row(f"tally77-capture start to port open ({service['service_starts']:.0f} starts; "
        f"window start to shown: {startup['startup_to_shown_ms_median']:.0f} ms, above)", "<= 100 ms",
        f"median {service['service_start_to_open_ms_median']:.0f} ms (max {service['service_start_to_open_ms_max']:.0f})",
        service["service_start_to_open_ms_median"] <= 100)
    growth = service["service_rss_MB_late"] - service["service_rss_MB_early"]
    row(f"tally77-capture resident memory after {service['service_sets']:.0f} sets "
        f"(window at rest: {startup['rss_at_rest_MB_median']:.1f} MB, above)",
        f"<= 12 MB, no growth from {service['service_sets_early']:.0f} sets",
        f"{service['service_rss_MB_late']:.1f} MB ({service['service_rss_MB_early']:.1f} MB after "
        f"{service['service_sets_early']:.0f} sets, growth {growth:+.1f} MB; peak {service['service_peak_rss_MB']:.1f} MB)",
        service["service_rss_MB_late"] <= 12 and growth <= 0.25,
        f"{service['service_run_seconds']:.0f} s, bursts one at a time, 1 ms interval")
    for mode, label in (("whole", "written whole"), ("paced", "paced at 300 baud")):
        row(f"Burst framing over a pseudo-terminal, {framing[f'framing_{mode}_bursts']:.0f} bursts {label}, "
            f"interval {framing[f'framing_{mode}_interval_ms']:.0f} ms",
            "tick within 15 ms after the interval",
            f"median {framing[f'framing_{mode}_late_ms_median']:.2f} ms late, max {framing[f'framing_{mode}_late_ms_max']:.2f} ms",
            framing[f"framing_{mode}_late_ms_max"] <= 15)

    print("| Target | Limit | Measured | | Note |")
    print("|---|---|---|---|---|")
    for target, limit, measured, met, note in rows:
        print(f"| {target} | {limit} | {measured} | {met} | {note} |")


if __name__ == "__main__":
    main()
