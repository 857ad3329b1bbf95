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
# The bytes the run folder's own files add to its path.
VQT_RUN_FILES_ROOM=64
# CMake's own tools (`cmake -P`, ctest) cannot work in a folder whose path has 2048 bytes or more,
# and a build runs them in each folder of its tree. The trees the scripts build under
# VQT_BUILD_DIR, and the deepest folder in which a tree's build or tests run them (a test holds
# both to the scripts and to the build).
VQT_CMAKE_FOLDER_MAX=2047
VQT_BUILD_TREES=(game botview normal sanitize tsan)
VQT_TREE_DEEPEST_FOLDER=tests/game/minigames/roundup

# vqt_build_dir_max - the longest VQT_BUILD_DIR path whose every tree CMake can work in.
vqt_build_dir_max() {
    local tree longest=0
    for tree in "${VQT_BUILD_TREES[@]}"; do [ ${#tree} -le $longest ] || longest=${#tree}; done
    echo $((VQT_CMAKE_FOLDER_MAX - 1 - longest - 1 - ${#VQT_TREE_DEEPEST_FOLDER}))
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

# vqt_shown NAME - the variable NAME with its value, for a line that refuses it: a line break shows
# as "\n" or "\r", and a value too long to read on one line shows its start, "..." and its length
# in bytes.
vqt_shown() {
    local value="${!1-}"
    value="${value//$'\n'/\\n}"
    value="${value//$'\r'/\\r}"
    local LC_ALL=C # lengths in bytes
    if [ ${#value} -le 80 ]; then echo "$1=\"$value\""; else echo "$1=\"${value:0:40}...\" (${#value} bytes)"; fi
}

# What the build cannot take in the builds' folder: CMake's list separator, quote and escape, and
# what it or Ninja takes for a comment, a pipe or a redirection in a build's commands; and
# brackets that do not pair, in which CMake's lists would not part (a test finds each with a real
# CMake run).
VQT_BUILD_DIR_SPECIALS=';"\#|<>'

# vqt_check_characters NAME - the characters that variable NAME cannot hold: a line break in any
# of the paths a run hands on, and in the builds' folder VQT_BUILD_DIR_SPECIALS and brackets that
# do not pair.
vqt_check_characters() {
    local value="${!1:-}" shown
    shown="$(vqt_shown "$1")"
    if [[ "$value" == *$'\n'* || "$value" == *$'\r'* ]]; then
        vqt_refuse "$shown holds a line break, which the game's settings and the build cannot take"
        return 1
    fi
    local special
    if [ "$1" = VQT_BUILD_DIR ]; then
        for ((at = 0; at < ${#VQT_BUILD_DIR_SPECIALS}; ++at)); do
            special="${VQT_BUILD_DIR_SPECIALS:at:1}"
            if [[ "$value" == *"$special"* ]]; then
                vqt_refuse "$shown holds '$special', which the build cannot take in a build tree's path"
                return 1
            fi
        done
        local opening="${value//[!\[]/}" closing="${value//[!\]]/}"
        if [ ${#opening} -ne ${#closing} ]; then
            vqt_refuse "$shown holds brackets '[' and ']' that do not pair, which the build cannot take in a build tree's path"
            return 1
        fi
    fi
}

# vqt_check_length NAME PATH - the folder PATH of variable NAME, with the files kept in it, must
# fit the system's limits, and a builds' folder CMake's.
vqt_check_length() {
    local path="$2" part shown max
    shown="$(vqt_shown "$1")"
    local LC_ALL=C # lengths in bytes from here on
    if [ "$1" = VQT_BUILD_DIR ]; then
        max="$(vqt_build_dir_max)"
        if [ ${#path} -gt "$max" ]; then
            vqt_refuse "$shown is too long: its path takes at most $max bytes, since CMake cannot work in a folder of more than $VQT_CMAKE_FOLDER_MAX bytes and the build trees' deepest folder adds $((VQT_CMAKE_FOLDER_MAX - max))"
            return 1
        fi
    elif [ $((${#path} + VQT_RUN_FILES_ROOM)) -gt $VQT_PATH_MAX ]; then
        vqt_refuse "$shown is too long: with the $VQT_RUN_FILES_ROOM bytes its files add, its path passes the $VQT_PATH_MAX bytes the system takes"
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
    vqt_check_characters "$1" || return 1
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
    vqt_check_characters PARTFILE || return 1
    vqt_check_folder VQT_RUN_DIR || return 1
}

# The game's single-instance lock is the program's own: `PROGRAM --lock-path` makes its file and
# says where it is. A launcher holds it from before it touches the run folder until the program
# has it: the program takes over the open file that VQT_LOCK_FD names.

vqt_lock_refusal() {  # lock
    vqt_refuse "The game is already running for this user (its lock $1 is held); end it before starting another."
}

# vqt_build_tree_fault TREE LOCK - why the build tree TREE under VQT_BUILD_DIR cannot be made or
# its lock LOCK opened by this user; nothing when both can.
vqt_build_tree_fault() {
    local tree="$1" lock="$2" why
    if [ -e "$tree" ] && [ ! -d "$tree" ]; then echo "its build tree $tree is not a folder"; return; fi
    if ! why="$(mkdir -p -- "$tree" 2>&1)"; then echo "its build tree $tree cannot be made: ${why#mkdir: }"; return; fi
    if [ ! -w "$tree" ] || [ ! -x "$tree" ]; then echo "this user cannot write to its build tree $tree"; return; fi
    if [ -e "$lock" ] && [ ! -f "$lock" ]; then echo "its build tree's lock $lock is not a file"; return; fi
    if [ -e "$lock" ] && [ ! -w "$lock" ]; then echo "this user cannot open its build tree's lock $lock"; fi
}

# vqt_hold_build_lock TREE - waits until no other run builds the tree, then holds its build lock on
# file descriptor 8 until the programs the run needs have started: the game lets it go once it
# runs (VQT_BUILD_LOCK_FD). The script alone holds it: each program it starts before then is
# started without it (`8>&-`), so that none that outlives the build keeps it.
vqt_hold_build_lock() {
    local lock="$1/.build-lock" fault shown="VQT_BUILD_DIR=\"${VQT_BUILD_DIR:-}\""
    [ -n "${VQT_BUILD_DIR:-}" ] || shown="VQT_BUILD_DIR (unset: build)"
    fault="$(vqt_build_tree_fault "$1" "$lock")"
    if [ -z "$fault" ] && ! { exec 8>>"$lock"; } 2>/dev/null; then fault="its build tree's lock $lock cannot be opened"; fi
    if [ -n "$fault" ]; then
        vqt_refuse "$shown: $fault"
        return 1
    fi
    if ! flock -n 8; then
        echo "run: another run builds $1; waiting for it"
        flock 8
    fi
    export VQT_BUILD_LOCK_FD=8
}

# The fuzz targets: the names that the build's vqt_fuzz() calls give.
vqt_fuzz_targets() {
    grep -rhoE --include=CMakeLists.txt '^[[:space:]]*vqt_fuzz\([A-Za-z0-9_]+' tests | sed 's/.*(//' | sort
}

# vqt_hold_lock PROGRAM - takes the lock on file descriptor 9, which the program inherits
# (VQT_LOCK_FD=9), or refuses.
vqt_hold_lock() {
    local lock status=0
    lock="$("$1" --lock-path 8>&-)" || status=1
    if [ $status -eq 0 ]; then
        exec 9<"$lock" || status=1
    fi
    if [ $status -eq 0 ] && ! flock -n 9; then
        vqt_lock_refusal "$lock"
        status=1
    fi
    [ $status -eq 0 ] || return 1
    export VQT_LOCK_FD=9
}

# vqt_hold_run_folder_lock RUN - holds the run folder's own lock on file descriptor 7 for the
# game's life (the program inherits it), or refuses when another game plays in that folder. The
# game's lock lies in a folder that each start's environment chooses; this one lies in the run
# folder, which two games must never share.
vqt_hold_run_folder_lock() {
    local lock="$1/.run-lock"
    if [ -e "$lock" ] && [ ! -f "$lock" ]; then
        vqt_refuse "${VQT_RUN_DIR:+VQT_RUN_DIR=\"$VQT_RUN_DIR\": }the run folder's lock $lock is not a file"
        return 2
    fi
    # Made when missing, then opened to read: a game of another user in a shared folder is seen.
    if { [ ! -e "$lock" ] && ! { : >>"$lock"; } 2>/dev/null; } || ! { exec 7<"$lock"; } 2>/dev/null; then
        vqt_refuse "${VQT_RUN_DIR:+VQT_RUN_DIR=\"$VQT_RUN_DIR\": }the run folder's lock $lock cannot be made or opened by this user"
        return 2
    fi
    if ! flock -n 7; then
        vqt_refuse "A game already plays in the run folder $1 (its lock $lock is held); end it before starting another there."
        return 1
    fi
}
