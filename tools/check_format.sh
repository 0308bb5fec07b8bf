#!/usr/bin/env bash
# Fails, listing the files, when any C++ source in the tree differs from what clang-format makes of it.
set -euo pipefail
cd "$(dirname "$0")/.."
mapfile -t sources < <(git ls-files '*.cpp' '*.h')
unformatted=()
for file in "${sources[@]}"; do
    if ! clang-format --dry-run --Werror "$file" >/dev/null 2>&1; then unformatted+=("$file"); fi
done
if [[ ${#unformatted[@]} -gt 0 ]]; then
    echo "Not formatted (run: clang-format -i ${unformatted[*]}):" >&2
    printf '  %s\n' "${unformatted[@]}" >&2
    exit 1
fi
echo "All ${#sources[@]} C++ sources are formatted."
