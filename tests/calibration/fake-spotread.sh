#!/bin/sh
# Stands in for the colorimeter program in tests: prints what the real program prints in the
# situation named by FAKE_SPOTREAD_MODE, and writes its arguments to FAKE_SPOTREAD_ARGS.

[ -n "$FAKE_SPOTREAD_ARGS" ] && printf '%s\n' "$@" > "$FAKE_SPOTREAD_ARGS"

banner() {
    printf 'Measure spot values\r\n'
    printf 'Instrument type: colorimeter\n'
}

case "$FAKE_SPOTREAD_MODE" in
reading)
    banner
    printf '\nResult is XYZ: 95.060479 100.000000 108.870624, Yxy: 100.000000 0.312727 0.329023\n'
    ;;
prompt)
    # Waits for a key before it reads, as without one-shot mode.
    banner
    printf 'Place instrument on spot to be measured,\n'
    printf "'h' to toggle high res., 'k' to do a calibration\n"
    printf 'Hit ESC or Q to exit, any other key to take a reading: '
    read -r key
    printf '\n Result is XYZ: 1.5 2.5 3.5, D50 Lab: 17.6 -4.1 2.8\r\n'
    ;;
unfinished)
    # The last line has no line end.
    printf 'Result is XYZ: 10 20 30, Yxy: 20 0.1667 0.3333'
    ;;
calibrate)
    banner
    printf 'Set instrument sensor to calibration position, (and then hit any key to continue, '
    printf 'or hit Esc or Q to abort): '
    exec sleep 600
    ;;
no-instrument)
    printf 'No instruments found\n'
    exit 1
    ;;
error)
    banner
    printf 'Error - Instrument read failed with some fault\n'
    exit 1
    ;;
silent)
    banner
    ;;
bad-result)
    printf 'Result is XYZ: nan nan nan, Yxy: nan nan nan\n'
    ;;
hang)
    banner
    exec sleep 600
    ;;
crash)
    banner
    kill -SEGV $$
    ;;
flood)
    exec yes 'noise 0123456789 abcdefghij'
    ;;
*)
    printf 'unknown mode\n'
    exit 2
    ;;
esac
