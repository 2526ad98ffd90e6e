#!/usr/bin/env bash
# Builds the native sanitizer build of the text routines (build/fuzz, host
# clang), runs its table tests, then for each fuzzer replays the committed
# seeds and regression inputs and fuzzes for a while. No Wine, no X.
#
#   bash scripts/fuzz.sh [seconds-per-target]      (default 60)
#
# Exits non-zero when any sanitizer report, failed property, hang or test
# failure turns up; the input that caused it is saved under
# build/fuzz/crashes/<target>/ and belongs in fuzz/regressions/<target>/.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"

seconds=${1:-60}
if ! [[ $seconds =~ ^[0-9]+$ ]] || [ "$seconds" -lt 1 ]; then
    echo "usage: bash scripts/fuzz.sh [seconds-per-target]" >&2
    exit 2
fi

for tool in clang++ cmake; do
    if ! command -v "$tool" >/dev/null; then
        echo "$tool is missing: run bash scripts/setup.sh first." >&2
        exit 2
    fi
done

targets=(fuzz_stored_text fuzz_window_description fuzz_target_path)
build=build/fuzz

# The generator is chosen once; a later -G would clash with the cache.
configure=(-S fuzz -B "$build" -DCMAKE_CXX_COMPILER=clang++)
if [ ! -f "$build/CMakeCache.txt" ] && command -v ninja >/dev/null; then
    configure+=(-G Ninja)
fi
cmake "${configure[@]}" >/dev/null
cmake --build "$build" -j2

# Reports with file and line, and every report ends the process.
for symbolizer in llvm-symbolizer-14 llvm-symbolizer; do
    if command -v "$symbolizer" >/dev/null; then
        ASAN_SYMBOLIZER_PATH=$(command -v "$symbolizer")
        export ASAN_SYMBOLIZER_PATH
        break
    fi
done
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}

failures=0

echo "== table tests"
if ! ctest --test-dir "$build" -j2 --output-on-failure -E '^replay\.' >"$build/table-tests.log" 2>&1
then
    cat "$build/table-tests.log"
    failures=$((failures + 1))
fi
tail -n 3 "$build/table-tests.log" | sed -n '/tests passed/p'

# The first line of any report a fuzzer ends with.
report_start='ERROR: (Address|Leak)Sanitizer|runtime error|property does not hold|deadly signal'
report_start+='|ALARM|out-of-memory'

# Tells what went wrong in a fuzzer's log and where the input that did it is.
report_failure() {
    local target=$1 log=$2 stamp=$3
    echo "FAILED $target, full log: $log"
    grep -m 1 -A 30 -E "$report_start" "$log" || tail -n 30 "$log"
    local artifacts=()
    mapfile -t artifacts < <(find "$build/crashes/$target" -type f -newer "$stamp" | sort)
    if [ ${#artifacts[@]} -gt 0 ]; then
        echo "The input that failed:"
        printf '    %s\n' "${artifacts[@]}"
        echo "Copy it into fuzz/regressions/$target/ (named for what it catches), fix the"
        echo "fault, and check with: $build/$target <that file>"
    fi
    failures=$((failures + 1))
}

# A figure from libFuzzer's final statistics.
final_stat() { sed -n "s/^stat::$2: *//p" "$1" | tail -n 1; }

for target in "${targets[@]}"; do
    binary=$build/$target
    corpus=fuzz/corpus/$target
    regressions=fuzz/regressions/$target
    work=$build/work/$target
    crashes=$build/crashes/$target
    logs=$build/logs
    mkdir -p "$work" "$crashes" "$logs"
    # The fuzzer adds what it finds to the first folder it is given: a copy,
    # so that the committed seeds stay as they are.
    cp "$corpus"/* "$work"/
    stamp=$logs/$target.started
    touch "$stamp"
    common=(-artifact_prefix="$crashes/" -timeout=10)

    echo "== $target: seeds and regressions"
    if ! "$binary" "${common[@]}" -runs=0 "$corpus" "$regressions" >"$logs/$target-replay.log" 2>&1
    then
        report_failure "$target" "$logs/$target-replay.log" "$stamp"
        continue
    fi

    echo "== $target: fuzzing for $seconds s"
    log=$logs/$target-fuzz.log
    if ! "$binary" "${common[@]}" -max_total_time="$seconds" -print_final_stats=1 "$work" \
        "$regressions" >"$log" 2>&1; then
        report_failure "$target" "$log" "$stamp"
        continue
    fi
    printf '%s: %s executions (%s/s), %s new inputs, corpus %s files (%s bytes), peak RSS %s MB\n' \
        "$target" \
        "$(final_stat "$log" number_of_executed_units)" \
        "$(final_stat "$log" average_exec_per_sec)" \
        "$(final_stat "$log" new_units_added)" \
        "$(find "$work" -type f | wc -l)" \
        "$(find "$work" -type f -printf '%s\n' | awk '{ total += $1 } END { print total + 0 }')" \
        "$(final_stat "$log" peak_rss_mb)"
done

if [ "$failures" -gt 0 ]; then
    echo "$failures failure(s): see above." >&2
    exit 1
fi
echo "No faults found."
