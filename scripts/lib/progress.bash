# Sourced by the scripts: runs a step that prints nothing for a long time (booting a Wine prefix,
# downloading sources) and says every 10 seconds that it still runs, so a slow step never looks
# like a hung one. The step's output goes to LOG; when it fails, the log's last lines are shown.
#
# Usage: with_progress NAME LOG WHAT COMMAND...   (NAME prefixes the lines, WHAT says what runs)
with_progress() {
    local name=$1 log=$2 what=$3
    shift 3
    "$@" </dev/null >"$log" 2>&1 &
    local pid=$! started=$SECONDS next=10 status=0
    while kill -0 "$pid" 2>/dev/null; do
        if ((SECONDS - started >= next)); then
            printf '%s: still %s (%d s)\n' "$name" "$what" "$((SECONDS - started))"
            next=$((next + 10))
        fi
        sleep 0.2
    done
    wait "$pid" || status=$?
    if ((status != 0)); then
        tail -n 30 "$log" >&2
    fi
    return "$status"
}
