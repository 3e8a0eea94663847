# shellcheck shell=bash
# Shared by the scripts (sourced, not run): --help and --version the same way
# everywhere, and builds that say nothing when there is nothing to build.

# The repository's root folder.
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)

drapelle_version() { sed -n 's/^project(Drapelle VERSION \([0-9.]*\).*/\1/p' "$root/CMakeLists.txt"; }

# The calling script's usage: its opening comment, without the '#'.
print_usage() {
    sed -n '2,/^[^#]/{/^#/s/^# \{0,1\}//p}' "$1"
}

# The script's name as the README gives it: scripts/test, scripts/release.
script_name() { realpath --relative-to="$root" "$1"; }

# Answers -h/--help with the script's usage and --version with its version,
# and exits; any other first argument goes on to the script. For a script
# that runs one of the programs, $program, the help goes on with the
# program's own options, from its last build: --help builds nothing.
answer_help_and_version() {
    local script=$1
    case "${2:-}" in
        -h | --help)
            print_usage "$script"
            [ -n "${program:-}" ] || exit 0
            echo
            if [ -x "$program" ]; then
                "$program" --help
            else
                echo "The first run builds $(basename "$program"); --help then also lists its options."
            fi
            exit 0 ;;
        --version) echo "$(script_name "$script") $(drapelle_version)"; exit 0 ;;
    esac
}

# Refuses the script's arguments with the reason, and exits with status 2.
usage_error() {
    echo "$(script_name "$0"): $1" >&2
    echo "Try '$(script_name "$0") --help'." >&2
    exit 2
}

# Refuses an option the script does not take.
refuse_option() { usage_error "unknown option '$1'"; }

# Runs a build command, its progress shown only when there is something to build.
quietly() {
    "$@" 2>&1 | { grep -v -e '^ninja: no work to do' -e '] Re-checking globbed directories' || true; }
}

# Configures a preset when needed and builds a target of it. Fails as the
# build does.
build_target() {
    local preset=$1 target=${2:-all}
    (cd "$root" && cmake --preset "$preset" >/dev/null)
    quietly cmake --build "$root/build/$preset" --target "$target"
}
