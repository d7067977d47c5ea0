#!/usr/bin/env bash
# Builds, sets up and runs Trelvo, or runs its tests, on Debian 12.
#   ./trelvo.sh run    install what is missing, build, put the default databases in place, start
#   ./trelvo.sh test   install what is missing, build, run every test
set -euo pipefail
cd "$(dirname "$0")"

PACKAGES=(cmake make g++ pkg-config qt6-base-dev qt6-base-dev-tools libgl-dev libsqlite3-dev sqlite3
          fonts-nanum xvfb xauth tar gzip
          qt6-qpa-plugins qt6-translations-l10n openbox wmctrl libx11-6 libxtst6)

install_missing() {
    local missing=()
    for p in "${PACKAGES[@]}"; do
        dpkg -s "$p" >/dev/null 2>&1 || missing+=("$p")
    done
    if [ ${#missing[@]} -gt 0 ]; then
        echo "Installing: ${missing[*]}"
        export DEBIAN_FRONTEND=noninteractive
        apt-get update -qq
        apt-get install -y -qq --no-install-recommends "${missing[@]}"
    fi
}

build() {
    cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
    cmake --build build -j"$(nproc)"
}

case "${1:-}" in
run)
    install_missing
    build
    if [ -x build/bin/trelvo-mkdb ]; then
        build/bin/trelvo-mkdb --folder build/bin/Dbs
    fi
    if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
        echo "No display found: starting Trelvo inside a virtual X server (xvfb-run)."
        exec xvfb-run -a build/bin/trelvo
    fi
    exec build/bin/trelvo
    ;;
test)
    install_missing
    build
    cd build
    QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j"$(nproc)" --timeout 300
    ;;
*)
    echo "usage: $0 run|test" >&2
    exit 2
    ;;
esac
