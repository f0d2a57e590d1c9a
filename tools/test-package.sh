#!/usr/bin/env bash
# Builds the Debian package and checks it: lintian, the menu entry, the software-centre record,
# the file list, and both programs run from the unpacked package, which is never installed.
set -euo pipefail
cd "$(dirname "$0")/.."

bash tools/package.sh
debs=(vorta-tester_*.deb)
[ ${#debs[@]} -eq 1 ] && [ -f "${debs[0]}" ] || { echo "expected one package, found: ${debs[*]}"; exit 1; }
deb=${debs[0]}
version=$(dpkg-deb -f "$deb" Version)
app_id=$(sed -n 's/^set(VORTA_APP_ID "\(.*\)")$/\1/p' CMakeLists.txt)
project_version=$(sed -n 's/^project([A-Za-z]* VERSION \([0-9.]*\) .*/\1/p' CMakeLists.txt)

fail() { echo "package check failed: $*" >&2; exit 1; }
work=$(mktemp -d)
program_pid=
cleanup() {
    if [ -n "$program_pid" ] && kill -0 "$program_pid" 2>/dev/null; then kill "$program_pid"; fi
    rm -rf "$work"
}
trap cleanup EXIT

echo "== package $deb: $(stat -c %s "$deb") bytes"
dpkg-deb -I "$deb" | sed -n 's/^ \(Version\|Depends\|Installed-Size\):/  \1:/p'
[ "$version" = "$project_version" ] || fail "package version $version, project() says $project_version"
dpkg-deb -f "$deb" Depends | grep -q 'libqt6widgets6' || fail "no dependency read off the binaries"

echo "== lintian"
# Warnings fail as errors do: a warning the package keeps is overridden, with the reason beside it.
lintian --fail-on error,warning --display-info "$deb"

echo "== file list"
dpkg-deb -c "$deb" | awk '{print $6}' | sed 's|^\./|/|' >"$work/files"
for path in /usr/bin/vorta-tester /usr/bin/kline-tester \
            "/usr/share/applications/$app_id.desktop" \
            "/usr/share/icons/hicolor/scalable/apps/$app_id.svg" \
            "/usr/share/icons/hicolor/64x64/apps/$app_id.png" \
            "/usr/share/metainfo/$app_id.metainfo.xml" \
            /usr/share/man/man1/vorta-tester.1.gz /usr/share/man/man1/kline-tester.1.gz \
            /usr/share/doc/vorta-tester/copyright /usr/share/doc/vorta-tester/changelog.gz; do
    grep -qxF "$path" "$work/files" || fail "$path is not in the package"
done

root=$work/root
dpkg -x "$deb" "$root"

echo "== menu entry and icon"
desktop=$root/usr/share/applications/$app_id.desktop
desktop-file-validate "$desktop"
for line in "Exec=vorta-tester" "Terminal=false" "Icon=$app_id"; do
    grep -qxF "$line" "$desktop" || fail "menu entry lacks $line"
done
grep -q '^Name\[ru\]=.' "$desktop" || fail "menu entry has no Russian name"
grep -q '^Comment=.' "$desktop" || fail "menu entry has no comment"
for category in Development Electronics; do
    grep -q "^Categories=\(.*;\)\?$category;" "$desktop" || fail "menu entry is not under $category"
done
# A PNG's width and height are the big-endian words at bytes 16 and 20.
size=$(od -An -tu1 -j16 -N8 "$root/usr/share/icons/hicolor/64x64/apps/$app_id.png" | tr -s ' ' | sed 's/^ //')
[ "$size" = "0 0 0 64 0 0 0 64" ] || fail "the 64 px icon measures: $size"

echo "== software-centre record"
metainfo=$root/usr/share/metainfo/$app_id.metainfo.xml
appstreamcli validate --no-net "$metainfo"
grep -q "<release version=\"$version\"" "$metainfo" || fail "the record's release is not $version"
grep -q '<image>https://.*/screenshot-.*\.png</image>' "$metainfo" || fail "the record shows no screenshot"

echo "== manual pages"
for program in vorta-tester kline-tester; do
    page=$(zcat "$root/usr/share/man/man1/$program.1.gz")
    # Made from the help: a synopsis and the options, --help among them.
    grep -q '^\.SH SYNOPSIS' <<<"$page" || fail "$program.1 has no synopsis"
    grep -q '^\.SH OPTIONS' <<<"$page" || fail "$program.1 lists no options"
    grep -qF '\-\-help' <<<"$page" || fail "$program.1 does not name --help"
    grep -q "^\.TH .* \"$program $version\"" <<<"$page" || fail "$program.1 is not of version $version"
done

echo "== the programs from the unpacked package"
bin=$root/usr/bin
[ "$("$bin/vorta-tester" --version)" = "vorta-tester $version" ] || fail "vorta-tester --version: $("$bin/vorta-tester" --version)"
[ "$("$bin/kline-tester" --version)" = "kline-tester $version" ] || fail "kline-tester --version"
"$bin/kline-tester" --help | grep -q '^Usage: kline-tester DEVICE' || fail "kline-tester --help"

socket=$work/control
# A session of its own: private runtime folder, settings nobody else reads.
mkdir -m 700 "$work/runtime" "$work/config"
export XDG_RUNTIME_DIR=$work/runtime XDG_CONFIG_HOME=$work/config
"$bin/vorta-tester" --hidden --port pty --control "unix:$socket" >"$work/out" 2>"$work/err" &
program_pid=$!
for _ in $(seq 600); do
    [ -S "$socket" ] && break
    kill -0 "$program_pid" 2>/dev/null || fail "vorta-tester ended at start: $(cat "$work/err")"
    sleep 0.1
done
[ -S "$socket" ] || fail "no control socket after 60 s"
# One command a line, one answer a line; perl is part of every Debian system.
replies=$(perl -MIO::Socket::UNIX -e '
    alarm 30;
    my $s = IO::Socket::UNIX->new(Peer => $ARGV[0]) or die "connect: $!\n";
    for my $command ("get variant", "quit") { print $s "$command\n"; my $r = <$s>; print $r; }
' "$socket") || fail "no answer over the control socket"
[ "$replies" = "$(printf 'OK Ja5\nOK')" ] || fail "control replies: $replies"
for _ in $(seq 300); do
    kill -0 "$program_pid" 2>/dev/null || break
    sleep 0.1
done
kill -0 "$program_pid" 2>/dev/null && fail "vorta-tester still runs 30 s after quit"
status=0
wait "$program_pid" || status=$?
program_pid=
[ "$status" -eq 0 ] || fail "vorta-tester ended with status $status: $(cat "$work/err")"
[ ! -s "$work/err" ] || fail "vorta-tester reported: $(cat "$work/err")"
[ ! -e "$socket" ] || fail "the control socket was left behind"
grep -q '^/dev/pts/' "$work/out" || fail "no virtual port named: $(cat "$work/out")"
echo "package checks passed"
