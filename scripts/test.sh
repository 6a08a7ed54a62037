#!/usr/bin/env bash
# Installs what is needed, builds, and runs every test: once in the normal
# build, once more in a build with AddressSanitizer and UndefinedBehaviorSanitizer.
# The windows' tests run on Qt's offscreen platform, so no display is needed;
# the sanitizer build leaves the windows out, since Qt and its browser engine
# are not built for the sanitizers.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/install-deps.sh"

run_tests() {
    local dir=$1
    shift
    "$root/scripts/configure.sh" "$dir" "$@"
    cmake --build "$dir" --parallel 2
    ctest --test-dir "$dir" --output-on-failure --parallel 2 --timeout 300
}

echo "== tests"
run_tests "$root/build" -DCMAKE_BUILD_TYPE=RelWithDebInfo

echo "== tests under AddressSanitizer and UndefinedBehaviorSanitizer"
export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1
run_tests "$root/build-sanitize" -DCMAKE_BUILD_TYPE=Debug -DORVU_SANITIZE=ON -DORVU_BUILD_APP=OFF
