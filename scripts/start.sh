#!/usr/bin/env bash
# Installs what is needed, builds, and starts the program against the bundled
# demo sites. The windows are not built yet: until they are, this starts the
# demo sites and runs the real search flow on each of them with sitecheck.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=$root/build
"$root/scripts/install-deps.sh"
"$root/scripts/configure.sh" "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build "$build" --parallel 2 --target orvu_demo_sites sitecheck

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

keyword=${1:-帝霸}
echo "The windows are not built yet; this is the search for \"$keyword\" on each demo site:"
for site in 1 2 3; do
    echo "== 资源站$site"
    "$build/tools/sitecheck" search "$site" "$keyword" || true
done
