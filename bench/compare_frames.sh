#!/usr/bin/env bash
# Frame costs of two builds side by side: the frame benchmarks and the real window in play.
#
#   bench/compare_frames.sh BUILD_A BUILD_B
#
# BUILD_A and BUILD_B are build folders (RelWithDebInfo, benchmarks on), A the reference.
# Settings from the environment:
#   ROUNDS=5        rounds; in each, every measurement runs once for A and once for B, the
#                   order alternating from round to round; the table shows medians
#   SECONDS_PLAY=60 seconds of play measured in each window run
#   WINDOW=1        0 leaves out the window runs
#   DISPLAY_NUMBER  the Xvfb display for the window runs (default: a free one)
#
# Benchmarks: bench_play_frame (two crafts, stage 1-1), bench_world_frame (gl33),
# bench_display_hud (gl33) and bench_title_frame, wall time per frame.
#
# The window runs: the game from BUILD/game/vq in a folder of its own (winmode=1, frame rate
# shown, every practice stage open), its data read from BUILD/game, on Xvfb with software GL.
# Keys go in by xdotool, each held for 120 ms: the decide key on the press-start screen,
# Practice in the main menu, "with the computer" as the players, the first craft for both
# players and player 1's sense, then the stage in the stage select (row stage / 3, column
# stage % 3) and the first sub-weapon. Plays: stage 1-1 (index 0) with the two crafts, and
# stage 3-3 (index 8), whose boss is there from the start. From then on the game's own frame
# counter (gFrameClock.framesDrawn, found by gdb once and then read from /proc/PID/mem without
# stopping the game) and the process's CPU time (/proc/PID/stat) are sampled over
# SECONDS_PLAY seconds, or until the play phase changes (the boss beaten, the crafts lost):
# the seconds measured are printed with the figures. The game counts every frame it draws;
# at the 60 frames-a-second setting it never draws more than 60 a second.
#
# Needs: python3, and for the window runs Xvfb, xdotool and gdb (run as root, or with
# ptrace allowed, to read the game's memory).
set -uo pipefail
[ $# -eq 2 ] || { sed -n '2,30p' "$0"; exit 2; }
A=$(cd "$1" && pwd) B=$(cd "$2" && pwd)
ROUNDS=${ROUNDS:-5}
SECONDS_PLAY=${SECONDS_PLAY:-60}
WINDOW=${WINDOW:-1}
export LIBGL_ALWAYS_SOFTWARE=1 SDL_AUDIODRIVER=dummy
results=$(mktemp -d /tmp/compare_frames.XXXXXX)
server=""
trap '[ -n "$server" ] && kill "$server" 2>/dev/null; rm -rf "$results"' EXIT

# name|program|filter: one row of the table each.
benchmarks=(
    "play frame, two crafts|bench_play_frame|BM_PlayFrameTwoCrafts/"
    "world frame, gl33 placed|bench_world_frame|WorldFrame/gl33_placed"
    "world frame, gl33 tiled|bench_world_frame|WorldFrame/gl33_tiled"
    "play display, busiest, gl33|bench_display_hud|BM_GameHudBusiestGl33"
    "title, craft select|bench_title_frame|BM_TitleCraftSelectFrame"
)

# Wall milliseconds per frame of one benchmark of one build.
run_bench() {
    local build=$1 program=$2 filter=$3
    (cd "$build/bench" && "./$program" --benchmark_filter="$filter" --benchmark_format=csv \
        2>/dev/null) | python3 -c '
import csv, sys
unit = {"ns": 1e-6, "us": 1e-3, "ms": 1.0, "s": 1e3}
for row in csv.DictReader(line for line in sys.stdin if line.startswith(("name", "\""))):
    print(float(row["real_time"]) * unit[row["time_unit"]])
    break'
}

# One play in the real window: prints "fps cpu% seconds".
run_window() {
    local build=$1 stage=$2
    local work pid win
    work=$(mktemp -d /tmp/compare_frames_vq.XXXXXX)
    cp "$build/game/vq" "$work/vq"
    printf '[setup]\nwinmode=1\nfps=0\ndispfps=0\n[record]\nclearstage=18\n' >"$work/v_quorl.ini"
    (cd "$build/game" && GDK_BACKEND=x11 DBUS_SESSION_BUS_ADDRESS=unix:path=/nonexistent/bus \
        exec "$work/vq" >"$work/log" 2>&1) &
    pid=$!
    win=""
    for _ in $(seq 1 150); do
        win=$(xdotool search --onlyvisible --pid "$pid" 2>/dev/null | head -1)
        [ -n "$win" ] && break
        sleep 0.2
    done
    sleep 6  # the title's pictures load
    xdotool windowfocus --sync "$win" 2>/dev/null
    press() { xdotool keydown "$1"; sleep 0.12; xdotool keyup "$1"; sleep "${2:-0.5}"; }
    press z 1.5                          # press start
    press Down; press Down; press z 1.5  # practice
    press Down; press z 1.5              # with the computer
    press z 1; press z 1; press z 2      # player 1's craft and sense, player 2's craft
    for _ in $(seq 1 $((stage / 3))); do press Down; done
    for _ in $(seq 1 $((stage % 3))); do press Right; done
    press z 4  # the stage
    press z 2  # the sub-weapon
    local frames phase
    frames=$(gdb -p "$pid" -batch -ex 'print/x (unsigned long)&gFrameClock.framesDrawn' 2>/dev/null |
        awk '/^\$1/{print $3}')
    phase=$(gdb -p "$pid" -batch -ex 'print/x (unsigned long)&gGameState.playPhase' 2>/dev/null |
        awk '/^\$1/{print $3}')
    python3 - "$pid" "$frames" "$phase" "$SECONDS_PLAY" <<'PY'
import os, struct, sys, time
pid, frames_at, phase_at, secs = int(sys.argv[1]), int(sys.argv[2], 16), int(sys.argv[3], 16), float(sys.argv[4])
def word(addr):
    with open(f"/proc/{pid}/mem", "rb") as f:
        f.seek(addr)
        return struct.unpack("<i", f.read(4))[0]
def cpu():
    s = open(f"/proc/{pid}/stat").read().rsplit(")", 1)[1].split()
    return (int(s[11]) + int(s[12])) / os.sysconf("SC_CLK_TCK")
time.sleep(1)
playing = word(phase_at)
f0, c0, t0 = word(frames_at), cpu(), time.monotonic()
t = t0
while t - t0 < secs:
    time.sleep(0.25)
    t = time.monotonic()
    if word(phase_at) != playing:
        break
f1, c1 = word(frames_at), cpu()
print(f"{(f1 - f0) / (t - t0):.1f} {100 * (c1 - c0) / (t - t0):.0f} {t - t0:.0f}")
PY
    kill "$pid" 2>/dev/null
    wait "$pid" 2>/dev/null
    rm -rf "$work"
}

if [ "$WINDOW" = 1 ]; then
    if [ -n "${DISPLAY_NUMBER:-}" ]; then
        Xvfb ":$DISPLAY_NUMBER" -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 &
        server=$!
        export DISPLAY=":$DISPLAY_NUMBER"
        sleep 1
    else
        mkfifo "$results/display"
        Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$results/display" \
            >/dev/null 2>&1 &
        server=$!
        read -r number <"$results/display"
        export DISPLAY=":$number"
    fi
fi

echo "load average before: $(cut -d' ' -f1-3 /proc/loadavg)"
for round in $(seq 1 "$ROUNDS"); do
    if [ $((round % 2)) -eq 1 ]; then order="A B"; else order="B A"; fi
    for row in "${benchmarks[@]}"; do
        IFS='|' read -r name program filter <<<"$row"
        for which in $order; do
            build=$A; [ "$which" = B ] && build=$B
            echo "$(run_bench "$build" "$program" "$filter")" >>"$results/$which|$name"
        done
    done
    if [ "$WINDOW" = 1 ]; then
        for play in "0|window: stage 1-1, two crafts" "8|window: stage 3-3 boss"; do
            IFS='|' read -r stage name <<<"$play"
            for which in $order; do
                build=$A; [ "$which" = B ] && build=$B
                run_window "$build" "$stage" >>"$results/$which|$name"
            done
        done
    fi
    echo "round $round done, load average $(cut -d' ' -f1-3 /proc/loadavg)" >&2
done
echo "load average after: $(cut -d' ' -f1-3 /proc/loadavg)"

python3 - "$results" "$A" "$B" <<'PY'
import os, statistics, sys
folder, a, b = sys.argv[1:4]
def values(which, name):
    path = os.path.join(folder, f"{which}|{name}")
    if not os.path.exists(path):
        return []
    return [line.split() for line in open(path) if line.strip()]
names = []
for entry in sorted(os.listdir(folder)):
    if "|" in entry and entry.split("|", 1)[1] not in names:
        names.append(entry.split("|", 1)[1])
print(f"A = {a}\nB = {b}")
print(f"{'measure':36s} {'A':>16s} {'B':>16s} {'B/A':>6s}")
for name in sorted(names, key=lambda n: (n.startswith("window"), n)):
    va, vb = values("A", name), values("B", name)
    if not va or not vb:
        continue
    if name.startswith("window"):
        for i, label in ((0, "fps"), (1, "cpu %")):
            ma = statistics.median(float(v[i]) for v in va)
            mb = statistics.median(float(v[i]) for v in vb)
            print(f"{name + ' ' + label:36s} {ma:16.1f} {mb:16.1f} {mb / ma:6.2f}")
        secs = [v[2] for v in va + vb]
        print(f"{'  seconds measured (each run)':36s} {' '.join(secs)}")
    else:
        ma = statistics.median(float(v[0]) for v in va)
        mb = statistics.median(float(v[0]) for v in vb)
        print(f"{name + ' ms':36s} {ma:16.2f} {mb:16.2f} {mb / ma:6.2f}")
PY
