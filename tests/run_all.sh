#!/usr/bin/env bash
# Builds Quillon with its tests and runs every test (unit tests and the
# end-to-end checks).
#
#   bash tests/run_all.sh [BUILD_DIR [CMAKE_ARGS...]]
#
# The sitemap schema comes from the npm package "sitemap"; when npm is there
# it is fetched into BUILD_DIR/schema, otherwise the schema checks are skipped.
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build}
shift || true
cmake -S . -B "$build" "$@"
cmake --build "$build" -j"$(nproc)"
if [ ! -f "$build/schema/sitemap.xsd" ] && command -v npm >/dev/null; then
  (cd "$build" && npm pack --silent sitemap@9 >/dev/null &&
   tar xzf sitemap-9.*.tgz package/schema/sitemap.xsd &&
   mkdir -p schema && mv package/schema/sitemap.xsd schema/ &&
   rm -rf package sitemap-9.*.tgz) || echo "note: could not fetch sitemap.xsd"
fi
ctest --test-dir "$build" --output-on-failure -j"$(nproc)"
