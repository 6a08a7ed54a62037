#!/usr/bin/env bash
# Installs what is needed, builds, starts the bundled demo sites and then
# Orvu小说下载器 against them. When the program ends, the demo sites stop.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=$root/build
"$root/scripts/install-deps.sh"
"$root/scripts/configure.sh" "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build "$build" --parallel 2 --target orvu orvu_demo_sites

if [ -z "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ] && [ -z "${QT_QPA_PLATFORM:-}" ]; then
    echo "There is no display to show the windows on: run this in a desktop session." >&2
    exit 1
fi

log=$(mktemp)
"$build/demo/orvu_demo_sites" >"$log" 2>&1 &
demo=$!
trap 'kill "$demo" 2>/dev/null; wait "$demo" 2>/dev/null; rm -f "$log"' EXIT
for _ in $(seq 100); do
    grep -q 'demo sites ready' "$log" && break
    kill -0 "$demo" 2>/dev/null || { cat "$log"; exit 1; }
    sleep 0.1
done
cat "$log"

# The browser engine's sandbox refuses to run as root.
[ "$(id -u)" -ne 0 ] || export QTWEBENGINE_DISABLE_SANDBOX=1
"$build/src/app/orvu"
