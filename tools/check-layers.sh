#!/usr/bin/env bash
# Fails, naming file and line, on an #include of a product folder at or above the including
# folder's floor. Floors, bottom to top: lib, config, menus, skin, browser|launchbar, containers,
# options|update, app. res/ is data; tests/, bench/ and tools/ may include every floor.
set -uo pipefail
cd "$(dirname "$0")/.."
declare -A floor=([lib]=1 [config]=2 [menus]=3 [skin]=4 [browser]=5 [launchbar]=5 [containers]=6
                  [options]=7 [update]=7 [app]=8)
violations=0
for dir in "${!floor[@]}"; do
    [ -d "$dir" ] || continue
    while IFS=: read -r file line text; do
        target=$(sed -E 's/^[[:space:]]*#[[:space:]]*include[[:space:]]*"([a-z]+)\/.*/\1/' <<<"$text")
        [ "$target" = "$dir" ] && continue
        [ -n "${floor[$target]:-}" ] || continue
        if [ "${floor[$target]}" -ge "${floor[$dir]}" ]; then
            echo "$file:$line: $dir/ may not include $target/ (same floor or above)"
            violations=$((violations + 1))
        fi
    done < <(grep -rnE '^[[:space:]]*#[[:space:]]*include[[:space:]]*"[a-z]+/' "$dir" --include=*.cpp --include=*.h)
done
if [ "$violations" -gt 0 ]; then
    echo "$violations include(s) break the layers: lib, config, menus, skin, browser|launchbar, containers, options|update, app"
    exit 1
fi
echo "Layers: every include points to a lower floor."
