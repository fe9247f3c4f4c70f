#!/usr/bin/env bash
# Starts the real game on a display of its own, finds its window with the menu bar, closes
# it with Escape from the title and checks that it ended cleanly and wrote its settings
# file. The display is its own because the keys it sends go to the window holding the
# focus, which on a shared display may be another test's.
#
#   vq_smoke.sh VQ_PROGRAM RUN_FOLDER
#
# The program runs from a copy in a temporary folder (its settings file is beside it); the
# data is read from RUN_FOLDER. Message boxes about missing data are closed as they come.
set -uo pipefail
program=$1
run_folder=$2
command -v Xvfb >/dev/null || { echo "no Xvfb"; exit 77; }
command -v xdotool >/dev/null || { echo "xdotool missing (scripts/deps installs it)"; exit 1; }

title="ＶＥＬＤＲＡＮ　ＱＵＯＲＬ ver.1.01"
work=$(mktemp -d /tmp/vq_smoke.XXXXXX)
pid=""
server=""
trap '[ -n "$pid" ] && kill "$pid" 2>/dev/null; [ -n "$server" ] && kill "$server" 2>/dev/null; rm -rf "$work"' EXIT

# The server picks a free display number and writes it once it takes connections. It
# repeats no key ("-r"): each key sent is one press, however late a loaded machine lets the
# sender let go of it.
mkfifo "$work/display"
Xvfb -displayfd 3 -screen 0 1920x1080x24 -nolisten tcp -r 3>"$work/display" >/dev/null 2>&1 &
server=$!
read -r number <"$work/display" || { echo "FAIL: Xvfb did not start"; exit 1; }
export DISPLAY=":$number"
export GDK_BACKEND=x11
# No session bus: an address that does not answer, so that nothing forks to start one
# (see tests/support_main.cpp).
export DBUS_SESSION_BUS_ADDRESS=${DBUS_SESSION_BUS_ADDRESS:-unix:path=/nonexistent/vq-test-bus}
cp "$program" "$work/vq"
printf '[setup]\nwinmode=1\nfps=0\n' >"$work/v_quorl.ini"
before=$(stat -c %Y.%s "$work/v_quorl.ini")
sleep 1  # a later write shows in the time stamp

cd "$run_folder"
"$work/vq" 2>"$work/stderr" &
pid=$!

# Until the start-up has settled (the main window alone for a second and a half), close
# every other window it shows: the message boxes about data missing from the run folder.
main=""
quiet=0
for _ in $(seq 1 300); do
    kill -0 "$pid" 2>/dev/null || break
    others=0
    for id in $(xdotool search --onlyvisible --pid "$pid" 2>/dev/null); do
        name=$(xdotool getwindowname "$id" 2>/dev/null)
        if [ "$name" = "$title" ]; then
            main=$id
        elif [ -n "$name" ]; then
            others=1
            echo "closing message box: $name"
            xdotool windowfocus --sync "$id" key Escape 2>/dev/null
        fi
    done
    if [ -n "$main" ] && [ "$others" -eq 0 ]; then
        quiet=$((quiet + 1))
        [ "$quiet" -ge 15 ] && break
    else
        quiet=0
    fi
    sleep 0.1
done
[ -n "$main" ] || { echo "FAIL: no main window"; cat "$work/stderr"; exit 1; }

# The client area is 640 x 480 under a menu bar.
eval "$(xdotool getwindowgeometry --shell "$main")"
echo "main window $main: $WIDTH x $HEIGHT"
[ "$WIDTH" -eq 640 ] || { echo "FAIL: width $WIDTH"; exit 1; }
menu=$((HEIGHT - 480))
[ "$menu" -ge 15 ] && [ "$menu" -le 60 ] || { echo "FAIL: no menu bar above 480 rows ($HEIGHT)"; exit 1; }

# The title is drawn once its pictures are loaded: until then the start-up fade covers the
# client area in black, and the game reads no Escape while a scene loads. Wait for the first
# frame with a lit pixel, however long a loaded machine takes to get there.
kill -0 "$pid" 2>/dev/null || { echo "FAIL: the game ended by itself"; cat "$work/stderr"; exit 1; }
client="$DISPLAY+$X,$((Y + menu))"
drawn() {
    local lit_bytes
    lit_bytes=$(ffmpeg -nostdin -loglevel quiet -f x11grab -video_size 640x480 -i "$client" \
        -frames:v 1 -f rawvideo -pix_fmt gray - 2>/dev/null | tr -d '\0' | wc -c)
    [ "$lit_bytes" -gt 0 ]
}
lit=0
for _ in $(seq 1 600); do
    kill -0 "$pid" 2>/dev/null || break
    if drawn; then
        lit=1
        break
    fi
    sleep 0.1
done
kill -0 "$pid" 2>/dev/null || { echo "FAIL: the game ended by itself"; cat "$work/stderr"; exit 1; }
[ "$lit" -eq 1 ] || { echo "FAIL: the title was never drawn"; exit 1; }

# Escape on the title closes it. The only key sent is Escape, to the title it has drawn; it
# is sent again while the game still shows its title some seconds later, for a press that
# reached the window before it took keys.
for _ in $(seq 1 12); do
    echo "Escape"
    xdotool windowfocus --sync "$main" key Escape 2>/dev/null
    for _ in $(seq 1 50); do
        kill -0 "$pid" 2>/dev/null || break 2
        sleep 0.1
    done
    drawn || break
done
for _ in $(seq 1 600); do
    kill -0 "$pid" 2>/dev/null || break
    sleep 0.1
done
if kill -0 "$pid" 2>/dev/null; then echo "FAIL: still running after Escape"; exit 1; fi
wait "$pid"
status=$?
[ "$status" -eq 0 ] || { echo "FAIL: exit status $status"; cat "$work/stderr"; exit 1; }

after=$(stat -c %Y.%s "$work/v_quorl.ini")
[ "$after" != "$before" ] || { echo "FAIL: the settings file was not written"; exit 1; }
grep -qi '^\[record\]' "$work/v_quorl.ini" || { echo "FAIL: no record section written"; exit 1; }
echo "ok"
