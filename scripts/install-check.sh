#!/usr/bin/env bash
# Installs a build into a temporary prefix and builds the component package against it, once
# with find_package(Formwright) and once with pkg-config, as a third party would.
# Usage: scripts/install-check.sh [BUILD_DIR]   (default build/debug, configured and built)
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build/debug}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cmake --install "$build" --prefix "$work/prefix" >/dev/null
cmake -S packages/stdcomponents -B "$work/cmake" -G Ninja -DCMAKE_BUILD_TYPE=Debug \
      -DCMAKE_PREFIX_PATH="$work/prefix" >/dev/null
cmake --build "$work/cmake" >/dev/null
test -f "$work/cmake/stdcomponents.so"
export PKG_CONFIG_PATH="$work/prefix/lib/pkgconfig"
# shellcheck disable=SC2046
c++ -shared -fPIC -fvisibility=hidden -o "$work/stdcomponents-pc.so" \
    packages/stdcomponents/stdcomponents.cpp $(pkg-config --cflags --libs formwright)
echo "install check: package built against $work/prefix with CMake and pkg-config"
