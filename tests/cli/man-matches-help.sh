#!/bin/sh
# Every option and command that chipsmith-cli --help shows is described in its man page.
#   man-matches-help.sh CHIPSMITH_CLI MAN_PAGE
set -eu
help=$("$1" --help)
page=$(sed 's/\\-/-/g; s/\\f[BIRP]//g' "$2")
missing=0
for option in $(printf '%s\n' "$help" | grep -o -E -- '--[a-z][a-z-]+' | grep -v -- '--help-all' | sort -u); do
    printf '%s\n' "$page" | grep -q -- "$option" || { echo "not in the man page: $option"; missing=1; }
done
for command in $(printf '%s\n' "$help" | sed -n '/^Commands:/,/^$/p' | awk 'NF { print $1 }' | grep -v Commands:); do
    printf '%s\n' "$page" | grep -q -E "^\.B[I]? \"?$command" || { echo "not in the man page: $command"; missing=1; }
done
exit $missing
