# Sourced by tools/run, tools/start-game, tools/test and tools/fuzz (after `cd` to the repository
# root, which a relative folder is taken from): what they refuse before they build or start
# anything, each refusal a line on standard error naming the variable or argument.

# The activities VQT_START may name: the circus, zoo and city towns, their arcades, puzzles, road
# races and round-ups (a test holds this list to the test kit's table of start screens).
VQT_START_ACTIVITIES=(8 14 17 15 16 19 13 10 24 11 9 22 18 23 25)
# The bots of tlvbotview, a name a line (a test holds this file to the program's own list).
VQT_BOT_NAMES_FILE=tests/support/botview/bot-names

# vqt_refuse LINE - says why on standard error, and fails. While a folder's default is checked
# (vqt_default_of names its variable), the line ends saying how to move it.
vqt_refuse() {
    echo "$1${vqt_default_of:+; set $vqt_default_of to a folder elsewhere to move it}" >&2
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

# vqt_check_root - the repository root, where the scripts run CMake, must be a folder CMake can
# work in (a builds' folder elsewhere would not help).
vqt_check_root() {
    local LC_ALL=C # lengths in bytes
    [ ${#PWD} -gt $VQT_CMAKE_FOLDER_MAX ] || return 0
    vqt_refuse "The repository's folder \"${PWD:0:40}...\" (${#PWD} bytes) is too long: CMake cannot work in a folder of more than $VQT_CMAKE_FOLDER_MAX bytes; move the clone to a shorter path"
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

# vqt_shown NAME - the variable NAME with its value (while its default is checked: that it is
# unset, and the default), for a line that refuses it: a line break shows as "\n" or "\r", and a
# value too long to read on one line shows its start, "..." and its length in bytes.
vqt_shown() {
    local value="${!1-}" name="$1="
    [ "${vqt_default_of:-}" != "$1" ] || name="$1 is unset and its default "
    value="${value//$'\n'/\\n}"
    value="${value//$'\r'/\\r}"
    local LC_ALL=C # lengths in bytes
    if [ ${#value} -le 80 ]; then echo "$name\"$value\""; else echo "$name\"${value:0:40}...\" (${#value} bytes)"; fi
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

# vqt_real_path PATH - the path the system and CMake use for PATH: its links resolved as far as
# they exist, the rest as written (PATH itself when that cannot be told).
vqt_real_path() {
    realpath -m -- "$1" 2>/dev/null || echo "$1"
}

# vqt_check_length NAME PATH - the folder PATH of variable NAME, with the files kept in it, must
# fit the system's limits, and a builds' folder CMake's: measured on its real path, which a short
# link may lengthen.
vqt_check_length() {
    local path part shown max
    path="$(vqt_real_path "$2")"
    shown="$(vqt_shown "$1")"
    local LC_ALL=C # lengths in bytes from here on
    [ "$path" = "$2" ] || shown+=", whose real path is \"${path:0:40}...\" (${#path} bytes),"
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

# vqt_check_folder NAME DEFAULT [make] - the folder that variable NAME names, or when it is unset
# or empty the folder DEFAULT (none: nothing to check), must be a folder this user can write to,
# or a place where one can be made (relative: from the repository root), on a file system that
# holds files, with a path the system takes. With "make" a missing folder is made now, so that
# what keeps it from being made is said before any build.
vqt_check_folder() {
    local value="${!1:-}"
    if [ -z "$value" ]; then
        [ -n "$2" ] || return 0
        # Checked as the variable would be, each refusal saying that the variable moves it.
        local vqt_default_of="$1" "$1=$2"
        value="$2"
    fi
    local path type shown
    vqt_check_characters "$1" || return 1
    path="$(vqt_absolute "$value")"
    vqt_check_length "$1" "$path" || return 1
    shown="$(vqt_shown "$1")"
    if [ -e "$path" ] || [ -L "$path" ]; then
        [ -d "$path" ] || { vqt_refuse "$shown is not a folder"; return 1; }
        if type="$(vqt_pseudo_file_system "$path")"; then
            vqt_refuse "$shown is on the kernel's $type file system, which cannot hold the game's files"
            return 1
        fi
        [ -w "$path" ] && [ -x "$path" ] ||
            { vqt_refuse "$shown is a folder this user cannot write to"; return 1; }
        return 0
    fi
    local above="$path"
    while [ ! -e "$above" ] && [ ! -L "$above" ]; do above="$(dirname "$above")"; done
    if [ ! -d "$above" ]; then
        vqt_refuse "$shown cannot be made: $above is not a folder"
        return 1
    fi
    if type="$(vqt_pseudo_file_system "$above")"; then
        vqt_refuse "$shown cannot be made: $above is on the kernel's $type file system, which cannot hold the game's files"
        return 1
    fi
    if [ ! -w "$above" ] || [ ! -x "$above" ]; then
        vqt_refuse "$shown cannot be made: this user cannot write to $above"
        return 1
    fi
    if [ "${3:-}" = make ]; then
        local why
        why="$(mkdir -p -- "$path" 2>&1)" || { vqt_refuse "$shown cannot be made: ${why#mkdir: }"; return 1; }
    fi
}

# vqt_check_run_input RUN - the variables of tools/run that can be checked before anything is
# built; RUN is the run folder's default.
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
        # A bot's run lasts until it reached its game and drove there (or its window is closed).
        if [ -n "${VQT_EXIT_AFTER_MS:-}" ]; then
            vqt_refuse "VQT_EXIT_AFTER_MS=\"$VQT_EXIT_AFTER_MS\" cannot go with VQT_BOT=\"$bot\": VQT_EXIT_AFTER_MS is a headless run's length, and a bot plays until it reached its game and drove there"
            return 1
        fi
    fi
    vqt_check_characters PARTFILE || return 1
    vqt_check_folder VQT_RUN_DIR "$1" || return 1
}

# The fuzz targets: the names that the build's vqt_fuzz() calls give.
vqt_fuzz_targets() {
    grep -rhoE --include=CMakeLists.txt '^[[:space:]]*vqt_fuzz\([A-Za-z0-9_]+' tests | sed 's/.*(//' | sort
}
