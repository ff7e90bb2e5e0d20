# The PASS or FAIL line of one end-to-end check (or of a step that prints its own, with pass and
# fail), the counts behind a script's last line, and waiting with a deadline. Sourced by the check scripts, after they set $work (a scratch folder).
# A script that has something to stop after every check (a saver still running, a layout to put
# back) defines after_check.
passed=0
failed=0

pass() { echo "PASS $*"; passed=$((passed + 1)); }
fail() { echo "FAIL $*"; failed=$((failed + 1)); }

check() { # check NAME COMMAND...: PASS when the command succeeds, FAIL with what it said when not
    local name=$1
    shift
    if "$@" >"$work/check.log" 2>&1; then
        pass "$name"
    else
        fail "$name"
        sed 's/^/    /' "$work/check.log"
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
