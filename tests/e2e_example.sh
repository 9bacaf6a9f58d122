#!/usr/bin/env bash
# End to end: the framework installed into an empty prefix serves a demo written outside this
# tree. The example (examples/first_demo) is built against the installed package twice, as an
# author would: with CMake (find_package(vlm), vlm::vlm, vlm_add_run_folder) and with the one
# pkg-config compiler line. The first plays headless for its whole length with capture on, the
# second is rendered to a video from its run folder by scripts/render-video; both must end by
# themselves with status 0 and show what the camera track puts in view: the amber crystal in the
# middle at 1 s, and gone once the camera has turned away (4.75 s), with the text line at the
# bottom; the first plays with -live, which watches the example's own folders alone. Every
# installed header compiles on its own, no internal header is installed or reached through
# vlm::vlm in this tree, and every file of the demo compiles against the prefix alone. The run
# folder of the pkg-config road is laid out by the package's command with relative paths, and
# rendered by the installed vlm-render-video.
#   tests/e2e_example.sh SOURCE_DIR BUILD_DIR [TOOLCHAIN_FILE]
# With the i386 toolchain file the example is built as the 32-bit tree is (-m32, the i386
# pkg-config path and the tree's own ftgl.pc).
set -uo pipefail
src=$1 build=$2 toolchain=${3:-}
tmp=$(mktemp -d); trap 'rm -rf "$tmp"' EXIT
fail() { echo "FAIL: $*"; exit 1; }
prefix=$tmp/prefix example=$src/examples/first_demo
flags=() cmake_args=()
export PKG_CONFIG_PATH=$prefix/lib/pkgconfig
if [ -n "$toolchain" ]; then
  flags=(-m32 -march=i686 -msse2 -mfpmath=sse)
  cmake_args=(-DCMAKE_TOOLCHAIN_FILE="$toolchain")
  export PKG_CONFIG_LIBDIR=$build/i386-extra:/usr/lib/i386-linux-gnu/pkgconfig:/usr/share/pkgconfig
fi

cmake --install "$build" --prefix "$prefix" >"$tmp/install.log" || { cat "$tmp/install.log"; fail "install"; }

# The prefix holds the public headers alone: none of the library's internal ones.
for internal in "$src"/src/*.h; do
  name=$(basename "$internal")
  [ ! -e "$prefix/include/vlm/$name" ] || fail "the internal $name is installed"
done
[ "$(ls "$prefix/include")" = vlm ] || fail "P/include holds more than vlm/: $(ls "$prefix/include")"

# Each installed header alone, in a translation unit of its own, warning-free.
cflags=$(pkg-config --cflags vlm) || fail "pkg-config does not find vlm"
for header in "$prefix"/include/vlm/*.h; do
  echo "#include <vlm/$(basename "$header")>" > "$tmp/alone.cpp"
  # shellcheck disable=SC2086  # the flags are words
  c++ "${flags[@]}" -std=c++17 -Wall -Wextra -Werror -fsyntax-only $cflags "$tmp/alone.cpp" \
    || fail "$(basename "$header") does not compile alone"
done

# The demo of this tree, the framework's first client, compiles against the prefix and its own
# folder alone; an internal header is not found there.
# shellcheck disable=SC2086
c++ "${flags[@]}" -std=c++20 -Wall -Wextra -Werror -Wno-unused-parameter -fsyntax-only $cflags \
  -I "$src/demo" "$src"/demo/*.cpp || fail "the demo does not compile against the installed prefix"
echo "#include <vlm/live.h>" > "$tmp/internal.cpp"
# shellcheck disable=SC2086
c++ "${flags[@]}" -fsyntax-only $cflags "$tmp/internal.cpp" 2>/dev/null \
  && fail "<vlm/live.h> is found through the installed prefix"

# The CMake road: configured and built out of tree against the prefix.
cmake -S "$example" -B "$tmp/cmake" -DCMAKE_PREFIX_PATH="$prefix" "${cmake_args[@]}" \
  >"$tmp/configure.log" 2>&1 || { cat "$tmp/configure.log"; fail "the example does not configure"; }
cmake --build "$tmp/cmake" >"$tmp/build.log" 2>&1 || { cat "$tmp/build.log"; fail "the example does not build"; }
grep -q "warning" "$tmp/build.log" && { cat "$tmp/build.log"; fail "the example builds with warnings"; }

# The pkg-config road: one compiler line, and the run folder laid out by the package's command,
# run from the folder that holds the program, with relative paths; it packs every shader and
# model of the data, and stops with a "[!] " line when the data are not there.
# shellcheck disable=SC2046
c++ "${flags[@]}" -o "$tmp/first_demo" "$example/main.cpp" $(pkg-config --cflags --libs vlm) \
  || fail "the pkg-config line does not build the example"
stage_folder() {  # DATA
  (cd "$tmp" && cmake -DPROGRAM=first_demo -DDATA="$1" -DFOLDER=pc-run -DPACKER="$prefix/bin/vlm-vfile" \
     -DFONT="$prefix/share/vlm/crounded.ttf" -P "$prefix/lib/cmake/vlm/vlm-stage-folder.cmake")
}
stage_folder "$example/data" >"$tmp/stage.log" 2>&1 \
  || { cat "$tmp/stage.log"; fail "the run folder could not be laid out"; }
packed=$("$prefix/bin/vlm-vfile" list "$tmp/pc-run/data.vfile" | wc -l)
[ "$packed" = 4 ] || fail "the run folder's data.vfile packs $packed files, not the example's 4"
stage_folder "$tmp/no-data" >"$tmp/stage.log" 2>&1 && fail "a run folder was laid out from missing data"
grep -q '\[!\] .*no-data' "$tmp/stage.log" || { cat "$tmp/stage.log"; fail "missing data without a [!] line"; }
usage=$("$prefix/bin/vlm-vfile" 2>&1)
[[ $usage == "usage: vlm-vfile pack"* ]] || fail "vlm-vfile does not name itself: $usage"

# Taken in with add_subdirectory, this tree gives the library (and the packer) alone: no demo, no
# tools, no tests, and neither GoogleTest nor LAME looked for.
mkdir "$tmp/sub"
cat > "$tmp/sub/CMakeLists.txt" <<CMAKE
cmake_minimum_required(VERSION 3.20)
project(author_demo CXX)
add_subdirectory("$src" velmor)
add_executable(first_demo "$example/main.cpp")
target_link_libraries(first_demo PRIVATE vlm::vlm)
vlm_add_run_folder(first_demo DATA "$example/data")
CMAKE
cmake -S "$tmp/sub" -B "$tmp/sub/b" "${cmake_args[@]}" >"$tmp/sub.log" 2>&1 || { cat "$tmp/sub.log"; fail "add_subdirectory"; }
# What vlm::vlm gives a demo reaches the public headers, not the internal ones: the author's
# demo taken in here, and this tree's own demo (by either name).
echo "#include <vlm/vlm.h>" > "$tmp/public.cpp"
echo '#include "live.h"' > "$tmp/bare.cpp"
for made in "$tmp/sub/b/CMakeFiles/first_demo.dir" "$build/demo-build/CMakeFiles/demokit.dir"; do
  includes=$(sed -n 's/^CXX_INCLUDES = //p' "$made/flags.make")
  # shellcheck disable=SC2086
  c++ "${flags[@]}" -fsyntax-only $includes "$tmp/public.cpp" || fail "$made: <vlm/vlm.h> not found"
  for probe in internal bare; do
    # shellcheck disable=SC2086
    c++ "${flags[@]}" -fsyntax-only $includes "$tmp/$probe.cpp" 2>/dev/null \
      && fail "$made: $(cat "$tmp/$probe.cpp") is found through vlm::vlm"
  done
done
targets=$(cmake --build "$tmp/sub/b" --target help | sed -n 's/^\.\.\. //p' | grep -v '\.[ois]$' | LC_ALL=C sort | tr '\n' ' ')
for want in first_demo first_demo_run_folder vfile vlm; do
  [[ " $targets" == *" $want "* ]] || fail "add_subdirectory: no target $want in: $targets"
done
for unwanted in demo demokit stage tests gen_music test_audio; do
  [[ " $targets" == *" $unwanted "* ]] && fail "add_subdirectory: the target $unwanted is built too"
done
grep -Eq '^(LAME_LIB|GTest_DIR)' "$tmp/sub/b/CMakeCache.txt" && fail "add_subdirectory looks for LAME or GoogleTest"

# The picture checks, on raw RGB frames: FRAME_AT_1S FRAME_AT_4_75S WIDTH HEIGHT.
check_frames() {
  python3 - "$@" <<'PY'
import sys
early, late, w, h = sys.argv[1], sys.argv[2], int(sys.argv[3]), int(sys.argv[4])
def pixels(path):
    data = open(path, "rb").read()
    assert len(data) == w * h * 3, (path, len(data))
    return [data[i:i + 3] for i in range(0, len(data), 3)]
def amber(p):
    r, g, b = p
    return r > 120 and 0.3 * r < g < 0.8 * r and b < 0.35 * r
def share(px, test, x0, y0, x1, y1):  # rows from the top
    box = [px[y * w + x] for y in range(y0, y1) for x in range(x0, x1)]
    return sum(1 for p in box if test(p)) / len(box)
white = lambda p: min(p) > 180
problems = []
a, b = pixels(early), pixels(late)
if share(a, amber, w * 2 // 5, h * 2 // 5, w * 3 // 5, h * 3 // 5) < 0.9:
    problems.append("at 1 s the crystal is not in the middle of the picture")
if share(a, amber, 0, 0, w, h) < 0.05:
    problems.append("at 1 s the crystal covers less than a twentieth of the picture")
if share(b, amber, 0, 0, w, h) > 0.005:
    problems.append("at 4.75 s the camera has turned away, but the crystal is still seen")
bg = b[(h // 2) * w + w // 2]
if not (bg[2] > bg[0] and max(bg) < 90):
    problems.append("at 4.75 s the middle is not the dark blue background: %s" % list(bg))
for name, px in (("1 s", a), ("4.75 s", b)):
    if share(px, white, 0, h * 3 // 4, w // 2, h) < 0.005:
        problems.append("at %s there is no text at the bottom left" % name)
print("\n".join(problems))
sys.exit(1 if problems else 0)
PY
}
raw() { ffmpeg -v error -y -i "$1" "${@:3}" -f rawvideo -pix_fmt rgb24 "$2"; }

# Played with capture on (-c 1), for its whole length: 5 s at 25 ms per frame; with -live, which
# watches the folders the example read its shaders and camera track from, and no other.
run=$tmp/cmake/run
(cd "$run" && timeout 300 "$prefix/bin/vlm-with-xvfb" --screen 480x320x24 ./first_demo -nf -w 320 -h 180 \
   -c 1 -live >"$tmp/play.log" 2>&1); code=$?
[ "$code" = 0 ] || { tail -5 "$tmp/play.log"; fail "the example ended with status $code"; }
watched=$(grep 'Live: ' "$tmp/play.log" | tr '\n' '|')
[ "$watched" = "[*] Live: watching data/shader|[*] Live: watching data/camera|" ] \
  || fail "-live watches other than the example's folders: $watched"
frames=$(ls "$run/capture" | wc -l)
[ "$frames" -ge 200 ] || fail "the example captured $frames frames, not its 5 s"
# Capture frame n shows the clock at 25 x (n - 1) ms.
raw "$run/capture/41.png" "$tmp/c1.rgb" && raw "$run/capture/191.png" "$tmp/c2.rgb" || fail "cannot read frames"
check_frames "$tmp/c1.rgb" "$tmp/c2.rgb" 320 180 || fail "captured frames"

# The pkg-config build through the video road, whose length comes from the demo itself.
"$prefix/bin/vlm-render-video" "$tmp/pc-run" "$tmp/first_demo.mp4" 320x180 2>"$tmp/video.log" \
  || { cat "$tmp/video.log"; fail "the example's run folder does not render to a video"; }
count=$(ffprobe -v error -count_frames -select_streams v:0 -show_entries stream=nb_read_frames \
        -of csv=p=0 "$tmp/first_demo.mp4")
[ "$count" = 201 ] || fail "the video holds $count frames, not the demo's 5 s and its last frame (201)"
# Video frame k shows the clock at 25 x k ms.
raw "$tmp/first_demo.mp4" "$tmp/v1.rgb" -vf "select=eq(n\,40)" -vframes 1 -f rawvideo &&
raw "$tmp/first_demo.mp4" "$tmp/v2.rgb" -vf "select=eq(n\,190)" -vframes 1 || fail "cannot read the video"
check_frames "$tmp/v1.rgb" "$tmp/v2.rgb" 320 180 || fail "video frames"
echo "PASS"
