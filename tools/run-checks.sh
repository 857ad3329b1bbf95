# Sourced by tools/run, tools/start-game, tools/test and tools/fuzz (after `cd` to the repository
# root, which a relative folder is taken from): what they refuse before they build or start
# anything, each refusal a line on standard error naming the variable or argument.

# The activities VQT_START may name: the circus, zoo and city towns, their arcades, puzzles, road
# races and round-ups (a test holds this list to the test kit's table of start screens).
VQT_START_ACTIVITIES=(8 14 17 15 16 19 13 10 24 11 9 22 18 23 25)
# The bots of tlvbotview, a name a line (a test holds this file to the program's own list).
VQT_BOT_NAMES_FILE=tests/support/botview/bot-names

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

# vqt_absolute PATH - the path from the repository root when it is relative.
vqt_absolute() {
    if [[ "$1" == /* ]]; then echo "$1"; else echo "$PWD/$1"; fi
}

# vqt_check_folder NAME [make] - a set, non-empty variable NAME must name a folder this user can
# write to, or a place where one can be made (relative: from the repository root). With "make" a
# missing folder is made now, so that what keeps it from being made is said before any build.
vqt_check_folder() {
    local value="${!1:-}"
    [ -n "$value" ] || return 0
    local path
    path="$(vqt_absolute "$value")"
    if [ -e "$path" ] || [ -L "$path" ]; then
        [ -d "$path" ] || { vqt_refuse "$1=\"$value\" is not a folder"; return 1; }
        [ -w "$path" ] && [ -x "$path" ] ||
            { vqt_refuse "$1=\"$value\" is a folder this user cannot write to"; return 1; }
        return 0
    fi
    local above="$path"
    while [ ! -e "$above" ] && [ ! -L "$above" ]; do above="$(dirname "$above")"; done
    if [ ! -d "$above" ]; then
        vqt_refuse "$1=\"$value\" cannot be made: $above is not a folder"
        return 1
    fi
    if [ ! -w "$above" ] || [ ! -x "$above" ]; then
        vqt_refuse "$1=\"$value\" cannot be made: this user cannot write to $above"
        return 1
    fi
    if [ "${2:-}" = make ]; then
        local why
        why="$(mkdir -p -- "$path" 2>&1)" || { vqt_refuse "$1=\"$value\" cannot be made: ${why#mkdir: }"; return 1; }
    fi
}

# The variables of tools/run that can be checked before anything is built.
vqt_check_run_input() {
    vqt_check_limit VQT_EXIT_AFTER_MS milliseconds || return 1
    vqt_check_limit VQT_EXIT_AFTER_FRAMES frames || return 1
    local start="${VQT_START:-}" bot="${VQT_BOT:-}" known
    if [ -n "$start" ]; then
        for known in "${VQT_START_ACTIVITIES[@]}"; do [ "$start" = "$known" ] && break; done
        if [ "$start" != "$known" ]; then
            vqt_refuse "VQT_START=\"$start\" names no activity to start on; it takes one of: ${VQT_START_ACTIVITIES[*]}"
            return 1
        fi
    fi
    if [ -n "$bot" ]; then
        if [[ "$bot" =~ [[:space:]] ]]; then
            vqt_refuse "VQT_BOT=\"$bot\": it takes one bot name"
            return 1
        fi
        if ! grep -qxF -- "$bot" "$VQT_BOT_NAMES_FILE"; then
            printf 'VQT_BOT="%s" names no bot; the bots:\n%s\n' "$bot" "$(sed 's/^/  /' "$VQT_BOT_NAMES_FILE")" >&2
            return 1
        fi
    fi
    vqt_check_folder VQT_RUN_DIR || return 1
}

# The game's single-instance lock is the program's own: `PROGRAM --lock-path` makes its file and
# says where it is. A launcher holds it from its first check until the program has it: the
# program takes over the open file that VQT_LOCK_FD names.

vqt_lock_refusal() {  # lock
    vqt_refuse "The game is already running for this user (its lock $1 is held); end it before starting another."
}

# vqt_check_lock PROGRAM - refuses when a game (or a bot's game) holds the lock for this user; a
# program not built yet is asked nothing (tools/start-game takes the lock after the build).
vqt_check_lock() {
    [ -x "$1" ] || return 0
    local lock
    lock="$("$1" --lock-path)" || return 1
    flock -n "$lock" true 2>/dev/null || { vqt_lock_refusal "$lock"; return 1; }
}

# The fuzz targets: the names that the build's vqt_fuzz() calls give.
vqt_fuzz_targets() {
    grep -rhoE --include=CMakeLists.txt '^[[:space:]]*vqt_fuzz\([A-Za-z0-9_]+' tests | sed 's/.*(//' | sort
}

# vqt_hold_lock PROGRAM - takes the lock on file descriptor 9, which the program inherits
# (VQT_LOCK_FD=9), or refuses.
vqt_hold_lock() {
    local lock
    lock="$("$1" --lock-path)" || return 1
    exec 9<"$lock" || return 1
    flock -n 9 || { vqt_lock_refusal "$lock"; return 1; }
    export VQT_LOCK_FD=9
}
