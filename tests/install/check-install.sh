#!/usr/bin/env bash
# Installs the build into a scratch prefix and checks that the result is a
# working desktop application: files in their places, the menu entry valid, the
# imaging library found at run time, and the program starting from there.
set -euo pipefail
build=$1
prefix=$(mktemp -d "${TMPDIR:-/tmp}/nuanza-install.XXXXXX")
trap 'rm -rf "$prefix"' EXIT

cmake --install "$build" --prefix "$prefix" >/dev/null

fail() { echo "check-install: $*" >&2; exit 1; }
libdir=$(cd "$prefix" && ls -d lib* | head -n1)
for f in bin/nuanza "$libdir/libbildkern3.so.3" share/applications/nuanza.desktop \
         share/icons/hicolor/scalable/apps/nuanza.svg; do
  [[ -e "$prefix/$f" ]] || fail "missing $f"
done

if command -v desktop-file-validate >/dev/null; then
  desktop-file-validate "$prefix/share/applications/nuanza.desktop" || fail "invalid desktop entry"
fi
grep -qx 'Exec=nuanza' "$prefix/share/applications/nuanza.desktop" || fail "Exec is not the program"

resolved=$(ldd "$prefix/bin/nuanza" | awk '/libbildkern3/ {print $3}')
[[ -n "$resolved" && $(realpath "$resolved") == $(realpath "$prefix/$libdir/libbildkern3.so.3") ]] \
  || fail "libbildkern3 resolves to '$resolved', not the installed copy"

# The installed program starts and keeps running (timeout ends it); a missing
# library or a crash at start ends it early with another status.
status=0
QT_QPA_PLATFORM=offscreen timeout 5 "$prefix/bin/nuanza" >/dev/null 2>&1 || status=$?
[[ $status -eq 124 ]] || fail "the installed program ended with status $status instead of running"
echo "check-install: ok ($prefix)"
