# Shared steps of the runs of linux-gpib's programs: a check of what a run gave, a run's output and
# error lines joined with its exit status, and the tally at the end.
passed=0
failed=0

check() {
    if [ "$2" == "$3" ]; then
        passed=$((passed + 1))
    else
        failed=$((failed + 1))
        printf 'FAIL: %s\n--- expected\n%s\n--- got\n%s\n' "$1" "$2" "$3"
    fi
}

# A program's output and error lines joined by "|", then its exit status.
outcome() {
    local out status
    out=$("$@" 2>&1)
    status=$?
    echo "$(echo "$out" | tr '\n' '|')exit $status"
}

checks_passed() {
    echo "$passed passed, $failed failed"
    [ "$failed" -eq 0 ]
}
