#!/usr/bin/env bash
# Builds the Debian package and checks it from the package file itself:
# unpacked into a scratch folder, the programs start from there with a fresh
# user data folder, make the user's own installation from the shipped demo on
# the first start, keep the user's changes on the second, and the importer
# finds every event of that installation whole.
#
#   scripts/package-check.sh [build dir]
set -euo pipefail
top="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build="${1:-${ORVANTA_BUILD_DIR:-$top/build}}"

(cd "$build" && cpack -G DEB >/dev/null)
deb=$(ls -t "$build"/orvanta_*.deb | head -1)
echo "package: $(basename "$deb") ($(du -h "$deb" | cut -f1))"

scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
dpkg-deb -x "$deb" "$scratch/root"
root="$scratch/root"
fail() {
    echo "package check: $*" >&2
    cat "$scratch/stderr.log" >&2 2>/dev/null || true
    exit 1
}

for f in usr/bin/ov usr/bin/ovm usr/bin/ovimport usr/share/orvanta/demo/OV.INI \
         usr/share/orvanta/demo/help usr/share/applications/org.orvanta.ov.desktop \
         usr/share/applications/org.orvanta.ovm.desktop \
         usr/share/metainfo/org.orvanta.ov.metainfo.xml \
         usr/share/icons/hicolor/48x48/apps/org.orvanta.ov.png \
         usr/share/man/man1/ovimport.1.gz usr/lib/systemd/user/orvanta.service; do
    [[ -e "$root/$f" ]] || fail "missing $f"
done
dpkg-deb -f "$deb" Depends | grep -q libqt6widgets6 || fail "no Qt dependency found from the binaries"

# Started from the menu: not inside an installation, with a fresh data folder.
home="$scratch/home"
mkdir -p "$home"
run() {
    (cd "$home" && env -i PATH=/usr/bin:/bin HOME="$home" QT_QPA_PLATFORM=offscreen \
        ORVANTA_EXIT_AFTER_START=1 timeout 120 "$@" 2>>"$scratch/stderr.log")
}
own="$home/.local/share/orvanta"
started=$(run "$root/usr/bin/ov") || fail "ov did not start"
[[ "$started" == *"startup to first welcome paint"* ]] || fail "ov did not reach its welcome screen"
[[ -f "$own/OV.INI" && -f "$own/ZURIVI.STA" && -d "$own/help" ]] || fail "no user installation made"
cmp -s "$own/OV.INI" "$root/usr/share/orvanta/demo/OV.INI" || fail "first copy differs"

# The user's change survives the next start of either program.
echo "; kept" >> "$own/OV.INI"
run "$root/usr/bin/ovm" >/dev/null || fail "ovm did not start"
run "$root/usr/bin/ov" >/dev/null || fail "ov did not start a second time"
tail -1 "$own/OV.INI" | grep -q "; kept" || fail "the user's installation was overwritten"

# Every event of the installation loads, from the packaged importer.
run "$root/usr/bin/ovimport" --check "$own" >/dev/null || fail "ovimport --check found problems"
echo "package check: passed"
