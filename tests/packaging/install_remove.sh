#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Installs the package that `make deb` built, with apt-get as a user would, checks what the
# user gets (the programs, manual pages, completion, desktop entries, the .sbg association),
# removes it and checks that nothing of it is left. It changes the machine's packages, so it
# runs only as root or with sudo, and says it is skipped otherwise (exit 77, which CTest
# counts as skipped).
# Usage: install_remove.sh DEB VERSION
set -euo pipefail
deb=$1
version=$2

fail() {
    echo "install_remove: $*" >&2
    exit 1
}
expect() { # WHAT EXPECTED ACTUAL
    [ "$2" = "$3" ] || fail "$1: expected '$2', got '$3'"
}

if [ "$(id -u)" -eq 0 ]; then
    sudo=()
elif sudo -n true 2>/dev/null; then
    sudo=(sudo -n)
else
    echo "install_remove: skipped: installing a package needs root or sudo without a password"
    exit 77
fi
[ -f "$deb" ] || fail "$deb is missing: build it with make deb first"
case $deb in /*) ;; *) deb=$PWD/$deb ;; esac # apt-get takes a file only by a path
apt=(env DEBIAN_FRONTEND=noninteractive apt-get -y -q)
remove() { "${sudo[@]}" "${apt[@]}" remove tovin >/dev/null; }
# Someone who had tovin installed keeps it: this package is installed again at the end.
installed_before=false
if dpkg-query -W -f='${Status}' tovin 2>/dev/null | grep -q "install ok installed"; then
    installed_before=true
    echo "install_remove: tovin is installed; it is removed first and installed again at the end"
    remove
fi
restore() {
    if $installed_before; then "${sudo[@]}" "${apt[@]}" install "$deb" >/dev/null; fi
}
tmp=$(mktemp -d)
trap 'remove || true; restore; rm -rf "$tmp"' EXIT # a failed check leaves the machine as it was
"${sudo[@]}" "${apt[@]}" install "$deb"
files=$(dpkg -L tovin)

echo "== the programs"
# No display at all: --version must not need one.
expect "tovin --version" "tovin $version" \
    "$(env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM /usr/bin/tovin --version)"
expect "tovin-cli --version" "tovin-cli $version" "$(/usr/bin/tovin-cli --version)"
printf '%s\n' '-SE' 'a: 200+10/20' 'off: -' '0:00 a' '0:01 off' >"$tmp/a.sbg"
/usr/bin/tovin-cli check "$tmp/a.sbg" | grep -q "binaural" || fail "tovin-cli check printed no voice"

echo "== each command's --help and --version, and the manual page"
man_source=$(zcat /usr/share/man/man1/tovin-cli.1.gz | sed 's/\\-/-/g')
for command in play render check; do
    help=$(/usr/bin/tovin-cli "$command" --help)
    expect "tovin-cli $command --help" "usage: tovin-cli $command" "$(head -n 1 <<<"$help" | cut -d ' ' -f 1-3)"
    expect "tovin-cli $command --version" "tovin-cli $version" "$(/usr/bin/tovin-cli "$command" --version)"
    for option in $(grep -oE -- '(--[a-z][a-z-]*|-o )' <<<"$help" | sort -u); do
        grep -qF -- "$option" <<<"$man_source" || fail "tovin-cli $command --help has $option, tovin-cli(1) does not"
    done
done
for page in 1/tovin-cli 1/tovin 5/tovin-session; do
    path=/usr/share/man/man${page%/*}/${page#*/}.${page%/*}.gz
    # -a: a copy installed by hand under /usr/local may come first.
    man -aw "${page%/*}" "${page#*/}" | grep -qx "$path" || fail "man -w ${page/\// } does not find $path"
    warnings=$(MANWIDTH=80 man --warnings -l "$path" 2>&1 >/dev/null)
    [ -z "$warnings" ] || fail "man ${page#*/} warns: $warnings"
done

echo "== completion"
# As a new interactive bash loads it: bash-completion finds it by the command's name.
completions() { # the words offered after the line, which ends where the cursor is
    (cd "$tmp" && bash -c '
        source /usr/share/bash-completion/bash_completion
        __load_completion tovin-cli || exit 1
        COMP_LINE=$1 COMP_POINT=${#1}
        read -r -a COMP_WORDS <<<"$1"
        [[ $1 == *" " ]] && COMP_WORDS+=("")
        COMP_CWORD=$((${#COMP_WORDS[@]} - 1))
        function=$(complete -p tovin-cli | sed -n "s/.*-F \([^ ]*\) .*/\1/p")
        "$function" tovin-cli "${COMP_WORDS[COMP_CWORD]}" "${COMP_WORDS[COMP_CWORD - 1]}"
        printf "%s\n" "${COMPREPLY[@]}" | sort | paste -s -d " "' _ "$1")
}
mkdir "$tmp/sessions"
touch "$tmp/out.wav" "$tmp/notes.txt"
expect "tovin-cli <Tab>" "--help --version check play plot render" "$(completions "tovin-cli ")"
expect "--carrier <Tab>" "110 150 220 440" "$(completions "tovin-cli play --carrier ")"
expect "--beat <Tab>" "12 8" "$(completions "tovin-cli render --beat ")"
expect "--session <Tab>" "a.sbg sessions" "$(completions "tovin-cli play --session ")"
expect "check <Tab>" "a.sbg sessions" "$(completions "tovin-cli check ")"
expect "-o <Tab>" "out.wav sessions" "$(completions "tovin-cli render -o ")"
expect "render --se<Tab>" "--seed --session" "$(completions "tovin-cli render --se")"

echo "== desktop entries, metadata and the .sbg association"
for entry in tovin tovin-session io.github.tovin.Tovin.Sessions; do
    desktop-file-validate "/usr/share/applications/$entry.desktop"
done
grep -qx "NoDisplay=true" /usr/share/applications/tovin.desktop && fail "tovin.desktop is hidden from the menu"
appstreamcli validate --no-net /usr/share/metainfo/io.github.tovin.Tovin.metainfo.xml
# A clean environment: no desktop's own settings, no user's choices.
xdg() { env -i PATH=/usr/bin:/bin HOME="$tmp" xdg-mime "$@"; }
expect "the type of a .sbg file" "text/x-sbg" "$(xdg query filetype "$tmp/a.sbg")"
expect "what opens a .sbg file" "io.github.tovin.Tovin.Sessions.desktop" "$(xdg query default text/x-sbg)"
grep -q "text/x-sbg=.*tovin-session.desktop" /usr/share/applications/mimeinfo.cache ||
    fail "the terminal player is no longer offered for .sbg files"

echo "== apt-get remove"
remove
trap 'restore; rm -rf "$tmp"' EXIT
# With no configuration files, removing leaves nothing for a purge to take.
case $(dpkg-query -W -f='${Status}' tovin 2>/dev/null || true) in
    "" | *not-installed) ;;
    *) fail "dpkg still has tovin: $(dpkg-query -W -f='${Status}' tovin)" ;;
esac
while read -r file; do
    [ -d "$file" ] || [ ! -e "$file" ] || fail "$file is left after apt-get remove"
done <<<"$files"
[ ! -e /usr/share/doc/tovin ] || fail "/usr/share/doc/tovin is left after apt-get remove"
expect "what opens a .sbg file after removal" "" "$(xdg query default text/x-sbg)"
echo "install_remove: installed, checked and removed $deb"
