# Sourced by tools/run and tools/start-game after tools/run-checks.sh: the three locks a run holds
# and hands to the program it starts. Each is an flock on a file, held on a descriptor of its own:
#   8  the build tree's lock .build-lock, held by tools/run from before its build until the program
#      runs (the program lets it go: VQT_BUILD_LOCK_FD);
#   9  the game's single-instance lock, the file `PROGRAM --lock-path` names (VQT_LOCK_FD);
#   7  the run folder's lock .run-lock, which two games must never share (VQT_RUN_LOCK_FD).
# The variable that names a descriptor is set on the command line that starts the program and on
# no other. Every other program a script starts that could outlive it (the package step, the
# configure and the build, `--lock-path`, the data tool) runs without the descriptors
# (vqt_without_locks), so that none keeps a lock; the shell's own tools that end at once
# (mkdir, awk, mv and their like) see them for their moment only.

# vqt_without_locks COMMAND... - runs the command (a program or a function) without the locks.
vqt_without_locks() {
    "$@" 7>&- 8>&- 9>&-
}

# vqt_play [exec] PROGRAM [ARGUMENT...] - starts the game's program with the locks this script holds
# handed over (the build lock only when VQT_BUILD_LOCK_HELD says it is held); with "exec" in place
# of this script.
vqt_play() {
    local how=""
    if [ "$1" = exec ]; then how=exec; shift; fi
    VQT_LOCK_FD=9 VQT_RUN_LOCK_FD=7 VQT_BUILD_LOCK_FD="${VQT_BUILD_LOCK_HELD:+8}" $how "$@"
}

# vqt_open_lock FD LOCK [read] - opens the lock file LOCK on descriptor FD, made when missing and
# never through a link: for writing, which an exclusive flock over NFS needs; with "read",
# read-only when this user may not write it (another user's file in a shared folder), where a lock
# held there is still seen. Fails with why in vqt_lock_fault.
vqt_open_lock() {
    local fd="$1" lock="$2"
    vqt_lock_fault=""
    if [ -L "$lock" ]; then vqt_lock_fault="$lock is a symbolic link"; return 1; fi
    if [ -e "$lock" ] && [ ! -f "$lock" ]; then vqt_lock_fault="$lock is not a file"; return 1; fi
    # Made as a new file or not at all (noclobber makes it exclusive): a link put in its place is
    # not followed. A maker that got there first leaves the file to open.
    [ -e "$lock" ] || (set -o noclobber && : >"$lock") 2>/dev/null || true
    if ! { eval "exec $fd<>\"\$lock\""; } 2>/dev/null &&
        { [ "${3:-}" != read ] || ! { eval "exec $fd<\"\$lock\""; } 2>/dev/null; }; then
        vqt_lock_fault="$lock cannot be made or opened by this user"
        return 1
    fi
    # What was opened is the file by that name, not a link or a fifo put there meanwhile.
    if [ ! -f "/proc/$$/fd/$fd" ] || [ -L "$lock" ] || [ ! "/proc/$$/fd/$fd" -ef "$lock" ]; then
        eval "exec $fd>&-"
        vqt_lock_fault="$lock changed while it was opened"
        return 1
    fi
}

# vqt_take_lock FD LOCK - takes the lock of descriptor FD (the file LOCK) at once: fails with 1
# when another holds it, with 2 (why in vqt_lock_fault) when it cannot be taken.
vqt_take_lock() {
    local why status=0
    why="$(flock -n -E 100 "$1" 2>&1)" || status=$?
    [ $status -ne 0 ] || return 0
    [ $status -ne 100 ] || return 1
    vqt_lock_fault="cannot lock $2: ${why##*: }"
    return 2
}

# vqt_lock_refusal LOCK - the refusal of a start while a game holds the game's lock LOCK.
vqt_lock_refusal() {
    vqt_refuse "The game is already running for this user (its lock $1 is held); end it before starting another."
}

# vqt_build_tree_fault TREE LOCK - why the build tree TREE under VQT_BUILD_DIR cannot be made or
# its lock LOCK opened by this user; nothing when both can.
vqt_build_tree_fault() {
    local tree="$1" lock="$2" why
    if [ -e "$tree" ] && [ ! -d "$tree" ]; then echo "its build tree $tree is not a folder"; return; fi
    if ! why="$(mkdir -p -- "$tree" 2>&1)"; then echo "its build tree $tree cannot be made: ${why#mkdir: }"; return; fi
    if [ ! -w "$tree" ] || [ ! -x "$tree" ]; then echo "this user cannot write to its build tree $tree"; return; fi
    # A lock that is no file, or a link, is refused as it is opened.
    if [ -e "$lock" ] && [ ! -w "$lock" ]; then echo "this user cannot open its build tree's lock $lock"; fi
}

# vqt_hold_build_lock TREE - waits until no other run builds the tree, then holds its build lock on
# descriptor 8 until the program runs, or refuses naming VQT_BUILD_DIR.
vqt_hold_build_lock() {
    local lock="$1/.build-lock" fault status=0 shown="VQT_BUILD_DIR=\"${VQT_BUILD_DIR:-}\""
    [ -n "${VQT_BUILD_DIR:-}" ] || shown="VQT_BUILD_DIR (unset: build)"
    fault="$(vqt_build_tree_fault "$1" "$lock")"
    if [ -z "$fault" ] && ! vqt_open_lock 8 "$lock"; then fault="its build tree's lock $vqt_lock_fault"; fi
    if [ -z "$fault" ]; then
        vqt_take_lock 8 "$lock" || status=$?
        if [ $status -eq 1 ]; then
            echo "run: another run builds $1; waiting for it"
            if flock 8; then status=0; else status=2 vqt_lock_fault="cannot lock $lock"; fi
        fi
        [ $status -eq 0 ] || fault="$vqt_lock_fault"
    fi
    if [ -n "$fault" ]; then
        vqt_refuse "$shown: $fault"
        return 1
    fi
}

# vqt_check_handed_build_lock TREE - takes over the build lock that VQT_BUILD_LOCK_FD names (set by
# tools/run, which built TREE) on descriptor 8 and sets VQT_BUILD_LOCK_HELD, or refuses a value
# that is no open descriptor of TREE/.build-lock holding its lock. Nothing when it is not set.
vqt_check_handed_build_lock() {
    local value="${VQT_BUILD_LOCK_FD-}" fd
    unset VQT_BUILD_LOCK_FD VQT_BUILD_LOCK_HELD
    if [ -z "$value" ]; then exec 8>&-; return 0; fi
    local shown="VQT_BUILD_LOCK_FD=\"$value\""
    if [[ ! "$value" =~ ^[0-9]{1,9}$ ]] || [ ! -e "/proc/$$/fd/$((fd = 10#$value))" ]; then
        vqt_refuse "$shown is not an open file (it is set by tools/run for the tree it built)"
        return 1
    fi
    if [ ! -f "/proc/$$/fd/$fd" ] || [ ! "/proc/$$/fd/$fd" -ef "$1/.build-lock" ]; then
        vqt_refuse "$shown is not a build tree's lock .build-lock, or not $1/.build-lock, the lock of the tree to start"
        return 1
    fi
    if ! grep -q '^lock:.* FLOCK ' "/proc/$$/fdinfo/$fd"; then
        vqt_refuse "$shown does not hold the lock $1/.build-lock"
        return 1
    fi
    if [ "$fd" -ne 8 ]; then eval "exec 8>&$fd $fd>&-"; fi
    VQT_BUILD_LOCK_HELD=1
}

# vqt_hold_lock PROGRAM - holds the game's lock on descriptor 9, or refuses: exit code 1 when a game
# holds it, or when the program cannot say where it lies; 2 when it cannot be taken.
vqt_hold_lock() {
    local lock status=0
    lock="$(vqt_without_locks "$1" --lock-path)" || return 1
    if ! vqt_open_lock 9 "$lock" read; then
        vqt_refuse "The game's lock $vqt_lock_fault"
        return 2
    fi
    vqt_take_lock 9 "$lock" || status=$?
    [ $status -ne 1 ] || vqt_lock_refusal "$lock"
    [ $status -ne 2 ] || vqt_refuse "The game's lock: $vqt_lock_fault"
    return $status
}

# vqt_hold_run_folder_lock RUN - holds the run folder's own lock on descriptor 7, or refuses: exit
# code 1 when another game plays in that folder, 2 when the lock cannot be taken. The game's lock
# lies in a folder that each start's environment chooses; this one lies in the run folder.
vqt_hold_run_folder_lock() {
    local lock="$1/.run-lock" status=0 shown="${VQT_RUN_DIR:+VQT_RUN_DIR=\"$VQT_RUN_DIR\": }"
    if ! vqt_open_lock 7 "$lock" read; then
        vqt_refuse "${shown}the run folder's lock $vqt_lock_fault"
        return 2
    fi
    vqt_take_lock 7 "$lock" || status=$?
    [ $status -ne 1 ] ||
        vqt_refuse "A game already plays in the run folder $1 (its lock $lock is held); end it before starting another there."
    [ $status -ne 2 ] || vqt_refuse "${shown}the run folder's lock: $vqt_lock_fault"
    return $status
}
