#!/usr/bin/env bash
# Runs a command as a screen reader's session has it: an X display, a session bus and the
# accessibility bus. Usage: run-in-session.sh COMMAND [ARGUMENT...]
set -euo pipefail
if [ "${VORLIX_IN_SESSION:-}" != 1 ]; then
    export VORLIX_IN_SESSION=1
    exec xvfb-run -a -s "-screen 0 1280x1024x24" dbus-run-session -- "$0" "$@"
fi
/usr/libexec/at-spi-bus-launcher --launch-immediately >/dev/null 2>&1 &
bus=$!
trap 'kill $bus 2>/dev/null || true' EXIT
sleep 1
"$@"
