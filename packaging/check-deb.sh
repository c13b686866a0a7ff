#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Checks the package that `make deb` built as Debian's tools see it: lintian on the
# package, and the AppStream, desktop-entry, MIME and manual-page checkers on the files
# it holds. Fails on a lintian error or on any complaint of the others.
# Usage: packaging/check-deb.sh tovin_VERSION_ARCH.deb
set -euo pipefail
deb=$1
fail() {
    echo "check-deb: $*" >&2
    exit 1
}
[ -f "$deb" ] || fail "$deb is missing: build it with make deb first"
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
dpkg-deb -x "$deb" "$tmp/root"

echo "== lintian $deb"
# Every tag is shown, info included; only errors fail.
status=0
out=$(lintian --fail-on error --display-info "$deb" 2>&1) || status=$?
grep -v "running with root privileges is not recommended" <<<"$out" || true
[ "$status" -eq 0 ] || fail "lintian reports an error (exit $status)"

echo "== appstreamcli validate --no-net"
appstreamcli validate --no-net "$tmp"/root/usr/share/metainfo/*.metainfo.xml

echo "== desktop-file-validate"
for entry in "$tmp"/root/usr/share/applications/*.desktop; do
    desktop-file-validate "$entry"
    echo "${entry#"$tmp/root"}: valid"
done

echo "== update-mime-database"
mkdir -p "$tmp/mime/packages"
cp "$tmp"/root/usr/share/mime/packages/*.xml "$tmp/mime/packages/"
out=$(update-mime-database -V "$tmp/mime" 2>&1)
grep -qi "error\|warning" <<<"$out" && fail "update-mime-database: $out"
grep -q "^text/x-sbg$" "$tmp/mime/types" || fail "the MIME database has no text/x-sbg"
echo "text/x-sbg: valid"

echo "== man --warnings"
for page in "$tmp"/root/usr/share/man/man*/*.gz; do
    warnings=$(MANWIDTH=80 man --warnings -l "$page" 2>&1 >/dev/null)
    [ -z "$warnings" ] || fail "${page#"$tmp/root"}: $warnings"
    echo "${page#"$tmp/root"}: no warnings"
done

echo "== what the package holds"
# The programs and their data only: never the tests' devices or any library of ours.
if dpkg-deb -c "$deb" | grep -E '\.(a|so)(\.[0-9]+)*$|testing'; then
    fail "the package holds a library"
fi
echo "check-deb: $deb passed"
