#!/usr/bin/env bash
# Checks that #include directions point one way: between the runtime's folders, from the library's
# folders down to the runtime, from the stand-in host (host/) to the runtime, from the quon-host
# application to host/, and between the files of host/ and of the application. Prints each include
# that points the wrong way and exits 1 when there is one.
set -euo pipefail
cd "$(dirname "$0")/.."

# Folders from the bottom up: a file may include headers of its own folder and of folders below it.
folders=(platform memory strings hostabi diagnostics datatypes evaluator externlib interface testlib)
# host/ sits on the runtime (up to evaluator/) and its shared words; the application on host/.
host_rank=7        # as if just above evaluator/, but beside externlib/, interface/ and testlib/
app_rank=8
# The one header of the library's folders that the application shares: the escape step, so that the
# pictures' plain C++ baseline computes what the library's rows compute.
app_shared_header=testlib/EscapeStep.h
# host/'s own files from the bottom up: values, the evaluator and its table, values the host owns,
# their checks, functions, calls, loading, the library client.
host_files=(HostFaults HostThreadWords LibraryBoundary HostValues ValueEntries HostEvaluator FaultyEntries HostContext Value TypeCheck HostFunction
    CallFrame ElfImage LibraryLoader ClosestName TypeTextErrors HostLibrary)
# The application's parts from the bottom up: its expression language, pictures and boards, the
# conformance runner, then the commands at the top of quon-host/.
app_parts=(expr picture life conform .)

rank_of_folder() {
    local i
    for i in "${!folders[@]}"; do [ "${folders[$i]}" = "$1" ] && { echo "$i"; return; }; done
    case "$1" in host) echo "$host_rank" ;; quon-host) echo "$app_rank" ;; *) echo "" ;; esac
}
rank_in() {  # rank_in NAME LIST...: the position of NAME in the list, or empty
    local name="$1" i=0
    shift
    for item in "$@"; do [ "$item" = "$name" ] && { echo "$i"; return; }; i=$((i + 1)); done
    echo ""
}

bad=0
complain() {
    echo "$1 includes \"$2\": $3"
    bad=1
}

for folder in "${folders[@]}" host quon-host; do
    while IFS= read -r file; do
        from_rank="$(rank_of_folder "$folder")"
        while IFS= read -r target; do
            to_folder="${target%%/*}"
            to_rank="$(rank_of_folder "$to_folder")"
            [ -n "$to_rank" ] || continue  # a system or generated header
            [ "$folder" = quon-host ] && [ "$target" = "$app_shared_header" ] && continue
            if [ "$folder" = host ] && [[ "$to_folder" =~ ^(externlib|testlib|interface)$ ]]; then
                complain "$file" "$target" "the host uses the runtime, never the library's own folders"
            elif [ "$to_rank" -gt "$from_rank" ]; then
                complain "$file" "$target" "$to_folder/ lies above $folder/"
            elif [ "$folder" = host ] && [ "$to_folder" = host ]; then
                from="$(rank_in "$(basename "${file%.*}")" "${host_files[@]}")"
                to="$(rank_in "$(basename "${target%.*}")" "${host_files[@]}")"
                if [ -z "$from" ] || [ -z "$to" ]; then
                    complain "$file" "$target" "add the file to host_files in $0"
                elif [ "$to" -gt "$from" ]; then
                    complain "$file" "$target" "host/ files include only those below them"
                fi
            elif [ "$folder" = quon-host ] && [ "$to_folder" = quon-host ]; then
                part_of() { local p="${1#quon-host/}"; [[ "$p" == */* ]] && echo "${p%%/*}" || echo .; }
                from="$(rank_in "$(part_of "$file")" "${app_parts[@]}")"
                to="$(rank_in "$(part_of "$target")" "${app_parts[@]}")"
                if [ "$to" -gt "$from" ] || { [ "$to" = "$from" ] && [ "$from" != 4 ] &&
                    [ "$(part_of "$file")" != "$(part_of "$target")" ]; }; then
                    complain "$file" "$target" "the application's parts include only those below them"
                fi
            fi
        done < <(sed -n 's/^#include "\([^"]*\)".*/\1/p' "$file")
    done < <(find "$folder" -name '*.h' -o -name '*.cpp')
done

# Only the application, its tests, fuzz targets and benchmarks reach into quon-host/.
while IFS= read -r hit; do
    complain "${hit%%:*}" "$(sed -n 's/.*#include "\([^"]*\)".*/\1/p' <<<"${hit#*:}")" \
        "only the application, its tests, fuzz targets and benchmarks use quon-host/"
done < <(grep -rn '#include "quon-host/' --include='*.h' --include='*.cpp' \
    "${folders[@]}" host examples tools 2>/dev/null || true)

[ "$bad" -eq 0 ] && echo "Includes point one way."
exit "$bad"
