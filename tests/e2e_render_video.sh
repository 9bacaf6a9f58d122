#!/usr/bin/env bash
# End to end: a short render yields a playable MP4 whose stream facts ffprobe confirms, whose
# first frames are the loading screen, with its progress rewritten in place on a terminal and
# as plain lines in a log; an interrupted render keeps the frames it made as a playable video
# with its music, says how many, and leaves no process and no temporary files; a render whose
# frames fill the disk stops, says why, and leaves no frames and no output.
#   tests/e2e_render_video.sh SOURCE_DIR STAGE_DIR
set -uo pipefail
src=$1 stage=$2
tmp=$(mktemp -d); trap 'umount "$tmp/full" 2>/dev/null; rm -rf "$tmp"' EXIT
fail() { echo "FAIL: $*"; exit 1; }
export TMPDIR=$tmp/frames; mkdir -p "$TMPDIR"

# A short render on a terminal (a pseudo-terminal of util-linux's script): 12 frames at 160x96.
script -qec "'$src/scripts/render-video' '$stage' '$tmp/short.mp4' 160x96 --frames 12" /dev/null \
  < /dev/null >"$tmp/log" 2>&1 || { code=$?; cat "$tmp/log"; fail "short render failed with status $code"; }
tr -d '\r' < "$tmp/log" > "$tmp/lines"  # the terminal's line ends
grep -q $'\r\e\\[K\\[\\*\\] 12 of 12 frames (100 %), [0-9]*\\.[0-9] frames/s, 0:[0-5][0-9] elapsed, 0:00 left' "$tmp/log" \
  || fail "no progress line rewritten in place: $(cat -v "$tmp/log")"
probe() { ffprobe -v error -select_streams "$1" -show_entries "$2" -of csv=p=0 "$tmp/short.mp4"; }
[ "$(probe v:0 stream=width,height)" = "160,96" ] || fail "size $(probe v:0 stream=width,height)"
[ "$(probe v:0 stream=r_frame_rate)" = "40/1" ] || fail "rate $(probe v:0 stream=r_frame_rate)"
frames=$(ffprobe -v error -count_frames -select_streams v:0 -show_entries stream=nb_read_frames \
         -of csv=p=0 "$tmp/short.mp4")
[ "$frames" = "12" ] || fail "frame count $frames"
grep -q "): a clip of 0.3 s (12 frames), rendered in [0-9]* s$" "$tmp/lines" || fail "closing line: $(tail -1 "$tmp/lines")"
[ "$(probe a:0 stream=codec_name)" = "aac" ] || fail "no AAC audio stream"
[ "$(probe v:0 stream=codec_name)" = "h264" ] || fail "video is not H.264"
[ -z "$(ls -A "$TMPDIR")" ] || fail "temporary frames left behind"

# A short render whose demo has ended by the time the script reads its last frame (its pipe was
# cut after those frames): the script is held while the demo renders them and ends.
"$src/scripts/render-video" "$stage" "$tmp/late.mp4" 160x96 --frames 12 2>"$tmp/late.log" &
late=$!
until shown=$(ps --ppid $late -o pid=,args= | awk '/with-xvfb/ { print $1 }') && [ -n "$shown" ]; do
  sleep 0.05; done
kill -STOP $late
until [ "$(ps -p "$shown" -o stat= | cut -c1)" = Z ]; do sleep 0.05; done
kill -CONT $late
wait $late || { cat "$tmp/late.log"; fail "a render whose demo ended first failed"; }
[ -s "$tmp/late.mp4" ] || fail "a render whose demo ended first wrote no video"
# Into a log: plain lines, none rewritten.
grep -q '^\[\*\] 12 of 12 frames (100 %), [0-9]*\.[0-9] frames/s, 0:[0-5][0-9] elapsed, 0:00 left$' "$tmp/late.log" \
  && ! grep -q $'\r' "$tmp/late.log" || fail "no plain progress line in a log: $(cat -v "$tmp/late.log")"

# The first frames are the loading screen: dark with a thin bright ribbon, nothing else.
ffmpeg -v error -i "$tmp/short.mp4" -vf "select=eq(n\,2)" -vframes 1 -f rawvideo -pix_fmt gray \
  "$tmp/f2.gray" || fail "cannot extract a frame"
python3 - "$tmp/f2.gray" <<'PY' || fail "frame 3 does not look like the loading screen"
import sys
px = open(sys.argv[1], "rb").read()
bright = sum(1 for p in px if p > 128)
# the ribbon covers a little of the frame; the rest is black
sys.exit(0 if len(px) == 160 * 96 and bright < len(px) * 0.2 else 1)
PY

# Interrupting as Ctrl-C does (SIGINT to the job's process group) once frames are made (the log's
# second line comes 10 s after the first): the frames so far are kept, with the music.
set -m
"$src/scripts/render-video" "$stage" "$tmp/cut.mp4" 160x96 2>"$tmp/cut.log" &
pid=$!
until grep -q '^\[\*\] [1-9][0-9]* of ' "$tmp/cut.log" || ! kill -0 $pid 2>/dev/null; do sleep 0.1; done
kill -INT -- -$pid; wait $pid; code=$?; set +m
[ "$code" = 130 ] || { cat "$tmp/cut.log"; fail "an interrupted render ended with status $code"; }
said=$(grep -o '^\[!\] interrupted after [0-9]* frames: kept .*' "$tmp/cut.log") \
  || { cat "$tmp/cut.log"; fail "an interrupted render did not say what it kept"; }
kept=$(echo "$said" | sed 's/.* after \([0-9]*\) frames.*/\1/')
[ "$said" = "[!] interrupted after $kept frames: kept $tmp/cut.mp4 (0:$(printf '%02d' $((kept / 40))) of the demo)" ] \
  || fail "interrupted: $said"
got=$(ffprobe -v error -count_frames -select_streams v:0 -show_entries stream=nb_read_frames -of csv=p=0 "$tmp/cut.mp4")
[ "$got" = "$kept" ] || fail "an interrupted render said $kept frames and kept $got"
[ "$(ffprobe -v error -select_streams a:0 -show_entries stream=codec_name -of csv=p=0 "$tmp/cut.mp4")" = aac ] \
  || fail "an interrupted render kept no music"
ls -A "$tmp" | grep -q partial && fail "interrupted render left a partial file"
[ -z "$(ls -A "$TMPDIR")" ] || fail "interrupted render left its frames"
for p in /proc/[0-9]*; do  # the demo works in the temporary folder, the encoder writes beside cut.mp4
  case "$(readlink "$p/cwd" 2>/dev/null) $(tr '\0' ' ' < "$p/cmdline" 2>/dev/null)" in
    *"$tmp"/*) fail "an interrupted render left $(tr '\0' ' ' < "$p/cmdline")" ;;
  esac
done
# A full disk (a 256 KB tmpfs, needs root): a video that does not fit is reported and nothing
# is left; a capture whose frames do not fit stops with the demo's message and status 255.
mkdir "$tmp/full"
if mount -t tmpfs -o size=256k tmpfs "$tmp/full" 2>/dev/null; then
  "$src/scripts/render-video" "$stage" "$tmp/full/full.mp4" 160x96 --frames 400 \
    2>"$tmp/full.log" && fail "a render onto a full disk succeeded"
  grep -q "no video written" "$tmp/full.log" || { cat "$tmp/full.log"; fail "the script did not report it"; }
  [ -z "$(ls -A "$tmp/full")" ] || fail "a render onto a full disk left files: $(ls -A "$tmp/full")"
  mkdir "$tmp/cap"
  for entry in demo data tools data.vfile; do ln -s "$stage/$entry" "$tmp/cap/$entry"; done
  ln -s "$tmp/full" "$tmp/cap/capture"
  (cd "$tmp/cap" && timeout 300 "$src/scripts/with-xvfb" --screen 320x200x24 ./demo -nf -w 160 -h 96 -c 0 -m \
     >"$tmp/cap.log" 2>&1); code=$?
  [ "$code" = 255 ] || { tail -5 "$tmp/cap.log"; fail "capture on a full disk ended with $code"; }
  grep -q "Capture stopped at frame [0-9]*: capture/[0-9]*.png: No space left on device" "$tmp/cap.log" \
    || { tail -5 "$tmp/cap.log"; fail "the demo did not say capture stopped on a full disk"; }
  umount "$tmp/full"
else
  echo "SKIP full disk: mounting a tmpfs needs root"
fi
echo "PASS"
