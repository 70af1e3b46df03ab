#!/usr/bin/env bash
# Runs N daxtool-cli operations against daxsim, each with a random fault and seed, several side
# by side, and counts what must never happen:
#   crashes          the CLI ended by a signal other than one sent to it, or a sanitizer reported
#   hangs            the CLI still ran after the bound (the protocol's time-outs, with room)
#   wrong successes  exit 0 although the fault makes the result impossible to trust (below)
#   blank statuses   a failure whose status line is empty (output lost: nothing on stderr either)
# The faults: the device's (a refusal, a garbled, dropped or missing answer, the device gone);
# the line's, through daxlineproxy (one byte changed in a store or in its read-back, stray bytes
# after an answer, another unit swapped in at a step); a signal at a random moment (INT, TERM,
# HUP, QUIT, PIPE, TSTP, or the output's reader gone).
# Prints the figures and exits 1 if any is not 0.
#
#   bash scripts/soak.sh N [SEED]     (SEED repeats a run; JOBS=6 side by side, BUILD=build,
#                                      BOUND=300 seconds, KEEP=1 keeps every run's directory,
#                                      OPS="set-params flash" runs only the draws of those)
set -uo pipefail
cd "$(dirname "$0")/.."

n=${1:?usage: soak.sh N [SEED]}
seed=${2:-$(((RANDOM << 15 | RANDOM) % 1000000))}
jobs=${JOBS:-6}
OPS=${OPS:-}
build=${BUILD:-build}
bound=${BOUND:-300}
sim=$PWD/$build/sim/daxsim
cli=$PWD/$build/src/cli/daxtool-cli
proxy=$PWD/$build/tests/daxlineproxy
for program in "$sim" "$cli" "$proxy"; do
  [ -x "$program" ] || { echo "soak: $program is missing; build first" >&2; exit 64; }
done
ulimit -c 0 # SIGQUIT ends a run without a core file
work=$(mktemp -d "${TMPDIR:-/tmp}/daxsoak.XXXXXX")
# A transporter image for the downloads: revision 3.40 C of the general transporter.
python3 -c '
import sys
image = bytearray((i * 31 + 7) & 255 for i in range(20000))
image[160:190] = b"DISC TRANSPORTERVERSION 3.40 C"
image[193:200] = b"Velmora"
sys.stdout.buffer.write(image)' >"$work/fw.bin"
echo "soak: $n operations, seed $seed, $jobs side by side, bound ${bound}s, in $work"

# One operation; prints one result line: index op verdict exit seconds rule.
run_one() {
  local i=$1
  local s=$((seed + i))
  RANDOM=$s
  local d=$work/$i
  mkdir -p "$d/dev" "$d/config/Korvix"
  printf '[Last%%20Good]\nBaud%%20Rate=38400\nFirst%%20Port=2\n' >"$d/config/Korvix/Daxtool.conf"

  # The operation, the commands that are its own steps (a fault there must fail it; STEP@N:
  # only its Nth command: the pocket's media size sent again after saving restores the dialog's
  # state for a next Test, which the command line never runs), the stores among them and the
  # reads that bring their values back (the Nth such command), with the bytes of each that
  # carry a value the program compares (ESC being 0). The flags' third character repeats the
  # override flag: the device's reading of it is its own and it is never read back, so a change
  # there says nothing about what the program can trust.
  local profile=basic op own args stores="" readbacks=""
  case $((RANDOM % 9)) in
  0) op=info; own="e0C"; args=(info) ;;
  1) op=flash-leds; own="f5111C f5000C"; args=(flash-leds) ;;
  2) op=set-serial; own="f9000C f9260C h1C"
     stores="f9000C=8-15 f9260C=8-15"; readbacks="f:000C#2=6-13 f:260C#2=6-13"
     args=(set-serial --transporter "T$RANDOM" --printer "P$RANDOM") ;;
  3) op=set-params; profile=qt6400; own="f9099C f9100C f9101C h1C"
     stores="f9099C=8,9,11,12 f9100C=8-15 f9101C=8-15"
     readbacks="f:099C#2=6,7,9,10 f:100C#2=6-13 f:101C#2=6-13"
     args=(set-params --name "LINE $RANDOM" --override 1 --beeps $((RANDOM % 10))) ;;
  4) op=print-grid; own="f12002C f12601C"; args=(print-grid) ;;
  5) op=calibrate-rotator; own="f4 f6 f7 f12002C f311 h1C"
     args=(calibrate-rotator --left $((RANDOM % 65)) --right $((RANDOM % 65))
       --left-margin $((RANDOM % 11)) --top-margin $((RANDOM % 151)) --save) ;;
  6) op=calibrate-pocket; own="e4@1 f4 f12002C f12701C"
     args=(calibrate-pocket --size 58 --angle $((60 + RANDOM % 60)) --save) ;;
  7) op=scan; own="e0C"; args=(scan) ;;
  8) op=flash; own="g0"; args=(flash "$work/fw.bin") ;;
  esac
  [ "${OPS:-}" ] && [[ " $OPS " != *" $op "* ]] && return 0
  pick() { local -a all=($1); echo "${all[$((RANDOM % ${#all[@]}))]}"; }

  # The fault. Half the runs: the device's own (a kind, a command it targets, mostly the
  # operation's own steps, sometimes a later occurrence; or the device vanishes after a random
  # moment). A quarter: the line's. A quarter: a signal.
  local -a steps=(${own//@1/} e1C f:000C f:260C g1C e0C f0203C f12600C)
  local target=${steps[$((RANDOM % ${#steps[@]}))]}
  [ $((RANDOM % 3)) -eq 0 ] && steps=(${own//@1/}) && target=${steps[$((RANDOM % ${#steps[@]}))]}
  local nth=""
  [ $((RANDOM % 4)) -eq 0 ] && nth="#$((2 + RANDOM % 3))"
  local rule="drop=zz" kill_ms="" line="" claim="" sig="" sig_ms="" target range
  local class=$((RANDOM % 4))
  if [ $class -le 1 ]; then
    case $((RANDOM % 10)) in
    0 | 1 | 2) rule="refuse=$target$nth:$((1 + RANDOM % 20)):$((RANDOM % 16))" ;;
    3 | 4 | 5) rule="garbage=$target$nth" ;;
    6 | 7) rule="drop=$target$nth" ;;
    8) # Silence costs every later command its whole time-out: only at the operation's own
       # steps, after discovery, does that stay within the bound.
       steps=(${own//@1/})
       rule="silent=${steps[$((RANDOM % ${#steps[@]}))]}" ;;
    9) kill_ms=$((RANDOM % 3000)) ;;
    esac
  elif [ $class -eq 2 ]; then
    case $((RANDOM % 4)) in
    0) # One byte of a value stored, or of its read-back: the values cannot be trusted.
      if [ -n "$stores" ]; then
        if [ $((RANDOM % 2)) -eq 0 ]; then
          target=$(pick "$stores") kind=command
        else
          target=$(pick "$readbacks") kind=answer
        fi
        range=${target#*=}
        [[ $range == *-* ]] && range=$(seq -s, ${range%-*} ${range#*-})
        line="change-$kind=$(pick "${range//,/ }")@${target%=*}"
        claim=changed
      else
        line="change-answer=$((RANDOM % 14))@$target$nth"
      fi ;;
    1) # One byte anywhere, either way: what it means is not known, only that it ends well.
      line="change-$(pick "command answer")=$((RANDOM % 14))@$target$nth" ;;
    2) # Stray bytes after an answer, over a fault of the device's at the same step.
      rule="$(pick "refuse=$target$nth:5 garbage=$target$nth drop=zz")"
      line="stray=$(pick '\x1b!f1 \x1b \x1b!e0C1 \x00\xff\x1b!x')@$target$nth" ;;
    3) # Another unit on the line from a step on (the cable moved): one step of the update
       # on one unit and another on the other, or the checked unit not the programmed one,
       # is never a success. Only where the program can tell: a download checks the unit
       # again before it programs, a store reads its values back.
      case $op in
      flash-leds | info | scan | print-grid | calibrate-*)
        line="stray=\x1b!@$target$nth" ;;
      flash) line="swap@$(pick "e0C#1 e0C#2 e0C#3 e0C#4")"; claim=swap ;;
      *) line="swap@$(pick "e0C#1 f:000C ${own//@1/} $(for r in $readbacks; do echo "${r%=*}"; done)")"
         claim=swap ;;
      esac ;;
    esac
  else
    sig=$(pick "INT TERM HUP QUIT PIPE TSTP reader") sig_ms=$((RANDOM % 4000))
  fi

  local dev=$d/dev
  [ -n "$line" ] && dev=$d/a
  "$sim" --profile $profile --device-dir "$dev" --log "$d/sim.log" --set reboot_ms=200 \
    --set seed=$s --set "$rule" >"$d/sim.out" 2>&1 &
  local simpid=$! otherpid="" proxypid=""
  for _ in $(seq 200); do grep -qs '^ready' "$d/sim.out" && break; sleep 0.05; done
  if [ -n "$line" ]; then
    local -a proxyargs=(--link "$d/dev/com1" --to "$(awk '/^ready/ {print $3}' "$d/sim.out")"
      --rule "$line" --life $((bound + 30)))
    if [ "$claim" = swap ]; then
      # It holds none of the values sent (the override flag off among them): a value it did
      # not take reads back otherwise.
      local -a other=(--set serial=TS999999 --set revision=3.30)
      [ $op = set-params ] && other+=(--set display_name=OTHER --set param_flags=00090)
      "$sim" --profile $profile --device-dir "$d/b" --log "$d/b.log" --set reboot_ms=200 \
        "${other[@]}" >"$d/b.out" 2>&1 &
      otherpid=$!
      for _ in $(seq 200); do grep -qs '^ready' "$d/b.out" && break; sleep 0.05; done
      proxyargs+=(--swap-to "$(awk '/^ready/ {print $3}' "$d/b.out")")
    fi
    mkdir -p "$d/dev"
    "$proxy" "${proxyargs[@]}" >"$d/proxy.out" 2>&1 &
    proxypid=$!
    for _ in $(seq 200); do grep -qs '^ready' "$d/proxy.out" && break; sleep 0.05; done
  fi
  if [ -n "$kill_ms" ]; then
    (sleep "$(printf '%d.%03d' $((kill_ms / 1000)) $((kill_ms % 1000)))"; kill -KILL $simpid 2>/dev/null) &
  fi

  # The CLI in a process group of its own, every signal at its default (a background job of
  # a script ignores INT and QUIT), watched here: the signal at its moment, a paused run
  # continued, the whole group killed at the bound.
  local -a run=(env --default-signal XDG_CONFIG_HOME=$d/config XDG_RUNTIME_DIR=$d
    DAXTOOL_DEVICE_DIR= "$cli" --device-dir "$d/dev" --json "${args[@]}")
  local pid
  : >"$d/out"
  if [ "$sig" = reader ]; then
    # Nobody reads the output after a random moment.
    D=$d T=$(printf '%d.%03d' $((sig_ms / 1000)) $((sig_ms % 1000))) setsid bash -c \
      '"$@" 2>"$D/err" | timeout "$T" cat >"$D/out"; echo "${PIPESTATUS[0]}" >"$D/code"' _ "${run[@]}" &
    pid=$!
  else
    setsid "${run[@]}" >"$d/out" 2>"$d/err" &
    pid=$!
  fi
  local began_us=${EPOCHREALTIME/./} elapsed=0 sent="" state
  while read -r _ _ state _ 2>/dev/null <"/proc/$pid/stat" && [ "$state" != Z ]; do
    elapsed=$(((${EPOCHREALTIME/./} - began_us) / 1000))
    if [ $elapsed -ge $((bound * 1000)) ]; then
      kill -KILL -- -$pid 2>/dev/null
      touch "$d/hung"
      break
    fi
    if [ -n "$sig" ] && [ "$sig" != reader ]; then
      [ -z "$sent" ] && [ $elapsed -ge "$sig_ms" ] && kill -s "$sig" $pid 2>/dev/null && sent=$elapsed
      [ "$sig" = TSTP ] && [ -n "$sent" ] && kill -s CONT $pid 2>/dev/null
    fi
    sleep 0.05
  done
  wait $pid 2>/dev/null
  local code=$?
  [ "$sig" = reader ] && code=$(cat "$d/code" 2>/dev/null || echo 137)
  local ms=$(((${EPOCHREALTIME/./} - began_us) / 1000))
  for p in $simpid $otherpid $proxypid; do kill $p 2>/dev/null; wait $p 2>/dev/null; done

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
  # A byte of a value stored or read back really changed.
  [ "$claim" = changed ] && grep -q '^changed' "$d/proxy.out" 2>/dev/null && hit=1
  # Another unit came on the line after the first one had taken a step of the update (its
  # inquiry for a download, a store for the others).
  if [ "$claim" = swap ] && grep -q '^fired' "$d/proxy.out" 2>/dev/null; then
    local update='"cmd":"(f9|h1C)'
    [ $op = flash ] && update='"cmd":"e0C"'
    grep -qE "\"dir\":\"rx\".*$update" "$d/sim.log" && hit=1
  fi
  # A signal: a success is one where the device saw every step of the operation.
  if [ -n "$sig" ] && [ $code -eq 0 ]; then
    for step in ${own//@1/}; do
      grep -q "\"dir\":\"rx\".*\"cmd\":\"$step" "$d/sim.log" || hit=1
    done
  fi
  local status
  status=$(sed -n 's/.*"status":"\(\([^"\\]\|\\.\)*\)".*/\1/p' "$d/out" | head -1)
  # Ended by a signal: the shell's 128+N with no report (a stop the program chose reports).
  local died=0
  [ $code -gt 128 ] && [ -z "$status" ] && died=$((code - 128))
  # A signal the run ended before is none.
  [ -n "$sig" ] && [ "$sig" != reader ] && [ -z "$sent" ] && sig_ms="${sig_ms}(not sent)"
  local delivered=0
  case $sig in
  reader) delivered=13 ;;
  ?*) delivered=$(kill -l "$sig") ;;
  esac
  local verdict=ok
  if [ -e "$d/hung" ]; then
    verdict=hang
  elif { [ $died -ne 0 ] && [ $died -ne $delivered ]; } || grep -qE 'runtime error|Sanitizer' "$d/err"; then
    verdict=crash
  elif [ $code -eq 0 ] && [ $hit -eq 1 ]; then
    verdict=wrong-success
  elif [ $code -ne 0 ] && [ $code -ne 64 ] && [ $died -eq 0 ] && [ -z "$status" ] &&
    { [ "$sig" != reader ] || [ ! -s "$d/err" ]; }; then
    verdict=blank-status
  fi
  printf '%d %s %s exit=%d %d.%03ds %s%s%s seed=%d%s\n' "$i" "$op" "$verdict" "$code" \
    $((ms / 1000)) $((ms % 1000)) "$rule" "${line:+ line=$line}" "${sig:+ signal=$sig@${sent:-$sig_ms}ms}" \
    "$s" "${kill_ms:+ kill_ms=$kill_ms}"
  if [ $verdict = ok ] && [ "${KEEP:-0}" != 1 ]; then rm -rf "$d"; fi
}
export -f run_one
export seed work sim cli proxy bound OPS

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
