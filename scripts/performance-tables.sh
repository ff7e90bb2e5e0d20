#!/usr/bin/env bash
# Measures and prints a table of docs/performance.md in Markdown, each row with its date, the
# machine and the command that gave it, ready to replace the rows it updates:
#
#   scripts/performance-tables.sh engine       the engine's cost per frame (Google Benchmark; a few minutes)
#   scripts/performance-tables.sh linux-cpu    the Linux saver's CPU beside glplanet (scripts/measure-linux-cpu.sh;
#                                              about 20 minutes)
#   scripts/performance-tables.sh web          the page's main-thread time per frame, its first frame from disk,
#                                              its weight (scripts/benchmark-web.sh)
#   scripts/performance-tables.sh tests LOG    the test command's duration, from the output of scripts/test.sh
#
# Installs what is missing (Debian 12, as root). The figures depend on the machine and on what
# else runs on it: measure on a quiet machine, or say what ran beside.
set -euo pipefail
cd "$(dirname "$0")/.."

today=$(date -u +%F)
machine="$(nproc)-core $(sed -n 's/^model name[[:space:]]*: //p' /proc/cpuinfo | head -n 1 | sed 's/ [0-9]*-Core Processor//'), Debian $(cut -d. -f1 /etc/debian_version)"
row_end() { echo "| $today | $machine | \`$1\` |"; }

engine() {
    local build=build-bench command
    bash scripts/ensure-packages.sh cmake ninja-build g++ libpng-dev libbenchmark-dev >/dev/null
    cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DQUILLOMANTRASE_BENCHMARKS=ON \
        -DQUILLOMANTRASE_TESTS=OFF >/dev/null
    cmake --build "$build" --target quillomantrase_benchmark >/dev/null
    command="$build/bench/quillomantrase_benchmark"
    "$command" --benchmark_format=json 2>/dev/null | python3 -c '
import json, sys
rows = {}
for b in json.load(sys.stdin)["benchmarks"]:
    name, width, height = b["name"].split("/")[:3]
    rows.setdefault(f"{width}×{height}", {})[name] = b["per_frame"]
def ms(seconds):
    return f"{seconds * 1e3:.2f} ms" if seconds >= 1e-4 else f"{seconds * 1e6:.0f} µs"
print("| screen | `MemsetFloor` | `OrbitMean` | `OrbitCold` | `WorstFrame` | date | machine | command |")
print("|---|---|---|---|---|---|---|---|")
for screen, r in rows.items():
    cells = " | ".join(ms(r[n]) for n in ("MemsetFloor", "OrbitMean", "OrbitCold", "WorstFrame"))
    print(f"| {screen} | {cells} ", end="")
    print(sys.argv[1])' "$(row_end "$command")"
}

linux_cpu() {
    echo "| screen | program | measured for | CPU (average) | busiest 10 s | X server | date | machine | command |"
    echo "|---|---|---|---|---|---|---|---|---|"
    bash scripts/measure-linux-cpu.sh | awk -v end="$(row_end scripts/measure-linux-cpu.sh)" '
        $1 ~ /^[0-9]+x[0-9]+$/ && NF >= 6 {
            label = $2; for (i = 3; i <= NF - 4; ++i) label = label " " $i
            printf "| %s | `%s` | %s | %s | %s | %s %s\n", $1, label, $(NF - 3), $(NF - 2), $(NF - 1), $NF, end
        }'
}

web() {
    local output
    output=$(bash scripts/benchmark-web.sh)
    local browser median mean p95 first site one
    browser=$(sed -n 's/^chromium \(Chrome\/\)\{0,1\}//p' <<<"$output")
    median=$(sed -n 's/^medianMs: //p' <<<"$output")
    mean=$(sed -n 's/^meanMs: //p' <<<"$output")
    p95=$(sed -n 's/^p95Ms: //p' <<<"$output")
    first=$(sed -n 's/.*first frame after (ms): //p' <<<"$output")
    site=$(awk '$1 == "site" { print $2 }' <<<"$output")
    one=$(awk '$1 == "quillomantrase.html" && $3 == "bytes," { print $2 }' <<<"$output")
    echo "| measure | value | date | machine | command |"
    echo "|---|---|---|---|---|"
    echo "| main thread per frame at 1920×1080, Chromium $browser: median, mean, 95th percentile | $median, $mean, $p95 ms $(row_end scripts/benchmark-web.sh)"
    echo "| \`quillomantrase.html\` from disk to its first frame (five openings) | $first ms $(row_end scripts/benchmark-web.sh)"
    echo "| the served site, gzip -9 (without the one-file page) | $site bytes $(row_end scripts/benchmark-web.sh)"
    echo "| \`quillomantrase.html\`, the one-file page, as it is | $one bytes $(row_end scripts/benchmark-web.sh)"
}

tests() {
    [ -f "${1:-}" ] || { echo "tests needs the log of a run of scripts/test.sh" >&2; exit 2; }
    echo "| suite | duration | date | machine | command |"
    echo "|---|---|---|---|---|"
    sed -n 's/^=== \(.*\): \(PASS\|FAIL\) (\(.*\)) ===$/\1|\3|\2/p' "$1" | while IFS='|' read -r suite took verdict; do
        [ "$verdict" = PASS ] || suite="$suite (failed)"
        echo "| $suite | $took $(row_end "bash scripts/test.sh")"
    done
    echo "| all of them | $(sed -n 's/^total time: //p' "$1") $(row_end "bash scripts/test.sh")"
}

case ${1:-} in
engine) engine ;;
linux-cpu) linux_cpu ;;
web) web ;;
tests) tests "${2:-}" ;;
*) sed -n '2,13s/^# \{0,1\}//p' "$0" >&2; exit 2 ;;
esac
