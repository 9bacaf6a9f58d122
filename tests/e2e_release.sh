#!/usr/bin/env bash
# End to end: the release archive of this tree, unpacked into an empty folder, holds one folder
# with everything the demo reads and lib/ with what it links beyond the system's libraries; the
# demo started through the launcher from another working folder plays the last scene to its end with
# status 0 and writes nothing outside the unpacked folder and this test's temporary folder
# (every file system call of the run is traced); then every command its README.txt gives runs
# as written in the unpacked folder (scripts/release-commands: the starts, the headless ones,
# short clips of the video commands, a short capture and its video with the music, the message
# without a display).
#   tests/e2e_release.sh SOURCE_DIR BUILD_DIR
set -uo pipefail
src=$1 build=$2
tmp=$(mktemp -d); trap 'rm -rf "$tmp"' EXIT
fail() { echo "FAIL: $*"; exit 1; }
mkdir "$tmp/pack" "$tmp/unpacked" "$tmp/elsewhere" "$tmp/home" "$tmp/tmp"

pack_start=$SECONDS
"$src/scripts/release" --fast --out "$tmp/pack" --tree "$build" >"$tmp/release.log" 2>&1 \
  || { cat "$tmp/release.log"; fail "scripts/release failed"; }
pack_seconds=$((SECONDS - pack_start))
archives=("$tmp/pack"/velmor-*-linux-*.tar.xz)
[ ${#archives[@]} = 1 ] && [ -f "${archives[0]}" ] || fail "no single archive: $(ls "$tmp/pack")"
tar -xJf "${archives[0]}" -C "$tmp/unpacked" || fail "the archive does not unpack"
folders=("$tmp/unpacked"/*)
[ ${#folders[@]} = 1 ] && [ "$(basename "${folders[0]}").tar.xz" = \
  "$(basename "${archives[0]}" | sed 's/-linux-[a-z0-9_]*\.tar\.xz$//').tar.xz" ] \
  || fail "the archive does not hold exactly its folder velmor-VERSION/: $(ls "$tmp/unpacked")"
dir=${folders[0]}
for f in velmor demo bin/render-video bin/with-xvfb README.txt data.vfile data/tune.mp3 data/shader/post.frag \
         data/camera/scene6-camera0.vtrack tools/crounded.ttf licences/LIBRARIES.txt; do
  [ -s "$dir/$f" ] || fail "$f missing from the archive"
done
[ -d "$dir/capture" ] && [ -z "$(ls -A "$dir/capture")" ] || fail "no empty capture/"
# Read whole before it is searched: a search that stops at its match cuts ldd off mid-output,
# and under pipefail its broken pipe would fail the check.
ldd "$dir/demo" > "$tmp/ldd.txt" || fail "ldd cannot read the shipped demo"
grep 'not found' "$tmp/ldd.txt" && fail "the shipped demo misses libraries"
grep -q "=> $dir/lib/libgd.so" "$tmp/ldd.txt" || fail "the shipped demo does not take libgd from lib/"

# The run: as a viewer starts it, from another folder. The GL driver's shader cache goes to
# this test's folder instead of the user's home (Mesa takes the home from the password file).
# The demo's end is the event waited for; the timeout only bounds a hang (the silent clock runs
# 25 ms a tick, so on a busy machine the last scene takes two to four times as long). The last
# scene and its length come from the shipped demo's own timeline.
"$dir/velmor" --timeline > "$tmp/timeline.txt" || fail "the shipped demo tells no timeline"
read -r _ last _ _ last_ms < <(grep '^scene ' "$tmp/timeline.txt" | tail -n 1)
[ -n "${last_ms:-}" ] || fail "no scene in the shipped demo's timeline"
cd "$tmp/elsewhere"
start=$SECONDS
env -u MESA_SHADER_CACHE_DIR HOME="$tmp/home" XDG_CACHE_HOME="$tmp/home/.cache" TMPDIR="$tmp/tmp" \
  timeout 600 "$src/scripts/with-xvfb" --screen 320x200x24 \
  strace -f -qq -y --seccomp-bpf -e trace=%file -o "$tmp/trace" \
  "$dir/velmor" -nf -m -w 160 -h 90 -s "$last" >"$tmp/play.log" 2>&1
code=$? seconds=$((SECONDS - start))
[ "$code" = 0 ] || { tail -20 "$tmp/play.log"; fail "the demo ended with status $code"; }
# The packed data file's failures end with status 0 too: the scene must have played its time.
grep -q "Error reading datafile\|^\[!\]" "$tmp/play.log" && { tail -20 "$tmp/play.log"; fail "a fatal message"; }
grep -q "^sceneTime\[$last\]" "$tmp/play.log" || { tail -20 "$tmp/play.log"; fail "playback never started"; }
[ "$seconds" -ge $((last_ms * 9 / 10000)) ] || fail "scene $last ($last_ms ms) ended after $seconds s"
[ -z "$(ls -A "$tmp/elsewhere")" ] || fail "files written in the working folder: $(ls -A "$tmp/elsewhere")"

# Every successful call that creates, changes or removes a file, by its absolute path; the
# paths of *at calls are decorated with their folder (-y), other relative paths follow chdir.
python3 - "$tmp/trace" "$tmp/elsewhere" "$dir" "$tmp" <<'PY' || fail "files written outside the unpacked folder"
import os, re, sys
trace, cwd, allowed = sys.argv[1], sys.argv[2], (sys.argv[3] + "/", sys.argv[4] + "/", "/dev/")
call = re.compile(r'^\d+ +(\w+)\((.*)\) += (-?\d+)')
arg = re.compile(r'(AT_FDCWD|\d+)<([^>]*)>, "((?:[^"\\]|\\.)*)"|"((?:[^"\\]|\\.)*)"')
mutating = {"mkdir", "mkdirat", "rename", "renameat", "renameat2", "unlink", "unlinkat", "rmdir",
            "link", "linkat", "symlink", "symlinkat", "truncate", "chmod", "fchmodat", "chown",
            "lchown", "fchownat", "utime", "utimes", "utimensat", "futimesat", "mknod", "mknodat",
            "creat", "setxattr", "lsetxattr", "removexattr", "lremovexattr"}
bad = set()
for line in open(trace):
    m = call.match(line)
    if not m or int(m.group(3)) < 0:
        continue
    name, args = m.group(1), m.group(2)
    paths = [os.path.join(base, p1) if fd else os.path.join(cwd, p2)
             for fd, base, p1, p2 in arg.findall(args)]
    if name == "chdir" and paths:
        cwd = os.path.normpath(paths[0])
        continue
    writes = name in mutating or (name.startswith("open") and re.search(r'O_WRONLY|O_RDWR|O_CREAT|O_TRUNC', args))
    if name in ("symlink", "symlinkat"):
        paths = paths[1:]  # the link's target is only a string
    for p in paths if writes else []:
        p = os.path.normpath(p)
        if not (p + "/").startswith(allowed):
            bad.add(f"{name} {p}")
for b in sorted(bad):
    print("written outside:", b)
sys.exit(1 if bad else 0)
PY
# The commands of README.txt, as a viewer types them in the unpacked folder.
commands_start=$SECONDS
env -u MESA_SHADER_CACHE_DIR HOME="$tmp/home" XDG_CACHE_HOME="$tmp/home/.cache" TMPDIR="$tmp/tmp" \
  timeout 600 "$src/scripts/release-commands" "$dir" >"$tmp/commands.log" 2>&1 \
  || { cat "$tmp/commands.log"; fail "a command README.txt gives did not do as it says"; }
echo "PASS (packed in $pack_seconds s, $(du -k "${archives[0]}" | cut -f1) KB at xz -0; played $seconds s; README.txt's $(grep -c '^\[\*\]' "$tmp/commands.log") commands in $((SECONDS - commands_start)) s)"
