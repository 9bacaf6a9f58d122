#!/bin/sh
# Runs one test program and fails it unless it ran to its end: GoogleTest makes the file named
# by TEST_PREMATURE_EXIT_FILE when its cases begin and removes it when they have all run, so a
# program that leaves in the middle (an exit(0) deep in the code under test included) leaves
# the file behind, whatever its exit status says.
#   tests/run_to_end.sh PROGRAM [ARGS...]
marker=$(mktemp -u "${TMPDIR:-/tmp}/vlm-test-running.XXXXXX")
export TEST_PREMATURE_EXIT_FILE="$marker"
"$@"
status=$?
if [ -e "$marker" ]; then
  rm -f "$marker"
  for program; do :; done  # the last word: the test program (after any wrapper)
  echo "FAIL: $program ended (status $status) before its last case"
  exit 1
fi
exit $status
