# The PASS or FAIL line of one end-to-end check, the counts behind a script's last line, and
# waiting with a deadline. Sourced by the check scripts, after they set $work (a scratch folder).
# A script that has something to stop after every check (a saver still running, a layout to put
# back) defines after_check.
passed=0
failed=0

check() { # check NAME COMMAND...: PASS when the command succeeds, FAIL with what it said when not
    local name=$1
    shift
    if "$@" >"$work/check.log" 2>&1; then
        echo "PASS $name"
        passed=$((passed + 1))
    else
        echo "FAIL $name"
        sed 's/^/    /' "$work/check.log"
        failed=$((failed + 1))
    fi
    if declare -F after_check >/dev/null; then after_check; fi
}

# within SECONDS COMMAND...: runs the command every 0.2 s until it succeeds or the time is up
# (generous: CI machines are busy); on failure shows what its last try said.
within() {
    local deadline=$((SECONDS + $1))
    shift
    until "$@" >"$work/within.log" 2>&1; do
        if [ "$SECONDS" -ge "$deadline" ]; then
            cat "$work/within.log"
            return 1
        fi
        sleep 0.2
    done
}
