#!/usr/bin/env bash
# Fails when a file of src/ includes a header of a folder above its own. The
# folders are layers; each may include its own folder and those listed here.
#   check-layers.sh SRC_DIR
set -euo pipefail
src=${1:-$(dirname "$0")/../src}

declare -A allowed=(
    [common]=""
    [resources]=""
    [settings]="common resources"
    [dialoglayer]="common resources"
    [targeting]="settings common resources"
    [engine]="targeting settings common resources"
    [settingsdialog]="targeting settings engine/ActionStep.h dialoglayer common resources"
    [mainwindow]="settingsdialog engine targeting settings dialoglayer common resources"
    [app]="mainwindow settingsdialog engine targeting settings dialoglayer common resources"
)

failures=0
cd "$src"
while IFS= read -r file; do
    layer=${file%%/*}
    [ "$layer" = "$file" ] && continue # files at the root (none today)
    if [ -z "${allowed[$layer]+set}" ]; then
        echo "$file: folder \"$layer\" has no place among the layers" >&2
        failures=$((failures + 1))
        continue
    fi
    while IFS=: read -r line header; do
        target=${header%%/*}
        [ "$target" = "$header" ] && continue # its own folder
        [ "$target" = "$layer" ] && continue
        ok=0
        for permitted in ${allowed[$layer]}; do
            if [ "$permitted" = "$target" ] || [ "$permitted" = "$header" ]; then
                ok=1
                break
            fi
        done
        if [ $ok = 0 ]; then
            echo "${src##*/}/$file:$line: $layer includes \"$header\", a header of a layer it may not use" >&2
            failures=$((failures + 1))
        fi
    done < <(gawk 'match($0, /^[ \t]*#[ \t]*include[ \t]*"([^"]*)"/, m) { print FNR ":" m[1] }' "$file")
done < <(find . -type f \( -name '*.h' -o -name '*.cpp' -o -name '*.rc' \) | sed 's|^\./||' | sort)

if [ $failures -gt 0 ]; then
    echo "$failures include(s) against the layers" >&2
    exit 1
fi
echo "Every include of src/ keeps to the layers."
