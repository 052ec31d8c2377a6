#!/usr/bin/env bash
# Fails, naming the file and the line, when a source file includes a header of a higher layer than its
# own. The layers and their order are in scripts/layers.txt. Both forms are read, "Name.h" and
# <Name.h>: every layer folder is on the include path, so either finds our headers. A name is looked up
# among the headers of every layer (a name with folders, by the end of a header's path); a name found
# in none (Qt, the standard library, a library's) is not ours and is skipped. Tests and Tools are not
# read: they sit above everything they include.
#   scripts/check-layers.sh [ROOT [LAYERS]]   (defaults: this repository and scripts/layers.txt; LAYERS
#   is read from ROOT)
set -uo pipefail
here=$(cd "$(dirname "$0")" && pwd)
case ${1:-} in
-h | --help)
    sed -n '2,8p' "$0" | sed 's/^# \{0,1\}//'
    exit 0
    ;;
esac
root=${1:-$here/..}
layers=${2:-$here/layers.txt}
cd "$root" || exit 2
[ -r "$layers" ] || { echo "check-layers: cannot read $layers" >&2; exit 2; }

# "rank name folder" for every folder of every layer.
folders=$(awk '!/^[[:space:]]*(#|$)/ { for (i = 2; i <= NF; ++i) print NR, $1, $i }' "$layers")
[ -n "$folders" ] || { echo "check-layers: no layers in $layers" >&2; exit 2; }
roots=$(awk '{ print $3 }' <<<"$folders")
# shellcheck disable=SC2086
for folder in $roots; do
    [ -d "$folder" ] || { echo "check-layers: $layers names $folder, which does not exist" >&2; exit 2; }
done
# Every source below the top folders the layers share (ZunoKit/Sources, ...), so that a folder left out
# of every layer is noticed.
tops=$(awk -F/ '{ print $1 "/" $2 }' <<<"$roots" | sort -u)
# shellcheck disable=SC2086
sources=$(find $tops -type f \( -name '*.h' -o -name '*.cpp' -o -name '*.cpp.in' \) | sort)
[ -n "$sources" ] || { echo "check-layers: no sources below $tops" >&2; exit 2; }

# shellcheck disable=SC2086
{
    printf '%s\n' "$folders" | sed 's/^/L /'
    printf '%s\n' "$sources" | sed 's/^/F /'
    # grep finding no include at all is no failure.
    { grep -nH -E '^[[:space:]]*#[[:space:]]*include[[:space:]]*["<]' $sources || [ $? -eq 1 ]; } | sed 's/^/I /'
} | awk '
# The layer of a path: the longest layer folder it lies in.
function layerOf(path,    best, length_, f) {
    best = ""; length_ = 0
    for (f in rankOf)
        if ((path == f || index(path, f "/") == 1) && length(f) > length_) { best = f; length_ = length(f) }
    return best
}
$1 == "L" { rankOf[$4] = $2; nameOf[$4] = $3; next }
$1 == "F" {
    folder = layerOf($2)
    if (folder == "") { print $2 ": in no layer of the layer list"; ++failures; next }
    fileFolder[$2] = folder
    n = split($2, parts, "/"); base = parts[n]
    if (base ~ /\.h$/) {
        if (base in header) { print $2 ": another header has the same name: " header[base]; ++failures }
        header[base] = $2
    }
    next
}
$1 == "I" {
    line = substr($0, 3)
    split(line, pieces, ":"); file = pieces[1]; number = pieces[2]
    # The name as written, with its quotes or angle brackets.
    text = substr(line, length(file) + length(number) + 3)
    if (!match(text, /"[^"]+"|<[^>]+>/)) next
    includes[++count] = file SUBSEP number SUBSEP substr(text, RSTART, RLENGTH)
}
# The header of ours that an include name finds, or "" for none.
function headerOf(name,    n, parts, base, suffix, h) {
    while (name ~ /^\.\.?\//) sub(/^\.\.?\//, "", name)
    n = split(name, parts, "/"); base = parts[n]
    if (!(base in header)) return ""
    if (n == 1) return header[base]
    suffix = "/" name
    h = header[base]
    return substr(h, length(h) - length(suffix) + 1) == suffix ? h : ""
}
END {
    for (i = 1; i <= count; ++i) {
        split(includes[i], item, SUBSEP); file = item[1]; number = item[2]; written = item[3]
        target = headerOf(substr(written, 2, length(written) - 2))
        if (target == "") continue
        from = fileFolder[file]; to = fileFolder[target]
        if (rankOf[to] + 0 > rankOf[from] + 0) {
            printf "%s:%s: includes %s (%s, layer %s) from layer %s\n", file, number, written, target, nameOf[to], nameOf[from]
            ++upward
        }
    }
    if (upward) print upward " include(s) reach a higher layer"
    if (failures || upward) exit 1
    print "every include stays in its layer or reaches a lower one"
}'
