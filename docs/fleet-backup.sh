#!/bin/sh
# Backs up the elevator parameters of every controller whose port is listed
# in a file, one port a line (COM1, /dev/ttyUSB0, ...; blank lines and
# lines starting with # are skipped). Each backup is named by the elevator
# ID and the date: FOLDER/<ID>-<YYYY-MM-DD>.F. A JSON summary goes to the
# standard output; the exit status is 0 when every backup was made, 1
# otherwise, 2 on a usage error.
#
# Usage: fleet-backup.sh PORTS-FILE [FOLDER]
# The environment variable VARDO_CLI names the vardo-cli to run.

set -u

if [ $# -lt 1 ] || [ $# -gt 2 ]; then
    echo "usage: fleet-backup.sh PORTS-FILE [FOLDER]" >&2
    exit 2
fi
ports=$1
folder=${2:-.}
cli=${VARDO_CLI:-vardo-cli}
date=$(date +%Y-%m-%d)

# A text as a JSON string: backslashes and quotes escaped, control
# characters dropped.
json_string() {
    printf '"%s"' "$(printf '%s' "$1" | tr -d '\000-\037' | sed -e 's/\\/\\\\/g' -e 's/"/\\"/g')"
}

# A string field of info --json as it stands there, escaped for JSON.
json_field() {
    printf '%s' "$1" | sed -n "s/.*\"$2\":\"\\(\\([^\"\\\\]\\|\\\\.\\)*\\)\".*/\\1/p"
}

errors=$(mktemp) || exit 2
trap 'rm -f "$errors"' EXIT
failed=0
entries=""
while IFS= read -r port || [ -n "$port" ]; do
    case $port in
        ''|'#'*) continue ;;
    esac
    id=""
    file=""
    error=""
    if info=$("$cli" --port "$port" info --json 2>"$errors"); then
        id=$(json_field "$info" id)
        file="$folder/$(json_field "$info" id_file_name)-$date.F"
        if ! "$cli" --port "$port" params read --fast --quiet -o "$file" 2>"$errors"; then
            error=$(cat "$errors")
            file=""
        fi
    else
        error=$(cat "$errors")
    fi
    if [ -n "$error" ]; then
        failed=1
        ok=false
    else
        ok=true
    fi
    entry="{\"port\":$(json_string "$port"),\"id\":\"$id\",\"file\":$(json_string "$file"),\"ok\":$ok"
    [ -n "$error" ] && entry="$entry,\"error\":$(json_string "${error#vardo-cli: }")"
    entries="$entries${entries:+,}$entry}"
done < "$ports"

printf '{"date":"%s","backups":[%s]}\n' "$date" "$entries"
exit $failed
