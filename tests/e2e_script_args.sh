#!/usr/bin/env bash
# The front scripts' decisions, before anything is built: ./run --video refuses wrong arguments
# in the form the user typed (the renderer's own checks) and installs and builds nothing for
# them, hands right ones to the renderer; ./run refuses play arguments the demo would take in
# silence (a bare size, --frames or a video file without --video, a start scene the demo's
# timeline does not have, -w or -h alone); keeps the build's lines in a log that it shows when the build fails, and lists every
# form in --help; scripts/release installs and builds this machine's tree by default, and the
# 32-bit tree with its packages for --i386 and --all. The scripts run as they are, from a copy
# of the checkout's layout whose install, build and render steps only record their arguments.
#   tests/e2e_script_args.sh SOURCE_DIR
set -uo pipefail
src=$1
tmp=$(mktemp -d); trap 'rm -rf "$tmp"' EXIT
fail() { echo "FAIL: $*"; exit 1; }
mkdir -p "$tmp/scripts" "$tmp/out"
cp "$src/run" "$tmp/run"
cp "$src/scripts/release" "$tmp/scripts/release"
for step in install-deps build render-video; do
  cat > "$tmp/scripts/$step" <<EOF
#!/bin/sh
[ "\$1" != --check ] || exec "$src/scripts/render-video" "\$@"
echo "$step \$*" >> "$tmp/calls"
echo "a line of $step"
[ ! -e "$tmp/fail-$step" ] || { echo "the error of $step"; exit 1; }
EOF
  chmod +x "$tmp/scripts/$step"
done
calls() { cat "$tmp/calls" 2>/dev/null; }

# ./run --video with wrong arguments: status 2, what is wrong, the form, and nothing run.
usage="usage: $tmp/run --video FILE.mp4 [WxH] [--frames N]"
refused() {  # MESSAGE ARGS...
  local want=$1; shift
  rm -f "$tmp/calls"
  (cd "$tmp/out" && "$tmp/run" "$@") >"$tmp/said" 2>&1; local code=$?
  [ "$code" = 2 ] || fail "run $* ended with $code"
  grep -qF -- "$want" "$tmp/said" || fail "run $* did not say '$want': $(cat "$tmp/said")"
  grep -qF -- "${usage/--video/${i386:-}--video}" "$tmp/said" || fail "run $* gave no usage: $(cat "$tmp/said")"
  [ -z "$(calls)" ] || fail "run $* went on to: $(calls)"
}
i386=""
refused "$tmp/run --video: no video file given" --video
refused "$tmp/run --video: 640 is not a size: give WIDTHxHEIGHT" --video x.mp4 640
refused "--frames 0: the number of frames must be a positive whole number" --video x.mp4 --frames 0
refused "--frames -5: the number of frames must be a positive whole number" --video x.mp4 640x360 --frames -5
refused "--frames needs a number" --video x.mp4 --frames
refused "640x360 is a size: the video file comes first" --video 640x360
refused "641x360: the encoder needs an even width and height" --video x.mp4 641x360
refused "there is no folder nowhere for nowhere/x.mp4" --video nowhere/x.mp4
refused "large is neither a size WIDTHxHEIGHT nor --frames N" --video x.mp4 large
i386="--i386 "
refused "$tmp/run --i386 --video: 640 is not a size" --i386 --video x.mp4 640
[ ! -e "$tmp/build" ] && [ ! -e "$tmp/build-i386" ] || fail "a refused run made a build folder"

# Play arguments meant otherwise: what was meant, the usage, status 2, nothing run. The start
# scene is checked against the built demo's timeline (here a stand-in that prints one).
mkdir -p "$tmp/build/stage"
printf '#!/bin/sh\nprintf "scene 0 a 0 1000\\nscene 1 b 1000 1000\\nlength 2000\\n"\n' > "$tmp/build/stage/demo"
chmod +x "$tmp/build/stage/demo"
i386=""
usage="usage: $tmp/run [demo options]   or   $tmp/run --video FILE.mp4 [WxH] [--frames N]"
refused "$tmp/run: 640x360 is a size: a window of it is $tmp/run -nf -w 640 -h 360, a video of it $tmp/run --video velmor.mp4 640x360" 640x360
refused "$tmp/run: --frames is for a video: $tmp/run --video velmor.mp4 --frames 400" --frames 400
refused "$tmp/run: velmor2.mp4 is a video file: to render it, $tmp/run --video velmor2.mp4" velmor2.mp4
refused "$tmp/run: -s 9: the demo has scenes 0 to 1" -nf -s 9
refused "$tmp/run: -w without -h: the window's size needs both" -nf -w 640
refused "$tmp/run: -h without -w" -h
rm -r "$tmp/build"

# Right arguments go to the renderer as typed, after the install and a build whose lines are
# only in its log.
rm -f "$tmp/calls"
(cd "$tmp/out" && "$tmp/run" --video clip.mp4 640x360 --frames 400) >"$tmp/said" 2>&1 \
  || fail "a right --video failed: $(cat "$tmp/said")"
printf 'install-deps \nbuild %s Release\nrender-video --as %s --video %s clip.mp4 640x360 --frames 400\n' \
  "$tmp/build" "$tmp/run" "$tmp/build/stage" | diff - "$tmp/calls" >/dev/null || fail "run --video ran: $(calls)"
grep -q "a line of build" "$tmp/said" && fail "the build's lines reached the screen: $(cat "$tmp/said")"
grep -q "a line of build" "$tmp/build/build.log" || fail "the build's lines are not in build/build.log"
touch "$tmp/fail-build"
"$tmp/run" -nf -m >"$tmp/said" 2>&1 && fail "run went on after a failed build"
grep -q "the error of build" "$tmp/said" || fail "a failed build's log was not shown: $(cat "$tmp/said")"
rm "$tmp/fail-build"

# --help: every form, without installing or building.
rm -f "$tmp/calls"
"$tmp/run" --help >"$tmp/said" 2>&1 || fail "run --help failed"
for form in "$tmp/run [demo options]" "$tmp/run --video FILE.mp4 [WxH] [--frames N]" \
            "$tmp/run --i386 ..." "$tmp/run --help"; do
  grep -qF -- "$form" "$tmp/said" || fail "run --help does not list '$form'"
done
[ -z "$(calls)" ] || fail "run --help went on to: $(calls)"

# scripts/release: what it installs and builds. Nothing is built here, so each ends at packing,
# saying that the first tree has no stage.
released() {  # EXPECTED_CALLS FIRST_TREE ARGS...
  local want=$1 first=$2; shift 2
  rm -f "$tmp/calls"
  "$tmp/scripts/release" "$@" >"$tmp/said" 2>&1 && fail "release $* packed a tree that was never built"
  grep -qF "no built stage in $tmp/$first" "$tmp/said" || fail "release $*: $(tail -3 "$tmp/said")"
  [ "$(calls)" = "$(printf "$want")" ] || fail "release $* ran: $(calls)"
}
i386_build="install-deps --i386\nbuild $tmp/build-i386 Release -DCMAKE_TOOLCHAIN_FILE=$tmp/cmake/toolchain-i386.cmake"
case $(dpkg --print-architecture) in
  amd64)
    released "install-deps \nbuild $tmp/build Release" build
    released "$i386_build" build-i386 --i386 --fast
    released "$i386_build\ninstall-deps \nbuild $tmp/build Release" build-i386 --all ;;
  i386)
    released "install-deps \nbuild $tmp/build Release" build
    "$tmp/scripts/release" --all >"$tmp/said" 2>&1 && fail "release --all on an i386 machine"
    grep -q "needs an x86_64 machine" "$tmp/said" || fail "release --all on i386: $(cat "$tmp/said")" ;;
esac
"$tmp/scripts/release" --everything >"$tmp/said" 2>&1; code=$?
[ "$code" = 2 ] && grep -q "unknown argument --everything" "$tmp/said" || fail "release --everything: $code"
echo "PASS"
