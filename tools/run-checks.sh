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

# The longest path the system takes, and the longest name in it, in bytes.
VQT_PATH_MAX=4095
VQT_NAME_MAX=255

# vqt_folder_room NAME - the bytes that the files kept in the folder of variable NAME add to its
# path: the run folder's own files, and the deepest file of a build tree.
vqt_folder_room() {
    case "$1" in
    VQT_BUILD_DIR) echo 512 ;;
    *) echo 64 ;;
    esac
}

# vqt_pseudo_file_system PATH - the name of the kernel's file system that PATH lies on when it is
# one that cannot hold a user's files (/proc, /sys and their like); fails otherwise.
vqt_pseudo_file_system() {
    local type
    type="$(stat -f -c %T -- "$1" 2>/dev/null)" || return 1
    case "$type" in
    proc | sysfs | cgroupfs | cgroup2fs | debugfs | tracefs | securityfs | devpts | configfs | bpf_fs | pstorefs | \
        efivarfs | fusectl)
        echo "$type"
        ;;
    *) return 1 ;;
    esac
}

# vqt_check_length NAME PATH - the folder PATH of variable NAME, with the files kept in it, must
# fit the system's limits.
vqt_check_length() {
    local value="${!1}" path="$2" room part shown
    room="$(vqt_folder_room "$1")"
    shown="$1=\"${value:0:40}"
    local LC_ALL=C # lengths in bytes from here on
    if [ ${#value} -le 80 ]; then shown="$1=\"$value\""; else shown+="...\" (${#value} bytes)"; fi
    if [ $((${#path} + room)) -gt $VQT_PATH_MAX ]; then
        vqt_refuse "$shown is too long: with the $room bytes its files add, its path passes the $VQT_PATH_MAX bytes the system takes"
        return 1
    fi
    local rest="$path/"
    while [ -n "$rest" ]; do
        part="${rest%%/*}"
        rest="${rest#*/}"
        if [ ${#part} -gt $VQT_NAME_MAX ]; then
            vqt_refuse "$shown holds a name longer than the $VQT_NAME_MAX bytes the system takes"
            return 1
        fi
    done
}

# vqt_check_folder NAME [make] - a set, non-empty variable NAME must name a folder this user can
# write to, or a place where one can be made (relative: from the repository root), on a file
# system that holds files, with a path the system takes. With "make" a missing folder is made
# now, so that what keeps it from being made is said before any build.
vqt_check_folder() {
    local value="${!1:-}"
    [ -n "$value" ] || return 0
    local path type
    path="$(vqt_absolute "$value")"
    vqt_check_length "$1" "$path" || return 1
    if [ -e "$path" ] || [ -L "$path" ]; then
        [ -d "$path" ] || { vqt_refuse "$1=\"$value\" is not a folder"; return 1; }
        if type="$(vqt_pseudo_file_system "$path")"; then
            vqt_refuse "$1=\"$value\" is on the kernel's $type file system, which cannot hold the game's files"
            return 1
        fi
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
    if type="$(vqt_pseudo_file_system "$above")"; then
        vqt_refuse "$1=\"$value\" cannot be made: $above is on the kernel's $type file system, which cannot hold the game's files"
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
# says where it is. A launcher holds it from before it touches the run folder until the program
# has it: the program takes over the open file that VQT_LOCK_FD names.

vqt_lock_refusal() {  # lock
    vqt_refuse "The game is already running for this user (its lock $1 is held); end it before starting another."
}

# vqt_hold_build_lock TREE - waits until no other run builds the tree, then holds its build lock on
# file descriptor 8 (the programs the build starts share it) until vqt_hold_lock lets it go.
vqt_hold_build_lock() {
    local why
    why="$(mkdir -p -- "$1" 2>&1)" || { vqt_refuse "the build tree $1 cannot be made: ${why#mkdir: }"; return 1; }
    exec 8>>"$1/.build-lock" || { vqt_refuse "the build tree's lock $1/.build-lock cannot be opened"; return 1; }
    if ! flock -n 8; then
        echo "run: another run builds $1; waiting for it"
        flock 8
    fi
}

# The fuzz targets: the names that the build's vqt_fuzz() calls give.
vqt_fuzz_targets() {
    grep -rhoE --include=CMakeLists.txt '^[[:space:]]*vqt_fuzz\([A-Za-z0-9_]+' tests | sed 's/.*(//' | sort
}

# vqt_hold_lock PROGRAM - takes the lock on file descriptor 9, which the program inherits
# (VQT_LOCK_FD=9), or refuses; a build lock that tools/run holds is let go once it is taken or
# refused.
vqt_hold_lock() {
    local lock status=0
    lock="$("$1" --lock-path)" || status=1
    if [ $status -eq 0 ]; then
        exec 9<"$lock" || status=1
    fi
    if [ $status -eq 0 ] && ! flock -n 9; then
        vqt_lock_refusal "$lock"
        status=1
    fi
    exec 8>&-
    [ $status -eq 0 ] || return 1
    export VQT_LOCK_FD=9
}
