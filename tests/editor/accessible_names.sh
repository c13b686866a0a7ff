#!/bin/bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Starts the session window on a session with one problem in a virtual X server, with its
# own accessibility bus, and checks what a screen reader finds (accessible_names.py).
# Usage: accessible_names.sh TOVIN
set -eu
tovin=$1
here=$(dirname "$0")
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
printf -- '-SE\na: pink/30 200+10/20\n0:00 a\n0:00:05 b\n' >"$tmp/t.sbg"
export TOVIN=$tovin HERE=$here TMPSESSION=$tmp/t.sbg XDG_RUNTIME_DIR=$tmp XDG_CONFIG_HOME=$tmp
exec xvfb-run -a -s "-screen 0 1280x900x24" dbus-run-session -- bash -c '
    /usr/libexec/at-spi-bus-launcher --launch-immediately &
    bus=$!
    sleep 1
    QT_QPA_PLATFORM=xcb QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1 "$TOVIN" "$TMPSESSION" &
    app=$!
    status=0
    /usr/bin/python3 "$HERE/accessible_names.py" "Tovin Sessions" \
        "4:9: unknown tone-set '"'"'b'"'"'" || status=$?
    kill $app $bus 2>/dev/null
    wait $app 2>/dev/null
    exit $status'
