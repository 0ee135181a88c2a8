#!/usr/bin/env bash
# Runs a GUI test program as an ordinary user: under root (as CI runs) folder permissions
# would not hold, and a surveyor never runs the program as root. The user "nobody" gets a
# home and a runtime folder of its own for Qt and fontconfig.
set -euo pipefail
if [ "$(id -u)" != 0 ]; then
  exec "$@"
fi
home=$(mktemp -d)
chown 65534:65534 "$home"
chmod 0700 "$home"
trap 'rm -rf "$home"' EXIT
HOME=$home XDG_RUNTIME_DIR=$home setpriv --reuid=65534 --regid=65534 --clear-groups "$@"
