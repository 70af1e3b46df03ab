#!/usr/bin/env bash
# Runs N daxtool-cli operations against daxsim, each with a random fault rule and seed, several
# side by side, and counts what must never happen:
#   crashes          the CLI ended by a signal, or a sanitizer reported
#   hangs            the CLI still ran after the bound (the protocol's time-outs, with room)
#   wrong successes  exit 0 although the fault hit one of the operation's own steps
#   blank statuses   a failure whose status line is empty
# Prints the figures and exits 1 if any is not 0.
#
#   bash scripts/soak.sh N [SEED]     (SEED repeats a run; JOBS=6 side by side, BUILD=build,
#                                      BOUND=300 seconds, KEEP=1 keeps every run's directory)
set -uo pipefail
cd "$(dirname "$0")/.."

n=${1:?usage: soak.sh N [SEED]}
seed=${2:-$(((RANDOM << 15 | RANDOM) % 1000000))}
jobs=${JOBS:-6}
build=${BUILD:-build}
bound=${BOUND:-300}
sim=$PWD/$build/sim/daxsim
cli=$PWD/$build/src/cli/daxtool-cli
for program in "$sim" "$cli"; do
  [ -x "$program" ] || { echo "soak: $program is missing; build first" >&2; exit 64; }
done
work=$(mktemp -d "${TMPDIR:-/tmp}/daxsoak.XXXXXX")
echo "soak: $n operations, seed $seed, $jobs side by side, bound ${bound}s, in $work"

# One operation; prints one result line: index op verdict exit seconds rule.
run_one() {
  local i=$1
  local s=$((seed + i))
  RANDOM=$s
  local d=$work/$i
  mkdir -p "$d/dev" "$d/config/Korvix"
  printf '[Last%%20Good]\nBaud%%20Rate=38400\nFirst%%20Port=2\n' >"$d/config/Korvix/Daxtool.conf"

  # The operation and the commands that are its own steps (a fault there must fail it);
  # STEP@N: only its Nth command (the pocket's media size sent again after saving restores
  # the dialog's state for a next Test, which the command line never runs).
  local profile=basic op own args
  case $((RANDOM % 8)) in
  0) op=info; own="e0C"; args=(info) ;;
  1) op=flash-leds; own="f5111C f5000C"; args=(flash-leds) ;;
  2) op=set-serial; own="f9000C f9260C h1C"
     args=(set-serial --transporter "T$RANDOM" --printer "P$RANDOM") ;;
  3) op=set-params; profile=qt6400; own="f9099C f9100C f9101C h1C"
     args=(set-params --name "LINE $RANDOM" --override 1 --beeps $((RANDOM % 10))) ;;
  4) op=print-grid; own="f12002C f12601C"; args=(print-grid) ;;
  5) op=calibrate-rotator; own="f4 f6 f7 f12002C f311 h1C"
     args=(calibrate-rotator --left $((RANDOM % 65)) --right $((RANDOM % 65))
       --left-margin $((RANDOM % 11)) --top-margin $((RANDOM % 151)) --save) ;;
  6) op=calibrate-pocket; own="e4@1 f4 f12002C f12701C"
     args=(calibrate-pocket --size 58 --angle $((60 + RANDOM % 60)) --save) ;;
  7) op=scan; own="e0C"; args=(scan) ;;
  esac

  # The fault: a kind, a command it targets (mostly the operation's own steps), sometimes a
  # later occurrence; or the device vanishes after a random moment.
  local -a steps=(${own//@1/} e1C f:000C f:260C g1C e0C f0203C f12600C)
  local target=${steps[$((RANDOM % ${#steps[@]}))]}
  [ $((RANDOM % 3)) -eq 0 ] && steps=(${own//@1/}) && target=${steps[$((RANDOM % ${#steps[@]}))]}
  local nth=""
  [ $((RANDOM % 4)) -eq 0 ] && nth="#$((2 + RANDOM % 3))"
  local rule kill_ms=""
  case $((RANDOM % 10)) in
  0 | 1 | 2) rule="refuse=$target$nth:$((1 + RANDOM % 20)):$((RANDOM % 16))" ;;
  3 | 4 | 5) rule="garbage=$target$nth" ;;
  6 | 7) rule="drop=$target$nth" ;;
  8) # Silence costs every later command its whole time-out: only at the operation's own
     # steps, after discovery, does that stay within the bound.
     steps=(${own//@1/})
     rule="silent=${steps[$((RANDOM % ${#steps[@]}))]}" ;;
  9) rule="drop=zz"; kill_ms=$((RANDOM % 3000)) ;;
  esac

  "$sim" --profile $profile --device-dir "$d/dev" --log "$d/sim.log" --set reboot_ms=200 \
    --set seed=$s --set "$rule" >"$d/sim.out" 2>&1 &
  local simpid=$!
  for _ in $(seq 200); do grep -qs '^ready' "$d/sim.out" && break; sleep 0.05; done
  if [ -n "$kill_ms" ]; then
    (sleep "$(printf '%d.%03d' $((kill_ms / 1000)) $((kill_ms % 1000)))"; kill -KILL $simpid 2>/dev/null) &
  fi

  local start=$(date +%s%N)
  XDG_CONFIG_HOME=$d/config XDG_RUNTIME_DIR=$d DAXTOOL_DEVICE_DIR= \
    timeout -s KILL "$bound" "$cli" --device-dir "$d/dev" --json "${args[@]}" >"$d/out" 2>"$d/err"
  local code=$?
  local ms=$((($(date +%s%N) - start) / 1000000))
  kill $simpid 2>/dev/null
  wait $simpid 2>/dev/null

  # Did the fault meet one of the operation's own steps? The simulator's log says which
  # commands it refused, garbled, dropped or met with silence: each as "command occurrence".
  # Garbled bytes whose byte 4 reads '1' are a confirmation by chance: the device carried the
  # command out, and byte 4 is all the command language says an answer confirms with.
  local hit=0 cmd nth step
  while read -r cmd nth; do
    for step in $own; do
      [[ $cmd == "${step%@*}"* ]] && { [[ $step != *@* ]] || [ "$nth" = "${step#*@}" ]; } && hit=1
    done
  done < <(awk 'match($0, /"cmd":"[^"]*"/) {
      cmd = substr($0, RSTART + 7, RLENGTH - 8)
      if ($0 ~ /"dir":"rx"/) seen[cmd]++
      else if ($0 ~ /"fault":"garbage"/ && Byte4($0) == "1") next
      else if ($0 ~ /"fault":"(refused|garbage)"|"event":"(answer dropped|silent)"/) print cmd, seen[cmd]
    }
    function Byte4(line,   b, i, n) {
      match(line, /"bytes":"([^"\\]|\\.)*"/)
      b = substr(line, RSTART + 9, RLENGTH - 10)
      for (i = 1; i <= length(b); ++n) {
        if (n == 4) return substr(b, i, 1) == "\\" ? "" : substr(b, i, 1)
        i += substr(b, i, 2) == "\\u" ? 6 : substr(b, i, 1) == "\\" ? 2 : 1
      }
      return ""
    }' "$d/sim.log")
  local status
  status=$(sed -n 's/.*"status":"\(\([^"\\]\|\\.\)*\)".*/\1/p' "$d/out" | head -1)
  local verdict=ok
  if [ $code -eq 137 ] && [ $ms -ge $((bound * 1000 - 500)) ]; then
    verdict=hang
  elif [ $code -gt 128 ] || grep -qE 'runtime error|Sanitizer|AddressSanitizer' "$d/err"; then
    verdict=crash
  elif [ $code -eq 0 ] && [ $hit -eq 1 ]; then
    verdict=wrong-success
  elif [ $code -ne 0 ] && [ $code -ne 64 ] && [ -z "$status" ]; then
    verdict=blank-status
  fi
  printf '%d %s %s exit=%d %d.%03ds %s seed=%d%s\n' "$i" "$op" "$verdict" "$code" \
    $((ms / 1000)) $((ms % 1000)) "$rule" "$s" "${kill_ms:+ kill_ms=$kill_ms}"
  if [ $verdict = ok ] && [ "${KEEP:-0}" != 1 ]; then rm -rf "$d"; fi
}
export -f run_one
export seed work sim cli bound

began=$(date +%s)
seq 0 $((n - 1)) | xargs -P "$jobs" -I{} bash -c 'run_one {}' >"$work/results.txt"
took=$(($(date +%s) - began))

count() { grep -c " $1 " "$work/results.txt"; }
crashes=$(count crash) hangs=$(count hang) wrong=$(count wrong-success) blank=$(count blank-status)
grep -v ' ok ' "$work/results.txt" | sort -n
echo "soak: $(wc -l <"$work/results.txt") operations in ${took}s, seed $seed:" \
  "$crashes crashes, $hangs hangs, $wrong wrong successes, $blank blank statuses"
echo "soak: results in $work/results.txt (a failed run's directory is kept beside it)"
[ $((crashes + hangs + wrong + blank)) -eq 0 ]
