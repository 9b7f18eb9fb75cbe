#!/usr/bin/env bash
# Runs a command on an X server of its own: with-display.sh COMMAND [ARGS...]
# The server picks a free display number itself (-displayfd) and says so once it accepts clients, so
# nothing races other servers being started on this machine for the same number, and nothing this run
# does to its server (a key left held down, say) reaches another run's programs.
set -euo pipefail
work=$(mktemp -d)
server=
cleanup() {
  if [ -n "$server" ]; then
    kill "$server" 2>/dev/null || true
    wait "$server" 2>/dev/null || true
  fi
  rm -rf "$work"
}
trap cleanup EXIT

# The server loads every cookie of its file whatever display it names; the clients look theirs up by display.
cookie=$(od -An -N16 -tx1 /dev/urandom | tr -d ' \n')
: >"$work/auth"
xauth -q -f "$work/auth" add :0 . "$cookie"
Xvfb -displayfd 3 -screen 0 1920x1080x24 -noreset -nolisten tcp -auth "$work/auth" 3>"$work/display" \
  2>"$work/server.log" &
server=$!
for _ in $(seq 300); do
  [ -s "$work/display" ] && break
  if ! kill -0 "$server" 2>/dev/null; then
    echo "Xvfb did not start:" >&2
    cat "$work/server.log" >&2
    exit 1
  fi
  sleep 0.1
done
if [ ! -s "$work/display" ]; then
  echo "Xvfb did not say which display it took within 30 seconds" >&2
  exit 1
fi
display=":$(head -n 1 "$work/display")"
xauth -q -f "$work/auth" add "$display" . "$cookie"
DISPLAY=$display XAUTHORITY=$work/auth "$@"
