#!/usr/bin/env bash
# Runs every libFuzzer target for SECONDS each (default 60), one after the other, and prints a
# table: target, executions per second, coverage (libFuzzer's "cov" count of edges), findings.
#
#     tools/fuzz-all.sh [SECONDS] [TARGET_REGEX]
#
# SECONDS 0 only runs the seeds through each target under libFuzzer (the CI's check).
# The targets are built in build-fuzz (clang, CORVANTIDE_LIBFUZZER=ON) when missing. Each run works
# on a scratch folder of its own; the committed corpus in fuzz/corpus/NAME is only read as seeds.
# Findings stay in the scratch folder printed below the table; the exit status is 1 when there are
# any. BUILD_DIR chooses another build folder.
set -euo pipefail
cd "$(dirname "$0")/.."
source tools/deps.sh
corvantide_ensure_packages "${corvantide_fuzz_packages[@]}"

seconds=${1:-60}
filter=${2:-.}
build_dir=${BUILD_DIR:-build-fuzz}

if [ ! -f "$build_dir/CMakeCache.txt" ]; then
    CXX=clang++ CC=clang cmake -S . -B "$build_dir" -G Ninja -DCORVANTIDE_LIBFUZZER=ON \
        -DCORVANTIDE_BUILD_GUI=OFF -DCORVANTIDE_BUILD_BENCH=OFF >/dev/null
else
    # Configure again so that targets added since the last build are listed.
    cmake -S . -B "$build_dir" >/dev/null
fi
mapfile -t targets < <(ninja -C "$build_dir" -t targets all | sed -n 's/^\(libfuzzer_[A-Za-z0-9]*\): .*/\1/p' |
    sort -u | grep -E -- "$filter" || true)
if [ ${#targets[@]} -eq 0 ]; then
    echo "no libFuzzer targets in $build_dir (is it a clang build with CORVANTIDE_LIBFUZZER=ON?)" >&2
    exit 2
fi
cmake --build "$build_dir" -j "$(nproc)" --target "${targets[@]}" >/dev/null

scratch=$(mktemp -d /tmp/corvantide-fuzz.XXXXXX)
export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=1:abort_on_error=1}
export LSAN_OPTIONS=${LSAN_OPTIONS:-suppressions=$PWD/tools/lsan.supp:print_suppressions=0}
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}

total_findings=0
rows=()
for target in "${targets[@]}"; do
    name=${target#libfuzzer_}
    work=$scratch/$name
    mkdir -p "$work/corpus" "$work/findings"
    seeds=fuzz/corpus/$name
    [ -d "$seeds" ] || seeds=""
    echo "fuzzing $name for ${seconds}s..." >&2
    if [ "$seconds" -eq 0 ]; then
        limit=(-runs=0)
    else
        limit=(-max_total_time="$seconds")
    fi
    "$build_dir/bin/$target" "${limit[@]}" -timeout=25 -rss_limit_mb=2048 -print_final_stats=1 \
        -artifact_prefix="$work/findings/" "$work/corpus" $seeds >"$work/log" 2>&1 || true
    execs=$(sed -n 's/^stat::average_exec_per_sec: *//p' "$work/log" | tail -1)
    cov=$(grep -oE ' cov: [0-9]+' "$work/log" | tail -1 | grep -oE '[0-9]+' || true)
    findings=$(find "$work/findings" -type f | wc -l)
    # A run that stopped on a finding before its stats still counts its finding.
    if [ "$findings" -eq 0 ] && ! grep -q '^stat::number_of_executed_units' "$work/log"; then
        findings=1
        cp "$work/log" "$work/findings/run-failed.log"
    fi
    total_findings=$((total_findings + findings))
    rows+=("$(printf '%-20s %12s %8s %9s' "$name" "${execs:-?}" "${cov:-?}" "$findings")")
done

printf '%-20s %12s %8s %9s\n' target "execs/s" coverage findings
printf '%s\n' "${rows[@]}"
echo "logs, new inputs and findings: $scratch"
if [ "$total_findings" -gt 0 ]; then
    exit 1
fi
