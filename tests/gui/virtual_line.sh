# shellcheck shell=bash
# Sourceable bash library: a virtual telephone line for GUI tests. A private
# PulseAudio daemon with a null sink "line"; what is played into the sink
# arrives at Wine's default capture device (the sink's monitor).
#
#   virtual_line_start DIR    daemon with its runtime folder DIR/pulse-runtime;
#                             exports XDG_RUNTIME_DIR and PULSE_SERVER, so
#                             programs started afterwards (Wine too) use it
#   virtual_line_play FILE    plays a WAV into the line in the background
#   virtual_line_silence      stops what virtual_line_play started
#   virtual_line_unplug [SINK] removes the sinks (or only SINK) and their monitors
#   virtual_line_plug         puts them back
#   virtual_line_stop         ends playing and the daemon
#
# Works as root (PulseAudio warns and runs). Each DIR gets its own daemon,
# so tests in parallel do not hear each other.

VIRTUAL_LINE_PLAY_PID=""
VIRTUAL_LINE_DAEMON_PID=""

virtual_line_log() { printf 'virtual_line: %s\n' "$*" >&2; }

virtual_line_start() {
  local dir=${1:?virtual_line_start needs a folder}
  command -v pulseaudio >/dev/null 2>&1 || { virtual_line_log "pulseaudio not found"; return 1; }
  command -v pactl >/dev/null 2>&1 || { virtual_line_log "pactl not found (pulseaudio-utils)"; return 1; }
  mkdir -p "$dir" || return 1
  dir=$(cd "$dir" && pwd)
  local runtime="$dir/pulse-runtime"
  mkdir -p "$runtime" && chmod 700 "$runtime" || return 1
  export XDG_RUNTIME_DIR="$runtime"
  export PULSE_SERVER="unix:$runtime/pulse/native"

  # A daemon left from an interrupted run of the same folder is reused.
  if ! pactl info >/dev/null 2>&1; then
    pulseaudio --daemonize=yes --exit-idle-time=-1 -n \
      --load=module-native-protocol-unix \
      --load="module-null-sink sink_name=line" >"$dir/pulseaudio.log" 2>&1
    for _ in $(seq 1 50); do
      pactl info >/dev/null 2>&1 && break
      sleep 0.1
    done
  fi
  pactl info >/dev/null 2>&1 || { virtual_line_log "PulseAudio did not start (see $dir/pulseaudio.log)"; return 1; }
  VIRTUAL_LINE_DAEMON_PID=$(cat "$runtime/pulse/pid" 2>/dev/null)
  pactl list short sinks | grep -q $'\tline\t' || virtual_line_plug || return 1
  pactl set-default-sink line && pactl set-default-source line.monitor
}

virtual_line_play() {
  local file=${1:?virtual_line_play needs a WAV file}
  virtual_line_silence
  paplay -d line "$file" &
  VIRTUAL_LINE_PLAY_PID=$!
}

virtual_line_silence() {
  [ -n "$VIRTUAL_LINE_PLAY_PID" ] || return 0
  kill "$VIRTUAL_LINE_PLAY_PID" 2>/dev/null
  wait "$VIRTUAL_LINE_PLAY_PID" 2>/dev/null
  VIRTUAL_LINE_PLAY_PID=""
  return 0
}

virtual_line_unplug() {  # virtual_line_unplug [SINK]: that null sink only
  virtual_line_silence
  local id
  for id in $(pactl list short modules |
              awk -v want="${1:-}" '$2 == "module-null-sink" && (want == "" || $3 == "sink_name=" want) { print $1 }'); do
    pactl unload-module "$id" || return 1
  done
}

virtual_line_plug() {
  pactl load-module module-null-sink sink_name=line >/dev/null || return 1
  pactl set-default-sink line && pactl set-default-source line.monitor
}

virtual_line_stop() {
  virtual_line_silence
  [ -n "${XDG_RUNTIME_DIR:-}" ] || return 0
  if [ -n "$VIRTUAL_LINE_DAEMON_PID" ] && kill -0 "$VIRTUAL_LINE_DAEMON_PID" 2>/dev/null; then
    kill "$VIRTUAL_LINE_DAEMON_PID" 2>/dev/null
    for _ in $(seq 1 30); do
      kill -0 "$VIRTUAL_LINE_DAEMON_PID" 2>/dev/null || break
      sleep 0.1
    done
  fi
  VIRTUAL_LINE_DAEMON_PID=""
  return 0
}
