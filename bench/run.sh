#!/usr/bin/env bash
# Snap's benchmark: bash bench/run.sh
#
# Builds what it needs, runs Snap beside the stand-in camera library and the
# stand-in imaging application under Wine (private Xvfb), measures, and prints
# Markdown tables, also saved to build/bench/results.md (raw data in
# build/bench/<build>/).
# It measures and reports; it asserts no time. Each figure's target is printed
# with it, and whether this run met it.
#
# The figures:
#   Detection to delivery   from the stand-in library's call that answered a
#       press (its log line) to the imaging application's log line for the
#       button click Snap posted on that press. Both logs are on the
#       performance counter's clock. This is Snap's own reaction time, plus
#       the library call and the receiver's wake-up. Target: p99 <= 10 ms.
#   Snap / floor   the same, side by side with the floor program on the same
#       presses: both libraries (one copy each) get their press at the same
#       moment, each program clicks its own button of the same panel (Snap
#       "Capture" 211, the floor "Live" 212), and the imaging application's
#       log tells the two clicks apart. The floor (PollFloor) does the least
#       the job needs: a 50 ms poll; on a press, the window by its class, the
#       stored path's walk, the click posted; its target from its command
#       line. The ratios at p50 and p99 are the figures that hold on a noisy
#       machine, more than either time alone.
#   Settings file per press   reads and writes of Snap's settings file that a
#       press adds to a poll, counted in a second, short session of Snap under
#       Wine's trace of the profile functions (WINEDEBUG=trace+profile on
#       Snap's process only, so the timed presses are not slowed by it): the
#       profile calls between the library call that answered a press and the
#       next call, less those of a poll without a press. The floor reads and
#       writes nothing on a press (one read of "Pilote" per poll).
#   Run log on / off   detection to delivery p50 / p99 of the presses above
#       (the run log on, as by default) beside as many presses again with
#       "Log=0": a log line is written after each step has gone out, so the
#       two should not differ beyond the noise.
#   Physical press to delivery   the press trigger is written at a random
#       moment between polls (BenchDriver records when, on the same clock);
#       the library takes it at its next call. So a press waits for the next
#       poll, on average half an interval and at worst a whole one, then
#       detection to delivery. The polling bound printed beside it is
#       25 ms + detection-to-delivery mean (worst case 50 ms + d2d p99).
#       Target: the measured mean within 10% of that bound.
#   Poll interval   between two library calls while idle, for Snap and for
#       the floor program; the contract asks for 50 ms. Context for the above.
#   Idle CPU   utime+stime from /proc/<pid>/stat of the Wine process running
#       each program, over the same 30 s, side by side, no presses; % of one
#       core. Against PollFloor (a 50 ms timer, one read of "Pilote", one
#       library call per tick: all that polling demands) and an empty modal
#       dialog for context. Work Wine's server does for each process is not in
#       its figure. Target: Snap <= 1.25 x the floor.
#   Peak memory   VmHWM of the same processes (Snap's after the presses).
#   Size   the i686 release build/release/bin/Snap.exe, as built and stripped
#       (a stripped copy). Target: stripped <= 400 KB.
# All of it twice in one run: the x86_64 test build under the host's Wine,
# then what ships, the i686 release build (Snap.exe, the stand-in library and
# the programs it is compared with, all 32-bit), under the private 32-bit Wine
# of scripts/wine32-setup.sh. Where the kernel cannot execute i386 programs
# that Wine runs under QEMU's user-mode emulation, whose cost is in the i686
# figures (CPU, memory and times are the emulator process's); the tables say
# which kernel mode gave them. A side-by-side summary ends the report.
# Then a breakdown of what a press goes through, timed by BenchDriver: profile
# reads and writes on a copy of Snap's settings file (Snap saves its window
# placement, 11 keys, before every step; only changed keys get written), the
# window search, the library call, and a message posted straight to the
# imaging application.
#
# Environment: BENCH_PRESSES (default 300), BENCH_IDLE_SECONDS (default 30),
# BENCH_TRACED_PRESSES (default 20), BENCH_BUILDS (default "x86_64 i686").
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
presses=${BENCH_PRESSES:-300}
idle_seconds=${BENCH_IDLE_SECONDS:-30}
traced_presses=${BENCH_TRACED_PRESSES:-20}
# The libraries must use their own folders as control folders, not a caller's;
# both Wines share this run's display.
unset KELVRATOUCH_SIM_DIR WINE32_DISPLAY

bash scripts/setup.sh
bash scripts/wine32-setup.sh
echo "Building..."
cmake --preset test >/dev/null
cmake --build --preset test --target Snap KelvraTouch StandInImager PollFloor EmptyDialog BenchDriver >/dev/null
cmake --preset release >/dev/null
cmake --build --preset release --target Snap KelvraTouch StandInImager PollFloor EmptyDialog BenchDriver >/dev/null

bench_root="$root/build/bench"
mkdir -p "$bench_root"
rm -f "$bench_root/results.md"

. scripts/wine-session.sh
wine_session_start "$root"
wine32_session_start "$root"
kernel_mode=$(sed -n 2p build/wine32/ready)

pids=()
stop_programs() {
    local pid
    for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
    for pid in "${pids[@]}"; do wait "$pid" 2>/dev/null || true; done
    pids=()
}
cleanup() {
    stop_programs
    wine_session_stop
}
trap cleanup EXIT

# One build's measurements and tables; sets the figures the summary shows.
#   bench_build NAME BIN_FOLDER WINE_COMMAND "DESCRIPTION"
bench_build() {
work="$bench_root/$1"
bin="$2"
runner="$3"
description="$4"
echo
echo "== $description"
run="$work/run"
rm -rf "$run"
mkdir -p "$run"/{snap,floor,empty,imager,scratch}
# A name of its own, so its per-user settings and its process are its own.
cp "$bin/Snap.exe" "$run/snap/SnapBench.exe"
cp "$bin/PollFloor.exe" "$run/floor/"
cp "$bin/EmptyDialog.exe" "$run/empty/"
cp "$bin/StandInImager.exe" "$run/imager/"
cp "$bin/BenchDriver.exe" "$run/"
# Each program gets its own copy of the library, hence its own controls and log.
for folder in snap floor scratch; do cp "$bin/KelvraTouch.dll" "$run/$folder/"; done
mkdir -p "$work"
rm -f "$work"/{presses.tsv,traced-presses.tsv,profile-trace.txt,breakdown.tsv,results.md,processes.txt}

winpath() { "$runner" winepath -w "$1" </dev/null 2>/dev/null; }
driver() { timeout 900 "$runner" "$run/BenchDriver.exe" "$@" </dev/null; }

# Started from its folder; wine's process becomes the Windows program's, and
# its command line is then the program's. Sets $started. With $trace_to set,
# Wine's trace of the profile functions goes to that file.
trace_to=
start_program() { # folder exe [args...]
    local folder=$1
    shift
    if [ -n "$trace_to" ]; then
        (cd "$folder" && WINEDEBUG=trace+profile exec "$runner" "$@" </dev/null >/dev/null 2>"$trace_to") &
    else
        (cd "$folder" && exec "$runner" "$@" </dev/null >/dev/null 2>&1) &
    fi
    started=$!
    pids+=("$started")
}

# The Linux PID of the Wine process running exe: the one started, once its
# command line names the program (before that it is still wine's launcher).
# What pgrep finds by that name is recorded beside it, as a check.
windows_pid() { # launched-pid exe
    local pid=$1 exe=$2
    for _ in $(seq 100); do
        if tr '\0' ' ' <"/proc/$pid/cmdline" 2>/dev/null | grep -qF "$exe"; then
            echo "$exe: PID $pid (pgrep -f: $(pgrep -f -- "$exe" | tr '\n' ' ')), command line" \
                "'$(tr '\0' ' ' <"/proc/$pid/cmdline" | sed 's/ *$//')', exe $(readlink "/proc/$pid/exe")" \
                >>"$work/processes.txt"
            echo "$pid"
            return 0
        fi
        kill -0 "$pid" 2>/dev/null || break
        sleep 0.1
    done
    echo "$exe did not start" >&2
    return 1
}

wait_for_window() { # xdotool name pattern
    timeout 60 xdotool search --sync --onlyvisible --name "$1" >/dev/null
}
wait_for_file() { # path
    for _ in $(seq 200); do
        [ -s "$1" ] && return 0
        sleep 0.1
    done
    echo "$1 never appeared" >&2
    return 1
}

cpu_ticks() { sed 's/.*) //' "/proc/$1/stat" | awk '{ print $12 + $13 }'; }
peak_kb() { awk '/^VmHWM:/ { print $2 }' "/proc/$1/status"; }
now() { date +%s.%N; }

title="Bench Imager $$"
driver ini "$(winpath "$run/snap/SnapBench.INI")"
read -r floor_window floor_path < <(driver floor-target | tr -d '\r')
local_appdata=$("$runner" cmd /c 'echo %LOCALAPPDATA%' </dev/null 2>/dev/null | tr -d '\r')
settings_folder=$("$runner" winepath -u "$local_appdata\\SnapBench" </dev/null 2>/dev/null)
settings_windows="$local_appdata\\SnapBench\\SnapBench.INI"
rm -rf "$settings_folder" # seeded again from SnapBench.INI at start

echo "Starting the imaging application, Snap, the floor program and the empty dialog..."
start_program "$run/imager" StandInImager.exe "/log:$(winpath "$run/imager/imager.log")" \
    "/title:$title" /pos:400,40
imager_pid=$(windows_pid "$started" StandInImager.exe)
wait_for_window "^$title\$"
start_program "$run/snap" SnapBench.exe
snap_pid=$(windows_pid "$started" SnapBench.exe)
wait_for_window '^Snap$'
wait_for_file "$settings_folder/SnapBench.INI"
start_program "$run/floor" PollFloor.exe "$settings_windows" "$floor_window" "$floor_path"
floor_pid=$(windows_pid "$started" PollFloor.exe)
start_program "$run/empty" EmptyDialog.exe
empty_pid=$(windows_pid "$started" EmptyDialog.exe)
wait_for_window '^Empty$'
wait_for_file "$run/snap/KelvraTouchSim.log"
wait_for_file "$run/floor/KelvraTouchSim.log"
sleep 3 # past start-up

echo "Idle for $idle_seconds s: Snap, the floor program and the empty dialog side by side..."
lines() { wc -l <"$1"; }
snap_log="$run/snap/KelvraTouchSim.log"
floor_log="$run/floor/KelvraTouchSim.log"
snap_line0=$(lines "$snap_log"); floor_line0=$(lines "$floor_log")
t0=$(now)
snap0=$(cpu_ticks "$snap_pid"); floor0=$(cpu_ticks "$floor_pid"); empty0=$(cpu_ticks "$empty_pid")
sleep "$idle_seconds"
snap1=$(cpu_ticks "$snap_pid"); floor1=$(cpu_ticks "$floor_pid"); empty1=$(cpu_ticks "$empty_pid")
t1=$(now)
snap_line1=$(lines "$snap_log"); floor_line1=$(lines "$floor_log")
floor_peak=$(peak_kb "$floor_pid"); empty_peak=$(peak_kb "$empty_pid")
# Out of the way of the press timings; the floor stays for them.
kill "$empty_pid"

echo "Pressing the camera button $presses times, each at a random moment, for Snap and the floor at once..."
driver presses "$(winpath "$run/imager/imager.log")" "$presses" "$(winpath "$work/presses.tsv")" \
    "$(winpath "$run/snap")" "$(winpath "$run/floor")"
kill "$floor_pid" 2>/dev/null || true

# The same presses again with the run log off ("Log=0"): what writing a log
# line per step costs detection to delivery. Snap reads the key at each step.
run_log="$settings_folder/SnapBench.log"
log_lines_on=$(cat "$run_log" 2>/dev/null | wc -l)
echo "Pressing the camera button $presses times more with the run log off..."
gawk '{ print } /^\[Param\]/ { printf "Log=0\r\n" }' "$settings_folder/SnapBench.INI" >"$work/log-off.ini"
cp "$work/log-off.ini" "$settings_folder/SnapBench.INI"
log_lines_before_off=$(cat "$run_log" 2>/dev/null | wc -l)
driver presses "$(winpath "$run/imager/imager.log")" "$presses" "$(winpath "$work/presses-log-off.tsv")" \
    "$(winpath "$run/snap")"
log_lines_off=$(( $(cat "$run_log" 2>/dev/null | wc -l) - log_lines_before_off ))
gawk '!/^Log=0\r?$/' "$settings_folder/SnapBench.INI" >"$work/log-on.ini"
cp "$work/log-on.ini" "$settings_folder/SnapBench.INI"

echo "Timing the pieces of a press..."
# The copy beside the original: the same drive and depth of path under Wine.
cp "$settings_folder/SnapBench.INI" "$settings_folder/BenchCopy.INI"
driver breakdown "$local_appdata\\SnapBench\\BenchCopy.INI" "$(winpath "$run/scratch")" "$title" \
    "$(winpath "$run/imager/imager.log")" "$(winpath "$work/breakdown.tsv")"
rm -f "$settings_folder/BenchCopy.INI"
snap_peak=$(peak_kb "$snap_pid")
kill -0 "$snap_pid" 2>/dev/null && kill -0 "$imager_pid" 2>/dev/null ||
    echo "Snap or the imaging application ended during the run" >&2

echo "Counting the settings file's reads and writes over $traced_presses presses (Snap again, traced)..."
kill "$snap_pid" 2>/dev/null || true
wait "$snap_pid" 2>/dev/null || true
traced_line0=$(lines "$snap_log")
trace_to="$work/profile-trace.txt"
start_program "$run/snap" SnapBench.exe
trace_to=
traced_pid=$(windows_pid "$started" SnapBench.exe)
for _ in $(seq 200); do
    [ "$(lines "$snap_log")" -gt $((traced_line0 + 5)) ] && break # past the first polls
    sleep 0.1
done
driver presses "$(winpath "$run/imager/imager.log")" "$traced_presses" \
    "$(winpath "$work/traced-presses.tsv")" "$(winpath "$run/snap")"
sleep 0.5 # the poll after the last press closes its count
kill "$traced_pid" 2>/dev/null || true
wait "$traced_pid" 2>/dev/null || true
gawk -v from="$traced_line0" 'FNR > from' "$snap_log" >"$work/traced-calls.tsv"
stop_programs

cp build/release/bin/Snap.exe "$work/Snap-stripped.exe"
i686-w64-mingw32-strip "$work/Snap-stripped.exe"
size_built=$(stat -c %s build/release/bin/Snap.exe)
size_stripped=$(stat -c %s "$work/Snap-stripped.exe")

# ---------------------------------------------------------------------------
# Figures (every filter reads its whole input: no SIGPIPE under pipefail)

calc() { gawk "BEGIN { printf \"%.2f\", $1 }"; }
# Nearest-rank percentile of a column of numbers (p = 100 is the maximum).
percentile() { sort -g | gawk -v p="$1" '{ v[NR] = $1 } END { if (!NR) { print "-"; exit }
    i = int(NR * p / 100); if (i < NR * p / 100) ++i; if (i < 1) i = 1; printf "%.2f", v[i] }'; }
mean() { gawk '{ s += $1 } END { if (NR) printf "%.2f", s / NR; else print "-" }'; }
count() { gawk 'END { print NR }'; }

good_presses() { gawk -F'\t' 'NR > 1 && $8 == "" && $4 > 0 && $5 > 0 && $6 > 0 && $7 > 0' "$work/presses.tsv"; }
d2d() { good_presses | gawk -F'\t' '{ printf "%.3f\n", $5 - $4 }'; }
floor_d2d() { good_presses | gawk -F'\t' '{ printf "%.3f\n", $7 - $6 }'; }
p2d() { good_presses | gawk -F'\t' '{ printf "%.3f\n", $5 - $3 }'; }
measured=$(good_presses | count)
odd=$(gawk -F'\t' 'NR > 1 && $8 != ""' "$work/presses.tsv" | count)
d2d_p50=$(d2d | percentile 50); d2d_p99=$(d2d | percentile 99)
d2d_max=$(d2d | percentile 100); d2d_mean=$(d2d | mean)
d2d_first=$(d2d | gawk 'NR == 1 { printf "%.2f", $1 }')
floor_p50=$(floor_d2d | percentile 50); floor_p99=$(floor_d2d | percentile 99)
over() { gawk -v a="$1" -v b="$2" 'BEGIN { if (b > 0) printf "%.2f", a / b; else print "-" }'; }
ratio_p50=$(over "$d2d_p50" "$floor_p50"); ratio_p99=$(over "$d2d_p99" "$floor_p99")
log_off_d2d() { gawk -F'\t' 'NR > 1 && $8 == "" && $4 > 0 && $5 > 0 { printf "%.3f\n", $5 - $4 }' "$work/presses-log-off.tsv"; }
log_off_n=$(log_off_d2d | count)
log_off_p50=$(log_off_d2d | percentile 50); log_off_p99=$(log_off_d2d | percentile 99)

# Profile calls in Wine's trace: each call opens the file once ("PROFILE_Open
# path:"), after its own entry line for the reading functions
# (GetPrivateProfileStringW, which GetPrivateProfileIntA also goes through,
# and GetPrivateProfileSectionW); every other call on the file is counted as
# a write (WritePrivateProfileStringW; WritePrivateProfileSectionW has no
# entry line). A rewrite of the file is a "PROFILE_FlushFile Saving" line.
# The library's own calls (on KelvraTouchSim.ini, five per call) split the
# trace into polls; the Nth group is the Nth line of the library's log, which
# says whether that call answered a press. Prints: presses counted, reads,
# writes and file rewrites per press beyond a poll's, reads per poll without
# a press, and whether the trace and the log agreed on the number of calls.
profile_counts() { # trace library-log-lines
    gawk -v results="$2" '
        BEGIN { while ((getline line < results) > 0) { split(line, f, "\t"); press[++calls] = f[2] == 0 || f[2] == 2 } }
        !/trace:profile:/ { next }
        /:GetPrivateProfileStringW / && !/:GetPrivateProfileStringW (-> |returning )/ { kind = "read"; next }
        /:GetPrivateProfileSectionW \(/ { kind = "read"; next }
        /PROFILE_FlushFile Saving/ { if (tolower($0) ~ /snapbench\.ini/) saves[group]++; next }
        /PROFILE_Open path:/ {
            l = tolower($0)
            if (l ~ /kelvratouchsim\.ini/) { if (!library) ++group; library = 1 }
            else if (l ~ /snapbench\.ini/) { library = 0; if (kind == "read") reads[group]++; else writes[group]++ }
            kind = ""
        }
        END {
            for (g = 1; g < group; ++g) # the last group has no poll after it
                if (!press[g]) idle[++idles] = reads[g] + 0
            asort(idle); base = idles ? idle[int((idles + 1) / 2)] : 0
            for (g = 1; g < group; ++g) if (press[g]) { ++n; r += reads[g] - base; w += writes[g]; sv += saves[g] }
            if (n) printf "%d %.1f %.1f %.1f %d %s\n", n, r / n, w / n, sv / n, base, group == calls ? "agreed" : "disagreed (" group " polls traced, " calls " logged)"
            else print "0 - - - - no press traced"
        }' "$1"
}
read -r traced_n per_press_reads per_press_writes per_press_saves poll_reads trace_check < \
    <(profile_counts "$work/profile-trace.txt" "$work/traced-calls.tsv")
trigger_p50=$(good_presses | gawk -F'\t' '{ printf "%.3f\n", $3 - $2 }' | percentile 50)
trigger_p99=$(good_presses | gawk -F'\t' '{ printf "%.3f\n", $3 - $2 }' | percentile 99)
p2d_mean=$(p2d | mean); p2d_p99=$(p2d | percentile 99); p2d_max=$(p2d | percentile 100)
bound_mean=$(calc "25 + $d2d_mean")
bound_worst=$(calc "50 + $d2d_p99")
deviation=$(calc "($p2d_mean - $bound_mean) * 100 / $bound_mean")

# Poll intervals: consecutive library calls logged during the idle window.
intervals() { # log first-line last-line
    gawk -F'\t' -v a="$2" -v b="$3" 'FNR > a && FNR <= b { if (seen) printf "%.3f\n", $1 - prev; prev = $1; seen = 1 }' "$1"
}
snap_interval_mean=$(intervals "$snap_log" "$snap_line0" "$snap_line1" | mean)
snap_interval_p99=$(intervals "$snap_log" "$snap_line0" "$snap_line1" | percentile 99)
floor_interval_mean=$(intervals "$floor_log" "$floor_line0" "$floor_line1" | mean)
floor_interval_p99=$(intervals "$floor_log" "$floor_line0" "$floor_line1" | percentile 99)
with_interval=$(calc "$snap_interval_mean / 2 + $d2d_mean")

hz=$(getconf CLK_TCK)
elapsed=$(calc "$t1 - $t0")
cpu() { calc "($2 - $1) * 100 / $hz / $elapsed"; }
snap_cpu=$(cpu "$snap0" "$snap1"); floor_cpu=$(cpu "$floor0" "$floor1"); empty_cpu=$(cpu "$empty0" "$empty1")
ratio=$(gawk -v a="$snap_cpu" -v b="$floor_cpu" 'BEGIN { if (b > 0) printf "%.2f", a / b; else print "-" }')

met() { gawk -v ok="$1" 'BEGIN { print (ok == "-" ? "n/a" : ok ? "met" : "missed") }'; }
d2d_met=$(met "$(gawk -v v="$d2d_p99" 'BEGIN { print v <= 10 }')")
p2d_met=$(met "$(gawk -v d="$deviation" 'BEGIN { print (d < 0 ? -d : d) <= 10 }')")
cpu_met=$(met "$( [ "$ratio" = - ] && echo - || gawk -v r="$ratio" 'BEGIN { print r <= 1.25 }')")
size_met=$(met "$(gawk -v s="$size_stripped" 'BEGIN { print s <= 400 * 1024 }')")
kb() { calc "$1 / 1024"; }

median_of() { gawk -F'\t' -v w="$1" '$1 == w { printf "%.3f", $2 }' "$work/breakdown.tsv"; }
library_press=$(median_of "fnKelvraTouch, taking a press (stand-in, logging)")
post_logged=$(median_of "PostMessageA to the imaging application until logged")
snap_part=$(calc "$d2d_p50 - ${library_press:-0} - ${post_logged:-0}")

{
    echo "| Figure | Snap | Compared with | Target | |"
    echo "|---|---|---|---|---|"
    echo "| Detection to delivery, p50 / p99 / max ($measured presses) | $d2d_p50 / $d2d_p99 / $d2d_max ms | mean $d2d_mean ms | p99 <= 10 ms | $d2d_met |"
    echo "| Detection to delivery p50, Snap / floor, the same $measured presses | $d2d_p50 / $floor_p50 ms | **Snap / floor = $ratio_p50** | | |"
    echo "| Detection to delivery p99, Snap / floor, the same $measured presses | $d2d_p99 / $floor_p99 ms | **Snap / floor = $ratio_p99** | | |"
    echo "| Detection to delivery p50 / p99, run log on ($measured presses, $log_lines_on log lines) and off ($log_off_n presses, $log_lines_off log lines) | on $d2d_p50 / $d2d_p99 ms | off $log_off_p50 / $log_off_p99 ms | no measurable difference | |"
    echo "| Settings file per press ($traced_n presses traced) | $per_press_reads reads, $per_press_writes writes ($per_press_saves rewrites of the file) | floor: 0 reads, 0 writes; per poll Snap $poll_reads reads, the floor 1 (trace and library log $trace_check) | | |"
    echo "| Physical press to delivery, mean / p99 / max ($measured presses) | $p2d_mean / $p2d_p99 / $p2d_max ms | polling bound: 25 ms + d2d mean = $bound_mean ms (deviation $deviation %); worst 50 ms + d2d p99 = $bound_worst ms | mean within 10 % of the bound | $p2d_met |"
    echo "| Poll interval while idle, mean / p99 | $snap_interval_mean / $snap_interval_p99 ms | floor $floor_interval_mean / $floor_interval_p99 ms; contract 50 ms (half Snap's mean + d2d mean = $with_interval ms) | | |"
    echo "| Idle CPU over $elapsed s, % of one core | $snap_cpu % | floor $floor_cpu %, empty dialog $empty_cpu %; Snap / floor = $ratio | <= 1.25 x floor | $cpu_met |"
    echo "| Peak memory (VmHWM) | $snap_peak KB | floor $floor_peak KB, empty dialog $empty_peak KB | | |"
    echo "| i686 Snap.exe, built / stripped | $(kb "$size_built") / $(kb "$size_stripped") KB | $size_built / $size_stripped bytes | stripped <= 400 KB | $size_met |"
    echo
    echo "Where detection to delivery goes (timed by BenchDriver under the same Wine; median / p99):"
    echo
    echo "| Piece | ms |"
    echo "|---|---|"
    gawk -F'\t' 'NR > 1 { printf "| %s | %.3f / %.3f |\n", $1, $2, $3 }' "$work/breakdown.tsv"
    echo "| Writing the press trigger (BenchDriver: creation to close of the file) | $trigger_p50 / $trigger_p99 |"
    echo "| First press after start (Snap writes the placement section for the first time): detection to delivery | $d2d_first |"
    echo "| Detection to delivery p50 less the library's press call and the direct post: Snap's own part | $snap_part |"
    [ "$odd" -eq 0 ] || echo "| Presses left out (not delivered, or an unexpected answer; see presses.tsv) | $odd |"
} >"$work/results.md"
{
    echo
    echo "### $description"
    echo
    cat "$work/results.md"
} | tee -a "$bench_root/results.md"
printf '%s\t%s\n' \
    "Detection to delivery, p50 / p99 / max" "$d2d_p50 / $d2d_p99 / $d2d_max ms" \
    "Detection to delivery p50, Snap / floor (ratio)" "$d2d_p50 / $floor_p50 ms ($ratio_p50)" \
    "Detection to delivery p99, Snap / floor (ratio)" "$d2d_p99 / $floor_p99 ms ($ratio_p99)" \
    "Settings file per press, reads / writes (Snap; floor 0 / 0)" "$per_press_reads / $per_press_writes" \
    "Physical press to delivery, mean / p99" "$p2d_mean / $p2d_p99 ms" \
    "Poll interval while idle, mean / p99" "$snap_interval_mean / $snap_interval_p99 ms" \
    "Idle CPU, % of one core (Snap / floor)" "$snap_cpu % / $floor_cpu %" \
    "Peak memory, VmHWM (Snap / floor)" "$snap_peak KB / $floor_peak KB" \
    "Presses delivered" "$measured of $presses" >"$work/summary.tsv"


if [ "$measured" -lt $((presses < 200 ? presses : 200)) ]; then
    echo "Too few presses delivered ($measured of $presses): the figures above are incomplete." >&2
    short_builds+=("$1")
fi
}

short_builds=()
builds=${BENCH_BUILDS:-x86_64 i686}
for build in $builds; do
    case $build in
        x86_64) bench_build x86_64 "$root/build/test/bin" wine \
            "x86_64 test build, host Wine (64-bit)" ;;
        i686) bench_build i686 "$root/build/release/bin" "$root/cmake/wine32-run.sh" \
            "i686 release build (what ships), 32-bit Wine, $kernel_mode i386 execution" ;;
        *) echo "Unknown build $build (x86_64 or i686)" >&2; exit 2 ;;
    esac
done
cleanup
trap - EXIT

# Side by side: the figures of every build measured.
{
    echo
    echo "### Side by side (kernel: $kernel_mode i386 execution for the i686 build)"
    echo
    header="| Figure |"; rule="|---|"
    for build in $builds; do header+=" $build |"; rule+="---|"; done
    echo "$header"
    echo "$rule"
    gawk -F'\t' -v n="$(echo $builds | wc -w)" '
        { row[FNR] = row[FNR] " " $2 " |"; name[FNR] = $1; if (FNR > rows) rows = FNR }
        END { for (i = 1; i <= rows; ++i) print "| " name[i] " |" row[i] }
    ' $(for build in $builds; do echo "$bench_root/$build/summary.tsv"; done)
} | tee -a "$bench_root/results.md"

if [ ${#short_builds[@]} -gt 0 ]; then
    echo "Incomplete figures for: ${short_builds[*]}" >&2
    exit 1
fi
