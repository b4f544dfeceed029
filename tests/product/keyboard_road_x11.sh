#!/usr/bin/env bash
# The clerk's road through the real program by keyboard alone, under a real window system: a
# virtual X display (Xvfb) with a window manager (openbox), real key events (xdotool) and an
# indicator played on a pseudo-terminal. After every step it checks which window has the focus
# (xdotool getwindowfocus) and takes a screenshot, where the program's own focus shows; where a
# step stores something, the data file says whether it did.
#
#   tests/product/keyboard_road_x11.sh [PROGRAM] [SHOTS]
#
# PROGRAM defaults to build/product/canemill, SHOTS (the screenshots, one per step, and
# road.log) to /tmp/keyboard-road. The indicator player is taken from beside the program's build
# (tools/indicator_player/indicator_player), or from INDICATOR_PLAYER. KEEP_GOING=1 goes on after
# a step that went wrong (to look at a program that fails the road). The suite does not run it:
# it needs Xvfb, openbox, xdotool, ImageMagick's import and sqlite3, and takes about two minutes.
set -uo pipefail

here=$(cd "$(dirname "$0")/../.." && pwd)
program=$(realpath "${1:-$here/build/product/canemill}")
shots=$(realpath -m "${2:-/tmp/keyboard-road}")
player=${INDICATOR_PLAYER:-$(dirname "$(dirname "$program")")/tools/indicator_player/indicator_player}
for tool in Xvfb openbox xdotool import sqlite3; do
  command -v "$tool" >/dev/null || { echo "missing: $tool"; exit 2; }
done
[ -x "$program" ] && [ -x "$player" ] || { echo "missing: $program or $player"; exit 2; }

mkdir -p "$shots"
rm -f "$shots"/*.png "$shots"/road.log
work=$(mktemp -d /tmp/keyboard-road-XXXXXX)
home=$work/home
mkdir -p "$home/.config/canemill"
log=$shots/road.log
failures=0
pids=()

display=90
while [ -e /tmp/.X11-unix/X$display ] || [ -e /tmp/.X$display-lock ]; do display=$((display + 1)); done
export DISPLAY=:$display

# Ends what this script started, by process number, the program first so that it leaves its
# port's lock behind it.
finish() {
  for ((i = ${#pids[@]} - 1; i >= 0; i--)); do kill "${pids[i]}" 2>/dev/null; done
  wait 2>/dev/null
  cp "$work/program.out" "$shots/program.out" 2>/dev/null
  rm -rf "$work"
}
trap finish EXIT

say() { echo "$*" | tee -a "$log"; }

Xvfb "$DISPLAY" -screen 0 1366x768x24 >/dev/null 2>&1 &
pids+=($!)
sleep 1
openbox >/dev/null 2>&1 &
pids+=($!)
sleep 1

# The indicator: frames of the STX model every 200 ms; a new weight is written to its input.
mkfifo "$work/weight"
sleep 100000 >"$work/weight" &
pids+=($!)
"$player" --mode 1 --period 200 --weight 12340 <"$work/weight" >"$work/player.out" 2>&1 &
pids+=($!)
for _ in $(seq 50); do [ -s "$work/player.out" ] && break; sleep 0.1; done
pty=$(head -n 1 "$work/player.out")
weigh() { echo "$1" >"$work/weight"; sleep 1; }

# Port 1 reads the player: 9600 baud, frames of 11 bytes, the STX model, weights in kilograms
# shown as tonnes (the port settings dialog is not part of this road).
cat >"$home/.config/canemill/HKEY_CURRENT_USER.ini" <<EOF
[Software]
reduvor\\Zorv\\5.0\\SmComm\\1="9600,N,8,1,11,1,1000"
reduvor\\Zorv\\5.0\\SmCommDevice\\1=$pty
EOF

(cd "$home" && exec env HOME="$home" XDG_CONFIG_HOME="$home/.config" "$program") \
  >"$work/program.out" 2>&1 &
app=$!
pids+=($app)

main_title='^Vornel糖厂甘蔗结算软件\(A5\.0\)：.*\.tsd\)$'
box_title='^Vornel糖厂甘蔗结算软件$'
doc_title() { echo "^Vornel糖厂甘蔗结算软件\\(A5\\.0\\)：.*\\.tsd\\) - \\[$1\\]\$"; }

number=0
# step NAME EXPECTED-TITLE KEYS...: sends the keys, waits until the focused window's title matches
# and takes the screenshot NN-NAME.png. A key "type:TEXT" types the text.
step() {
  local name=$1 expected=$2
  shift 2
  local key
  for key in "$@"; do
    if [[ $key == type:* ]]; then
      xdotool type --delay 120 "${key#type:}"
    else
      xdotool key --clearmodifiers "$key"
    fi
    sleep 0.25
  done
  local title=""
  for _ in $(seq 40); do
    title=$(xdotool getwindowfocus getwindowname 2>/dev/null)
    [[ $title =~ $expected ]] && break
    sleep 0.25
  done
  sleep 0.5
  number=$((number + 1))
  local shot
  shot=$(printf "%s/%02d-%s.png" "$shots" "$number" "$name")
  import -window root "$shot"
  if [[ $title =~ $expected ]]; then
    say "ok    $name: $* -> focus in “$title”"
  else
    say "FAIL  $name: $* -> focus in “$title”, expected /$expected/"
    failures=$((failures + 1))
    [ "${KEEP_GOING:-0}" = 1 ] || exit 1
  fi
}

data_file=$home/Vornel数据/001
# check NAME SQL EXPECTED: the data file answers the query as expected.
check() {
  local file answer
  file=$(ls "$data_file"/*.tsd 2>/dev/null | head -n 1)
  answer=$(sqlite3 "$file" "$2" 2>&1)
  if [ "$answer" = "$3" ]; then
    say "ok    $1: $answer"
  else
    say "FAIL  $1: “$answer”, expected “$3”"
    failures=$((failures + 1))
    [ "${KEEP_GOING:-0}" = 1 ] || exit 1
  fi
}

for _ in $(seq 60); do
  [[ $(xdotool getwindowfocus getwindowname 2>/dev/null) =~ 打开Vornel数据文件 ]] && break
  sleep 0.25
done

# First start: a new account set with its year file, then the log-in.
step first-start '^打开Vornel数据文件$'
step new-year-file '^建立新年度数据文件$' alt+n
step create-question "$box_title" alt+s
step created "$box_title" Return
step back-on-password '^打开Vornel数据文件$' Return
step logged-in "$main_title" alt+o

# One clerk weighs gross and tare: 过磅单的毛、皮员可相同吗 becomes 1.
step parameters '^系统参数表$' alt+s Return
step parameter-15 '^修改系统参数：$' Down Down Down Down Down Down Down Down Down Down Down Down \
  Down Down Down alt+m
step parameter-warning "$box_title" type:1 alt+s
step parameter-stored '^系统参数表$' alt+y
step parameters-closed "$main_title" alt+x

# A farmer.
step farmers '^农户目录$' alt+s Down Return
step add-farmer '^增加$' alt+a
step farmer-stored '^增加$' Tab type:张三 alt+s
step add-closed '^农户目录$' Escape
step farmers-closed "$main_title" alt+x

# The gross weight from the indicator.
step gross-date '^过磅$' Home Return
step gross-card "$(doc_title 称毛重)" alt+s
sleep 1
step gross-warning "$box_title" type:1 ctrl+1 alt+s
step gross-stored "$(doc_title 称毛重)" alt+y
check gross-ticket "Select DH||' '||rtrim(KNO0)||' '||MU0 From gbSheet" "00001 1 12.34"
step file-menu "$(doc_title 称毛重)" alt+f
step file-menu-closed "$(doc_title 称毛重)" Escape Escape
step gross-closed "$main_title" ctrl+F4

# The tare weight, and the cane price typed.
weigh 2340
step tare-date '^过磅$' Home Down Return
step tare-card "$(doc_title 除皮)" alt+s
sleep 1
step tare-form "$(doc_title 除皮)" ctrl+1 F6
step cane-price "$(doc_title 除皮)" Tab Tab Tab type:300
step tare-warning "$box_title" alt+s
step tare-stored "$(doc_title 除皮)" alt+y
check tare-ticket "Select MU1||' '||PR0||' '||(rtrim(OPR1)<>'') From gbSheet" "2.34 300.0 1"
step tare-closed "$main_title" ctrl+F4

# The slip settled, then paid and reviewed from the slip list.
step settle-date '^蔗款结算$' Home Down Down Down Return
step settle-card "$(doc_title 蔗款结算)" alt+s
step household "$(doc_title 蔗款结算)" type:1 alt+s
step tickets "$(doc_title 蔗款结算)" alt+s
step settled "$(doc_title 蔗款结算)" alt+s
check slip "Select rtrim(JN0) From gbSheet" "00001"
step slip-list "$(doc_title 蔗款结算)" F6 Up
step paid "$(doc_title 蔗款结算)" alt+k
check payment "Select rtrim(OPR4)<>'' From gbSheet" "1"
step list-menu "$(doc_title 蔗款结算)" shift+F10
step reviewed "$(doc_title 蔗款结算)" Down Down Down Return
check review "Select rtrim(OPR6)<>'' From gbSheet" "1"

# A report beside the card, through the template box.
step template-box "$(doc_title 蔗款结算)" alt+2
step report-query '.' Home Down Down Down Down Down Down Down Down Down Down Down Return
step report "$(doc_title 甘蔗收购统计表)" alt+o

# The windows in turn, then each closed.
step next-window "$(doc_title 蔗款结算)" ctrl+F6
step next-again "$(doc_title 甘蔗收购统计表)" ctrl+F6
step previous-window "$(doc_title 蔗款结算)" ctrl+shift+F6
step card-closed "$(doc_title 甘蔗收购统计表)" ctrl+F4
step report-closed "$main_title" ctrl+F4

xdotool key --clearmodifiers alt+f
sleep 0.5
xdotool key x
for _ in $(seq 40); do kill -0 "$app" 2>/dev/null || break; sleep 0.25; done
if kill -0 "$app" 2>/dev/null; then
  say "FAIL  exit: the program is still running"
  failures=$((failures + 1))
else
  say "ok    exit: the program ended"
fi
say "$failures step(s) went wrong; screenshots in $shots"
[ "$failures" -eq 0 ]
