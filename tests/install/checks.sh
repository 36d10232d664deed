# Shared by the install and package tests (sourced, POSIX sh): `check` runs a
# command and counts a failure instead of stopping, so one run reports every
# broken promise of an install at once.
failures=0

check() {  # check DESCRIPTION COMMAND...
    what=$1
    shift
    if ! "$@"; then
        echo "FAIL: $what"
        failures=$((failures + 1))
    fi
}
