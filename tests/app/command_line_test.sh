#!/usr/bin/env bash
# The real program's command line: --help and --version answer with status 0
# where no display can be opened (the X platform forced, no DISPLAY), Qt's own
# options pass through to Qt, and anything else is refused with status 2.
# Usage: command_line_test.sh PROGRAM VERSION
set -u
program=$1
version=$2
failures=0

fail() {
    echo "FAIL: $*"
    failures=$((failures + 1))
}

# run ENVIRONMENT... -- ARGUMENTS...: sets status, out and err.
run() {
    local environment=()
    while [ "$1" != "--" ]; do
        environment+=("$1")
        shift
    done
    shift
    local errFile
    errFile=$(mktemp)
    out=$(env "${environment[@]}" "$program" "$@" 2>"$errFile")
    status=$?
    err=$(cat "$errFile")
    rm -f "$errFile"
}

headless=(-u DISPLAY -u WAYLAND_DISPLAY QT_QPA_PLATFORM=xcb)

for option in --help -h; do
    run "${headless[@]}" -- "$option"
    [ "$status" -eq 0 ] || fail "$option without a display: status $status, stderr: $err"
    for text in "Usage: kamseldemo [options]" "--version" "KAMSEL_VIRTUAL_CAMERAS" "NAME=SOURCE" "pattern@RATE" \
        "QT_LOGGING_RULES" "kamsel.capture" "kamsel.snapshot"; do
        [[ "$out" == *"$text"* ]] || fail "$option does not mention '$text'"
    done
done

for arguments in "--version" "-v" "-platform offscreen --version"; do
    # shellcheck disable=SC2086 # the arguments are split on purpose
    run "${headless[@]}" -- $arguments
    [ "$status" -eq 0 ] || fail "$arguments without a display: status $status, stderr: $err"
    [ "$out" = "kamseldemo $version" ] || fail "$arguments printed '$out'"
done

# Refusals come once Qt has taken its options, so these need a platform;
# -reverse is Qt's and is no bundle of letters holding -v.
for case in "--no-such-option|Unknown option 'no-such-option'" "stray|Unexpected argument 'stray'" \
    "-reverse --bogus|Unknown option 'bogus'"; do
    arguments=${case%%|*}
    message=${case#*|}
    # shellcheck disable=SC2086
    run QT_QPA_PLATFORM=offscreen -- $arguments
    [ "$status" -eq 2 ] || fail "$arguments: status $status, expected 2"
    [[ "$err" == *"$message"* && "$err" == *"kamseldemo --help"* ]] || fail "$arguments: stderr '$err'"
    [ -z "$out" ] || fail "$arguments wrote to standard output: '$out'"
done

[ "$failures" -eq 0 ] && echo "command line: all checks passed"
exit $((failures > 0))
