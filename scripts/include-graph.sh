#!/bin/sh
# Prints the include graph of src/ folder by folder, in Graphviz's DOT language: an
# arrow from a folder to each folder whose headers it includes, floors at the bottom.
#   ./scripts/include-graph.sh | dot -Tpng -o include-graph.png
set -e
cd "$(dirname "$0")/../src"
echo 'digraph floors {'
echo '  rankdir=BT; node [shape=box, fontname="DejaVu Sans"];'
echo '  { rank=same; base; } { rank=same; widgets; } { rank=same; localization; }'
echo '  { rank=same; printing; link; } { rank=same; programming; logs; reports; import; } { rank=same; main; }'
for dir in */; do
    from=${dir%/}
    grep -ho '#include "[a-z]*/' "$from"/*.h "$from"/*.cpp 2>/dev/null | sed 's/#include "//; s#/##' | sort -u |
        while read -r to; do
            if [ "$to" != "$from" ]; then echo "  $from -> $to;"; fi
        done
done
echo '}'
