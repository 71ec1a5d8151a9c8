#!/usr/bin/env bash
# Installs what is missing, builds every preset and runs every test:
# Windows programs under Wine (32- and 64-bit), portable code natively, under
# ThreadSanitizer and AddressSanitizer+UBSan, and the fuzzers for a bounded time.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"

bash tools/setup.sh
bash tools/fetch-sources.sh

. tools/wine-session.sh
jobs=$(nproc)
for preset in win32 win64 native native-tsan native-asan; do
  echo "== build $preset"
  cmake --preset "$preset" >/dev/null
  target=()
  if [ "$preset" = win32 ] && ! wine_can_run_32bit; then
    # Its tests cannot run here: compile the shipped programs only.
    target=(--target tern_deliverables)
  fi
  cmake --build --preset "$preset" -j "$jobs" "${target[@]}" 2>&1 | tail -n 3
done

status=0
for preset in native native-tsan native-asan; do
  echo "== test $preset"
  TSAN_OPTIONS="halt_on_error=1 second_deadlock_stack=1" \
    ctest --test-dir "build/$preset" --output-on-failure -j "$jobs" || status=1
done

# Network isolation: every Windows program runs where only loopback exists.
if [ -z "${TERN_NETNS:-}" ]; then
  unshare -n bash -c 'ip link set lo up && TERN_NETNS=1 exec bash tools/test-wine.sh' || status=1
else
  bash tools/test-wine.sh || status=1
fi
exit $status
