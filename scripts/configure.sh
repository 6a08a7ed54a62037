#!/usr/bin/env bash
# configure.sh DIR [cmake options...]: configures a build of the project in DIR
# with the build values of the bundled demo sites.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
dir=$1
shift
# The cached build values are dropped first, so the set's current values win.
values=(SITE1_HOST SITE2_HOST SEARCH_SERVICE_HOST SITE3_DOMAIN SEARCH_SERVICE_SITE_ID
    SITE3_DOWNLOAD_HOST HOME_PAGE_ADDRESS CHAT_GROUP_NUMBER EXTRA_CA_FILE)
unset_values=()
for value in "${values[@]}"; do unset_values+=(-U "$value"); done
cmake -S "$root" -B "$dir" -G Ninja "${unset_values[@]}" -C "$root/cmake/endpoints/demo.cmake" \
    "$@" >/dev/null
