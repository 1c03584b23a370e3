#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Listens to the real screen reader: Orca, with a fresh settings folder, speaks through a speech
# dispatcher whose only output module writes each utterance to a file, under openbox (Qt takes
# no focus without a window manager), on a private session bus with the accessibility bus on.
# orca_test.py plays a short session with the keyboard and checks what Orca said.
# Usage: orca_test.sh EDITOR MAPGEN
set -euo pipefail
editor=$1
mapgen=$2

source "$(dirname "${BASH_SOURCE[0]}")/../../scripts/xdrive.sh"

"$mapgen" "$work/landscape.map" 60 40 --pattern landscape --seed 4
export HOME="$work/home" XDG_RUNTIME_DIR="$work/runtime" XDG_CONFIG_HOME="$work/home/.config"
mkdir -p "$XDG_CONFIG_HOME/speech-dispatcher/modules" "$work/orca"
mkdir -m 700 "$XDG_RUNTIME_DIR"
# Each utterance a line of the file, with no sound device at all (libao's null driver).
cat >"$XDG_CONFIG_HOME/speech-dispatcher/speechd.conf" <<CONF
AddModule "file" "sd_generic" "file.conf"
DefaultModule file
DefaultLanguage "en"
AudioOutputMethod "libao"
CONF
cat >"$XDG_CONFIG_HOME/speech-dispatcher/modules/file.conf" <<CONF
GenericExecuteSynth "printf '%s\\\\n' \\'\$DATA\\' >>$work/speech.txt"
AddVoice "en" "MALE1" "file"
GenericLanguage "en" "english" "utf-8"
CONF
echo "default_driver=null" >"$HOME/.libao"

start_xvfb
: >"$work/speech.txt"
dbus-run-session -- bash -c '
    dbus-send --session --print-reply=literal --dest=org.a11y.Bus /org/a11y/bus \
        org.freedesktop.DBus.Properties.Set string:org.a11y.Status string:IsEnabled \
        variant:boolean:true >/dev/null
    exec /usr/bin/python3 "$0" "$@"' \
    "$(dirname "${BASH_SOURCE[0]}")/orca_test.py" "$editor" "$work" || status=$?
# The speech dispatcher that Orca started outlives the session; it goes before its folders do.
speechd=$(cat "$XDG_RUNTIME_DIR/speech-dispatcher/pid/speech-dispatcher.pid" 2>/dev/null || true)
if [ -n "$speechd" ] && kill "$speechd" 2>/dev/null; then
    for _ in $(seq 1 50); do kill -0 "$speechd" 2>/dev/null && sleep 0.1; done
fi
exit "${status:-0}"
