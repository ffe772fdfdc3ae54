#!/usr/bin/env python3
"""Prints the table of bench/run.sh from the results it gathered, and checks
the speed targets against it.

  report.py RESULTS LARGEST_CORPUS_FILE GENERATED_FILE
  report.py --project TIMES_JSON TOOL FROM_BYTES TO_BYTES
      (seconds a tool's run would take on TO_BYTES, from its median on FROM_BYTES)
"""

import json
import os
import sys

MIB = 1024 * 1024
PEERS = ["enscript", "kate-syntax-highlighter", "pygmentize", "source-highlight", "highlight"]


def medians(path):
    """Median seconds by command name in a hyperfine JSON export."""
    if not os.path.exists(path):
        return {}
    with open(path) as f:
        return {r["command"]: r["median"] for r in json.load(f)["results"]}


def read_number(path, default=None):
    try:
        with open(path) as f:
            return float(f.read().strip())
    except (OSError, ValueError):
        return default


def project(times_json, tool, from_bytes, to_bytes):
    median = medians(times_json).get(tool)
    if median is None:
        return float("inf")
    return median * int(to_bytes) / int(from_bytes)


def ms(seconds):
    return f"{seconds * 1000:.1f} ms" if seconds < 10 else f"{seconds:.2f} s"


def mib(size):
    return f"{size / MIB:.1f} MiB"


class Report:
    def __init__(self, results, largest, generated):
        self.results = results
        self.largest = largest
        self.generated = generated
        self.files = sorted(
            (name for name in os.listdir(results) if os.path.isdir(os.path.join(results, name))),
            key=lambda name: (name == generated, name))
        self.rows = []
        self.data = {}

    def load(self, name):
        d = os.path.join(self.results, name)
        times = medians(os.path.join(d, "times.json"))
        times.update(medians(os.path.join(d, "varnel.json")))
        entry = {
            "input": read_number(os.path.join(d, "input-bytes"), 0),
            "output": read_number(os.path.join(d, "output-bytes"), 0),
            "times": times,
            "cp": medians(os.path.join(d, "copy.json")).get("cp"),
            "cat": medians(os.path.join(d, "cat.json")).get("cat"),
            "rss": {tool: read_number(os.path.join(d, f"rss-{tool}")) for tool in ["varnel"] + PEERS},
            "skipped": {tool: read_number(os.path.join(d, f"skipped-{tool}"))
                        for tool in PEERS if os.path.exists(os.path.join(d, f"skipped-{tool}"))},
        }
        self.data[name] = entry
        return entry

    def table(self):
        header = ("file", "tool", "median", "MiB/s", "peak RSS", "varnel is")
        lines = []
        for name in self.files:
            e = self.load(name)
            varnel = e["times"].get("varnel")
            size = e["input"]
            label = f"{name} ({mib(size)})"
            rows = []

            def speed(seconds):
                return f"{size / MIB / seconds:.1f}" if seconds else ""

            def rss(tool):
                value = e["rss"].get(tool)
                return mib(value * 1024) if value else ""

            rows.append(("varnel", ms(varnel), speed(varnel), rss("varnel"), ""))
            for peer in PEERS:
                if peer in e["skipped"]:
                    rows.append((peer, "skipped", "", "",
                                 f"(would take ~{e['skipped'][peer]:.0f} s a run)"))
                    continue
                seconds = e["times"].get(peer)
                if seconds is None:
                    rows.append((peer, "failed", "", "", ""))
                    continue
                rows.append((peer, ms(seconds), speed(seconds), rss(peer), f"{seconds / varnel:.1f}x faster"))
            if e["cp"] is not None and e["cat"] is not None:
                floors = e["cp"] + e["cat"]
                rows.append(("floor: cp input", ms(e["cp"]), "", "", ""))
                rows.append((f"floor: cat page ({mib(e['output'])}) > copy", ms(e["cat"]), "", "", ""))
                rows.append(("floors added", ms(floors), "", "", f"{varnel / floors:.2f}x the floors"))
            for i, row in enumerate(rows):
                lines.append((label if i == 0 else "",) + row)
            lines.append(None)
        widths = [max(len(header[c]), *(len(l[c]) for l in lines if l)) for c in range(len(header))]
        right = {2, 3, 4}

        def fmt(row):
            return "  ".join(cell.rjust(w) if c in right else cell.ljust(w)
                             for c, (cell, w) in enumerate(zip(row, widths))).rstrip()

        out = [fmt(header), fmt(tuple("-" * w for w in widths))]
        for line in lines[:-1]:
            out.append(fmt(line) if line else "")
        return "\n".join(out)

    def targets(self):
        out = [f"Targets (on {self.largest} unless said):"]
        e = self.data[self.largest]
        varnel = e["times"]["varnel"]
        peers = {p: t for p, t in e["times"].items() if p != "varnel"}
        if peers:
            fastest = min(peers, key=peers.get)
            ratio = peers[fastest] / varnel
            out.append(f"  10x faster than the fastest peer: {'met' if ratio >= 10 else 'NOT met'}"
                       f" - {fastest} {ms(peers[fastest])}, varnel {ms(varnel)}: {ratio:.1f}x")
        if e["cp"] is not None and e["cat"] is not None:
            floors = e["cp"] + e["cat"]
            out.append(f"  within 3x of the floors added: {'met' if varnel <= 3 * floors else 'NOT met'}"
                       f" - varnel {ms(varnel)}, floors {ms(e['cp'])} + {ms(e['cat'])} = {ms(floors)}:"
                       f" {varnel / floors:.2f}x")
        if self.generated in self.data:
            g = self.data[self.generated]
            small = varnel / (e["input"] / MIB)
            big = g["times"]["varnel"] / (g["input"] / MIB)
            change = (big / small - 1) * 100
            out.append(f"  linear up to {mib(g['input'])}: {'met' if big <= 1.2 * small else 'NOT met'}"
                       f" - {small * 1000:.2f} ms/MiB on {self.largest}, {big * 1000:.2f} ms/MiB on"
                       f" {self.generated} ({change:+.0f} %)")
        worst = []
        for name, d in self.data.items():
            peak = d["rss"].get("varnel")
            if not peak:
                continue
            allowed = 3 * (d["input"] + d["output"]) + 30 * MIB
            worst.append((peak * 1024 / allowed, name, peak * 1024, allowed))
        if worst:
            ok = all(share <= 1 for share, *_ in worst)
            details = ", ".join(f"{name}: {mib(peak)} of {mib(allowed)}" for _, name, peak, allowed in worst)
            out.append(f"  peak RSS <= 3 x (input + output) + 30 MiB: {'met' if ok else 'NOT met'} - {details}")
        startup = medians(os.path.join(self.results, "startup.json")).get("varnel")
        if startup is not None:
            out.append(f"  start-up, a 1 KiB file with no display: {'met' if startup <= 0.010 else 'NOT met'}"
                       f" - median {ms(startup)} (at most 10 ms)")
        return "\n".join(out)


def main(argv):
    if len(argv) == 6 and argv[1] == "--project":
        print(f"{project(*argv[2:6]):.3f}")
        return 0
    if len(argv) != 4:
        print(__doc__, file=sys.stderr)
        return 2
    report = Report(*argv[1:4])
    print(report.table())
    print()
    print(report.targets())
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
