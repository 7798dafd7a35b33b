#!/usr/bin/env bash
# Set-up for a fresh Debian 12 or 13 machine.
#   ./setup.sh run    install what is missing, build, start the French build
#   ./setup.sh test   install what is missing, build, run every test
set -euo pipefail
cd "$(dirname "$0")"
mode=${1:-run}

SUDO=""
if [ "$(id -u)" -ne 0 ]; then SUDO=sudo; fi

# libgl-dev: Qt6Gui's CMake package requires OpenGL. libcups2-dev: the
# printout goes to the print queue through libcups. FONTS: the faces the
# window is drawn in. poppler-utils: the print tests read the PDF with
# pdftotext and pdftoppm. clang and libclang-rt-dev: the libFuzzer build, with
# the runtime of the release's default clang. DESKTOP_FONTS: fonts a desktop
# commonly has, which take "Courier" and the sans-serif for themselves in
# fontconfig; the tests run with them, and the widget tests once more without.
# cups-daemon and cups-client: the print test starts a print scheduler of its
# own and sets up its queue.
FONTS=(fonts-comic-neue fonts-dejavu-core)
PACKAGES=(cmake ninja-build g++
  qt6-base-dev libqt6sql6-sqlite libgl-dev libcups2-dev
  libgtest-dev libgmock-dev libbenchmark-dev
  "${FONTS[@]}")
DESKTOP_FONTS=(fonts-urw-base35 fonts-noto-mono fonts-noto-core fonts-liberation)
TEST_PACKAGES=(clang libclang-rt-dev poppler-utils cups-daemon cups-client "${DESKTOP_FONTS[@]}")
# Installed where the release has them: Debian 13 moved DejaVu Sans Mono (the
# window's "Courier") out of fonts-dejavu-core into fonts-dejavu-mono, and
# keeps the Liberation 2 fonts in fonts-liberation, which Debian 12 names
# fonts-liberation2.
WHERE_KNOWN=(fonts-dejavu-mono)
TEST_WHERE_KNOWN=(fonts-liberation2)

installed() { dpkg-query -W -f='${Status}' "$1" 2>/dev/null | grep -q "install ok installed"; }
known() { [ -n "$(apt-cache show --no-all-versions "$1" 2>/dev/null)" ]; }

missing=()
wanted=("${PACKAGES[@]}")
maybe=("${WHERE_KNOWN[@]}")
if [ "$mode" = test ]; then
  wanted+=("${TEST_PACKAGES[@]}")
  maybe+=("${TEST_WHERE_KNOWN[@]}")
fi
for p in "${wanted[@]}"; do
  installed "$p" || missing+=("$p")
done
[ ${#missing[@]} -gt 0 ] && $SUDO apt-get update
for p in "${maybe[@]}"; do
  installed "$p" || ! known "$p" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y --no-install-recommends "${missing[@]}"
fi
installed fonts-dejavu-mono && FONTS+=(fonts-dejavu-mono)

jobs=$(nproc)
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build build -j "$jobs"

case "$mode" in
  run)
    mkdir -p run
    cd run
    exec ../build/zephyral-fr
    ;;
  test)
    # Sanitized build of the whole suite.
    cmake -S . -B build-asan -G Ninja -DCMAKE_BUILD_TYPE=Debug -DZEPHYRAL_SANITIZE=ON -DZEPHYRAL_BENCH=OFF
    cmake --build build-asan -j "$jobs"
    # Fuzzing the reception core and the two file readers for a bounded time
    # (FUZZ_SECONDS in all); a finding prints the whole run and fails.
    cmake -S fuzz -B build-fuzz -G Ninja -DCMAKE_CXX_COMPILER=clang++
    cmake --build build-fuzz -j "$jobs"
    fuzz_seconds=$(( ${FUZZ_SECONDS:-60} / 3 ))
    [ "$fuzz_seconds" -ge 1 ] || fuzz_seconds=1
    for pair in reception_fuzz:corpus pack_fuzz:corpus-pack curve_import_fuzz:corpus-curve; do
      target=${pair%%:*}
      work=$(mktemp -d)
      mkdir "$work/corpus" "$work/crashes"
      cp "fuzz/${pair#*:}"/* "$work/corpus"/
      echo "== $target (${fuzz_seconds} s)"
      if ./build-fuzz/"$target" -max_total_time="$fuzz_seconds" -print_final_stats=1 \
          -artifact_prefix="$work/crashes/" "$work/corpus" >"$work/out.txt" 2>&1; then
        grep '^stat::' "$work/out.txt"
        rm -rf "$work"
      else
        cat "$work/out.txt"
        echo "$target found a fault; its input is in $work/crashes" >&2
        exit 1
      fi
    done
    export QT_QPA_PLATFORM=offscreen
    # Leaks count as failures; tests/lsan.supp lets through only Qt's and the
    # system libraries' own life-long allocations.
    lsan="suppressions=$PWD/tests/lsan.supp:print_suppressions=0"
    (cd build-asan && ASAN_OPTIONS=detect_leaks=1 LSAN_OPTIONS="$lsan" ctest -j "$jobs" --output-on-failure)
    # The widget tests again, with fontconfig seeing only the fonts that
    # "./setup.sh run" installs (the system's rendering settings kept).
    fonts=$(mktemp -d)
    {
      echo '<?xml version="1.0"?>'
      echo '<!DOCTYPE fontconfig SYSTEM "urn:fontconfig:fonts.dtd">'
      echo '<fontconfig>'
      dpkg -L "${FONTS[@]}" | grep -E '\.(ttf|otf)$' | xargs -n1 dirname | sort -u | sed 's|.*|  <dir>&</dir>|'
      echo '  <include ignore_missing="yes">/etc/fonts/conf.d</include>'
      echo "  <cachedir>$fonts/cache</cachedir>"
      echo '</fontconfig>'
    } >"$fonts/fonts.conf"
    echo "== widget tests with the fonts of ${FONTS[*]} only"
    (cd build && FONTCONFIG_FILE="$fonts/fonts.conf" ctest -L gui -j "$jobs" --output-on-failure)
    rm -rf "$fonts"
    echo "== every test, plain build"
    (cd build && ctest -j "$jobs" --output-on-failure)
    ;;
  *)
    echo "usage: $0 run|test" >&2
    exit 2
    ;;
esac
