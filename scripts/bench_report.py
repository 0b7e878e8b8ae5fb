#!/usr/bin/env python3
"""Prints one Google Benchmark JSON result as a table: time per item, the ratio to the
baseline of the same size measured in the same run, and the growth of the per-item cost
from the smallest size to the largest."""
import json
import sys


def split(name):
    # "BM_Thing/1000" -> ("BM_Thing", "1000"); extra "/..." parts stay in the size.
    parts = name.split("/", 1)
    return parts[0], (parts[1] if len(parts) > 1 else "")


def per_item_us(b):
    scale = {"ns": 1e-3, "us": 1.0, "ms": 1e3, "s": 1e6}[b.get("time_unit", "ns")]
    t = b["real_time"] * scale
    ips = b.get("items_per_second")
    if ips:
        return 1e6 / ips, True
    return t, False


STANDARD_KEYS = {
    "name", "family_index", "per_family_instance_index", "run_name", "run_type", "repetitions",
    "repetition_index", "threads", "iterations", "real_time", "cpu_time", "time_unit",
    "items_per_second", "bytes_per_second", "aggregate_name", "aggregate_unit", "label",
    "error_occurred", "error_message",
}


def counters(b):
    # User counters (state.counters["..."]): figures other than time, e.g. bytes per object.
    return {k: v for k, v in b.items() if k not in STANDARD_KEYS and isinstance(v, (int, float))}


def main(path):
    with open(path) as f:
        data = json.load(f)
    rows = {}
    extra = {}
    order = []
    for b in data.get("benchmarks", []):
        if b.get("run_type") == "aggregate" and b.get("aggregate_name") != "median":
            continue
        base, size = split(b["run_name"] if "run_name" in b else b["name"])
        key = (base, size)
        if key not in rows:
            order.append(key)
        rows[key] = per_item_us(b)
        extra[key] = counters(b)
    print(f"{'benchmark':48} {'size':>10} {'us/item':>12} {'vs baseline':>12}")
    for base, size in order:
        if base.endswith("_Baseline"):
            continue
        value, per_item = rows[(base, size)]
        ref = rows.get((base + "_Baseline", size))
        ratio = f"{value / ref[0]:.2f}x" if ref and ref[0] > 0 else "-"
        unit = "" if per_item else " (total)"
        print(f"{base:48} {size:>10} {value:12.4f} {ratio:>12}{unit}")
        if ref:
            print(f"{'  ' + base + '_Baseline':48} {size:>10} {ref[0]:12.4f}")
        ref_extra = extra.get((base + "_Baseline", size), {})
        for name, v in extra[(base, size)].items():
            r = ref_extra.get(name)
            ratio = f" ({v / r:.2f}x baseline {r:.6g})" if r else ""
            print(f"{'  ' + name:48} {size:>10} {v:12.6g}{ratio}")
    # Growth: per-item cost at the largest size over the smallest, for each benchmark.
    sizes = {}
    for base, size in order:
        try:
            sizes.setdefault(base, []).append((int(size.split("/")[0]), rows[(base, size)][0]))
        except ValueError:
            pass
    for base, pts in sizes.items():
        if len(pts) >= 2:
            pts.sort()
            (n0, v0), (n1, v1) = pts[0], pts[-1]
            if v0 > 0:
                print(f"growth {base}: per-item cost x{v1 / v0:.2f} from {n0} to {n1}")


if __name__ == "__main__":
    for p in sys.argv[1:]:
        main(p)
