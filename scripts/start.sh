#!/usr/bin/env bash
# Installs what is needed, builds, and starts the program against the bundled
# demo sites. The windows are not built yet: until they are, this builds
# everything and shows what the site catalogue makes of the default keyword.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/install-deps.sh"
"$root/scripts/configure.sh" "$root/build" -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build "$root/build" --parallel 2
echo "The windows are not built yet; this is what the site catalogue gives:"
"$root/build/tools/show_sites" "$@"
