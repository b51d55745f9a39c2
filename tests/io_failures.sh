#!/usr/bin/env bash
# Plays the game where it cannot reach the player. Each run must end at once
# with status 1 and one line on standard error naming what failed.
#
#   io_failures.sh GAME TRANSCRIPT_DIR
set -u
game=$1
transcripts=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failed=0

# expect CASE STATUS MESSAGE: checks the status and standard error of the run
# just made against status 1 and "moon-survival: MESSAGE".
expect() {
    if [ "$2" != 1 ]; then
        echo "$1: exited with $2, expected 1"
        failed=1
    fi
    if ! printf 'moon-survival: %s\n' "$3" | cmp -s - "$work/errors"; then
        printf '%s: standard error was:\n%s\nexpected:\nmoon-survival: %s\n' "$1" "$(cat "$work/errors")" "$3"
        failed=1
    fi
}

yes 1 | timeout 10 "$game" >/dev/full 2>"$work/errors"
expect "endless input, output on a full disk" $? \
    "cannot write to standard output: No space left on device"

timeout 10 "$game" <"$transcripts/menu_choices.in" >&- 2>"$work/errors"
expect "output closed" $? "cannot write to standard output: Bad file descriptor"

# A read error ends the game as the end of input does, then is reported.
timeout 10 "$game" </ >"$work/output" 2>"$work/errors"
expect "input a directory" $? "cannot read standard input: Is a directory"
cmp "$work/output" "$transcripts/empty_input.expected" || failed=1

exit $failed
