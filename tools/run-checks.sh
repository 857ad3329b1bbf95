# Sourced by tools/run, tools/start-game, tools/test and tools/fuzz: what they refuse before they
# build or start anything, each refusal a line on standard error naming the variable or argument.

# The activities VQT_START may name: the circus, zoo and city towns, their arcades, puzzles, road
# races and round-ups.
VQT_START_ACTIVITIES=(8 14 17 15 16 19 13 10 24 11 9 22 18 23 25)

vqt_refuse() {  # line
    echo "$1" >&2
    return 1
}

# vqt_whole_number VALUE [MAX] - whether VALUE is a whole number from 1 to MAX (default 2^32 - 1).
vqt_whole_number() {
    local max="${2:-4294967295}"
    [[ "$1" =~ ^0*([0-9]+)$ ]] || return 1
    local value="${BASH_REMATCH[1]}"
    [ ${#value} -le ${#max} ] && [ "$value" -ge 1 ] && [ "$value" -le "$max" ]
}

# vqt_check_limit NAME WHAT - a set, non-empty variable NAME must be a whole number of WHAT from 1
# to 4294967295.
vqt_check_limit() {
    local value="${!1:-}"
    [ -z "$value" ] || vqt_whole_number "$value" ||
        vqt_refuse "$1=\"$value\" is not a number of $2: it must be a whole number from 1 to 4294967295"
}

# The variables of tools/run that can be checked before anything is built.
vqt_check_run_input() {
    vqt_check_limit VQT_EXIT_AFTER_MS milliseconds || return 1
    vqt_check_limit VQT_EXIT_AFTER_FRAMES frames || return 1
    local start="${VQT_START:-}" bot="${VQT_BOT:-}"
    if [ -n "$start" ] && [[ ! " ${VQT_START_ACTIVITIES[*]} " == *" $start "* ]]; then
        vqt_refuse "VQT_START=\"$start\" names no activity to start on; it takes one of: ${VQT_START_ACTIVITIES[*]}"
        return 1
    fi
    if [[ "$bot" =~ [[:space:]] ]]; then
        vqt_refuse "VQT_BOT=\"$bot\": it takes one bot name"
        return 1
    fi
}

# The folder of the game's single-instance lock, as the game chooses it: XDG_RUNTIME_DIR when it
# is the user's own folder, closed to others, else a folder vqt-<uid> in the temporary folder.
vqt_lock_folder() {
    local runtime="${XDG_RUNTIME_DIR:-}"
    if [[ "$runtime" == /* ]] && [ ! -L "$runtime" ] && [ -d "$runtime" ] && [ -O "$runtime" ] &&
        (( (8#$(stat -c %a "$runtime") & 8#077) == 0 )); then
        echo "$runtime"
    else
        local temp="${TMPDIR:-}"
        [[ "$temp" == /* ]] || temp=/tmp
        echo "$temp/vqt-$(id -u)"
    fi
}

# Refuses when a game (or a bot's game) holds its lock for this user.
vqt_check_lock() {
    local lock
    lock="$(vqt_lock_folder)/Tollivar Fennmark Rovadu.lock"
    if [ -e "$lock" ] && ! flock -n "$lock" true 2>/dev/null; then
        vqt_refuse "The game is already running for this user (its lock $lock is held); end it before starting another."
        return 1
    fi
}
