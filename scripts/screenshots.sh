#!/usr/bin/env bash
# screenshots.sh [FOLDER]: pictures of the disclaimer, the main window with
# results, the download window with links and a finished download, taken on
# Qt's offscreen platform against the demo sites (free ports). The pictures go
# to FOLDER (default /tmp/orvu-screenshots), never into the repository.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=$root/build
out=${1:-/tmp/orvu-screenshots}
"$root/scripts/install-deps.sh"
"$root/scripts/configure.sh" "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build "$build" --parallel 2 --target orvu_screenshots
export QT_QPA_PLATFORM=${QT_QPA_PLATFORM:-offscreen}
[ "$(id -u)" -ne 0 ] || export QTWEBENGINE_DISABLE_SANDBOX=1
fc-list :lang=zh family | grep -q . || echo "warning: no CJK font installed" >&2
"$build/tools/orvu_screenshots" "$out" 2> >(grep -v -e '^$' -e 'propagateSizeHints' -e 'does not support raise' >&2)
