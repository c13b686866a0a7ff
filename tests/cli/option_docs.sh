#!/bin/bash
# SPDX-License-Identifier: GPL-3.0-or-later
# The options each command's --help lists (drawn from the parser's table) are the ones the
# bash completion offers and the manual page shows: an option added to the table and not
# to them, or left in them after it went, fails here.
# Usage: option_docs.sh TOVIN-CLI PACKAGING-DIR
set -u
cli=$1 completion=$2/tovin-cli.bash page=$2/tovin-cli.1
failed=0
names() { grep -oE -- "(^|[][ '\"(|,])--?[a-z][a-z-]*" | sed -E 's/^[^-]*//' | sort -u | xargs; }
same() {
    if [ "$2" != "$3" ]; then
        echo "$1: the help has '$2', but '$3'"
        failed=1
    fi
}
manual=$(sed 's/\\-/-/g' "$page")
helped="--version" described="--version" with_value=""
for command in play render check plot; do
    # The names that begin each option's lines: "  -o, --output FILE  the file...".
    help=$("$cli" "$command" --help | sed -nE 's/^  ((-[a-z-]+)(, -[a-z-]+)*( [A-Z]+)?).*/\1/p')
    all=$(names <<<"$help")
    helped="$helped $all"
    with_value="$with_value $(grep -E ' [A-Z]+$' <<<"$help" | names)"
    offered=$(sed -n "/^        $command)/,/;;/p" "$completion" | names)
    same "$command: completion" "$(tr ' ' '\n' <<<"$all --version" | grep -vx -- -h | names)" \
        "$offered"
    first=$(sed -E 's/^(-[a-z-]+).*/\1/' <<<"$help" | grep -vx -- -h | names)
    shown=$(awk -v c="$command" '/^\.SY/ { on = index($0, "tovin-cli " c "\"") > 0 }
        /^\.YS/ { on = 0 } on' <<<"$manual" | names)
    same "$command: manual page synopsis" "$first" "$shown"
done
described=$(awk '/^\.SH OPTIONS/ { on = 1 } /^\.SH EXIT/ { on = 0 }
    on && last == ".TP" { print } { last = $0 }' <<<"$manual" | names)
same "manual page OPTIONS" "$(names <<<"$helped")" "$described"
same "completion of values" "$(names <<<"$with_value")" \
    "$(sed -n '/case \$prev in/,/esac/p' "$completion" | names)"
exit $failed
