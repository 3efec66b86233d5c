#!/usr/bin/env bash
# Installs the build into a scratch prefix and checks that the result is a
# working desktop application: files in their places, the menu entry valid, the
# imaging library found at run time by both programs, and the program starting
# from there.
set -euo pipefail
build=$1
prefix=$(mktemp -d "${TMPDIR:-/tmp}/nuanza-install.XXXXXX")
trap 'rm -rf "$prefix"' EXIT

cmake --install "$build" --prefix "$prefix" >/dev/null

fail() { echo "check-install: $*" >&2; exit 1; }
libdir=$(cd "$prefix" && ls -d lib* | head -n1)
for f in bin/nuanza bin/nuanza-batch "$libdir/libbildkern3.so.3" share/applications/nuanza.desktop \
         share/icons/hicolor/scalable/apps/nuanza.svg share/man/man1/nuanza-batch.1; do
  [[ -e "$prefix/$f" ]] || fail "missing $f"
done

if command -v desktop-file-validate >/dev/null; then
  desktop-file-validate "$prefix/share/applications/nuanza.desktop" || fail "invalid desktop entry"
fi
grep -qx 'Exec=nuanza' "$prefix/share/applications/nuanza.desktop" || fail "Exec is not the program"

for program in nuanza nuanza-batch; do
  resolved=$(ldd "$prefix/bin/$program" | awk '/libbildkern3/ {print $3}')
  [[ -n "$resolved" && $(realpath "$resolved") == $(realpath "$prefix/$libdir/libbildkern3.so.3") ]] \
    || fail "libbildkern3 of $program resolves to '$resolved', not the installed copy"
done
"$prefix/bin/nuanza-batch" --help | grep -q -- '--shard' || fail "the installed nuanza-batch gives no help"

# The installed program starts and keeps running (timeout ends it); a missing
# library or a crash at start ends it early with another status.
status=0
QT_QPA_PLATFORM=offscreen timeout 5 "$prefix/bin/nuanza" >/dev/null 2>&1 || status=$?
[[ $status -eq 124 ]] || fail "the installed program ended with status $status instead of running"
echo "check-install: ok ($prefix)"
