#!/usr/bin/env bash
# configure.sh DIR [cmake options...]: configures a build of the project in DIR
# with the build values of the bundled demo sites.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
dir=$1
shift
cmake -S "$root" -B "$dir" -G Ninja -C "$root/cmake/endpoints/demo.cmake" "$@" >/dev/null
