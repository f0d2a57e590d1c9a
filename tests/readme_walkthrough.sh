#!/usr/bin/env bash
# Runs the README's bench-automation walkthrough as a new user would, from a clean start
# (fresh settings, no display), and checks every reply against the one printed there. The
# commands and replies are read from the README's one ```console block, so the two cannot
# drift apart.
#   bash tests/readme_walkthrough.sh README.md BUILD_DIR
# In the block a line starting "$ " is a command (one ending in "\" goes on in the next line),
# a line starting "#" a comment, and every other line what the command before it prints; "…"
# in such a line stands for any text (a pseudo-terminal's number, a latency). For this run
# /tmp/ becomes a folder of its own, build/ the build directory and port 5555 a free one, so
# that runs side by side do not meet.
set -uo pipefail

readme=$1
build=$(cd "$2" && pwd)
work=$(mktemp -d)
stop_leftovers() {
    # Only what this run started, by its process id.
    if [ -s "$work/pids" ]; then
        while read -r pid; do kill "$pid" 2>/dev/null; done <"$work/pids"
    fi
    rm -rf "$work"
}
trap stop_leftovers EXIT

# A port nobody listens on, picked from this run's process id.
port=$((20000 + ($$ % 20000)))
for _ in 1 2 3 4 5 6 7 8 9 10; do
    (exec 3<>"/dev/tcp/127.0.0.1/$port") 2>/dev/null || break
    port=$((port + 1))
done
substitute() {
    sed -e "s#/tmp/#$work/#g" -e "s#\(^\|[ =]\)build/#\1$build/#g" -e "s#5555#$port#g"
}

# The block: commands and what each prints.
block=$(awk '/^```console$/ { inside = 1; next } inside && /^```$/ { exit } inside { print }' "$readme")
if [ -z "$block" ]; then
    echo "no \`\`\`console block in $readme"
    exit 1
fi
commands=()
expected=()
continued=0
while IFS= read -r line; do
    if [ "$continued" = 1 ]; then
        commands[-1]+=$'\n'"$line"
        [[ $line == *\\ ]] || continued=0
    elif [[ $line == '$ '* ]]; then
        commands+=("${line#\$ }")
        expected+=("")
        [[ $line == *\\ ]] && continued=1
    elif [[ $line == '#'* || -z $line ]]; then
        continue
    elif [ ${#commands[@]} -gt 0 ]; then
        expected[-1]+="$line"$'\n'
    fi
done <<<"$block"

# One shell runs them in turn, as a user types them; each command's output goes to a file.
{
    echo "export XDG_CONFIG_HOME='$work/config' XDG_RUNTIME_DIR='$work'"
    echo "unset DISPLAY WAYLAND_DISPLAY QT_QPA_PLATFORM"
    echo "cd '$work'"
    for i in "${!commands[@]}"; do
        command=$(printf '%s\n' "${commands[$i]}" | substitute)
        if [[ $command == *' &' ]]; then
            printf '%s > %s 2>&1 &\necho $! >> %s\n' "${command% &}" "$work/out.$i" "$work/pids"
        else
            printf '{ %s\n} > %s 2>&1\n' "$command" "$work/out.$i"
        fi
    done
    echo "exit 0"  # a command that failed shows in its output
} >"$work/run.sh"
mkdir -p "$work/config"
timeout 180 bash "$work/run.sh"
status=$?
if [ "$status" != 0 ]; then
    echo "the walkthrough did not run to its end within 180 s (status $status)"
fi

# Every line as printed in the README, "…" standing for any text.
failures=0
for i in "${!commands[@]}"; do
    want=$(printf '%s' "${expected[$i]}" | substitute)
    got=$(cat "$work/out.$i" 2>/dev/null)
    mapfile -t want_lines <<<"$want"
    mapfile -t got_lines <<<"$got"
    same=1
    if [ "${#want_lines[@]}" != "${#got_lines[@]}" ]; then
        same=0
    else
        for j in "${!want_lines[@]}"; do
            pattern=$(printf '%s' "${want_lines[$j]}" | sed -e 's/[][*?\\]/\\&/g' -e 's/…/*/g')
            # shellcheck disable=SC2053  # the right side is a pattern on purpose
            [[ ${got_lines[$j]} == $pattern ]] || same=0
        done
    fi
    if [ "$same" = 0 ]; then
        failures=$((failures + 1))
        printf 'the README says after\n  $ %s\nthis:\n%s\nbut it printed:\n%s\n\n' "${commands[$i]}" "$want" "$got"
    fi
done
echo "README walkthrough: ${#commands[@]} commands, $failures with other output than the README's"
[ "$failures" = 0 ] && [ "$status" = 0 ]
