# shellcheck shell=bash
# Sourceable bash library: CPU of the processes of our Wine prefix, from
# /proc. Set WINE_CPU_PROGRAM to the program's file name (Corvinet.exe).
#
#   prefix_processes      "program PID", "server PID" or "helper PID" a line
#   pids_of KIND          the pids of one kind
#   measure SECONDS       "program server helpers" in % of one core

WINE_CPU_PROGRAM=${WINE_CPU_PROGRAM:-Corvinet.exe}
clk=$(getconf CLK_TCK)

# Processes of our Wine prefix: "program", "server" or "helper" with the pid.
prefix_processes() {
  local p env cmd
  for p in /proc/[0-9]*; do
    env=$(tr '\0' '\n' 2>/dev/null <"$p/environ") || continue
    grep -qxF "WINEPREFIX=$WINEPREFIX" <<<"$env" || continue
    cmd=$(tr '\0' ' ' 2>/dev/null <"$p/cmdline")
    case $cmd in
      *"$WINE_CPU_PROGRAM"*) echo "program ${p#/proc/}" ;;
      *wineserver*) echo "server ${p#/proc/}" ;;
      *) echo "helper ${p#/proc/}" ;;
    esac
  done
}

# User and system ticks of the given pids (the fields after the command name).
ticks() {
  local sum=0 p rest
  for p in "$@"; do
    rest=$(sed 's/.*) //' "/proc/$p/stat" 2>/dev/null) || continue
    # shellcheck disable=SC2086
    set -- $rest
    sum=$(( sum + ${12} + ${13} ))
  done
  echo "$sum"
}

pids_of() { prefix_processes | awk -v k="$1" '$1 == k { print $2 }' | tr '\n' ' '; }

# measure SECONDS: prints "program server helpers" in % of one core.
measure() {
  local s=$1 prog srv help p0 s0 h0 p1 s1 h1
  prog=$(pids_of program); srv=$(pids_of server); help=$(pids_of helper)
  # shellcheck disable=SC2086
  { p0=$(ticks $prog); s0=$(ticks $srv); h0=$(ticks $help); }
  sleep "$s"
  # shellcheck disable=SC2086
  { p1=$(ticks $prog); s1=$(ticks $srv); h1=$(ticks $help); }
  awk -v a=$(( p1 - p0 )) -v b=$(( s1 - s0 )) -v c=$(( h1 - h0 )) -v hz="$clk" -v s="$s" \
    'BEGIN { printf "%.2f %.2f %.2f\n", 100*a/hz/s, 100*b/hz/s, 100*c/hz/s }'
}

