#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Draws the link dependencies between the project's own targets, as CMake sees them, into
# docs/dependencies.png (and its source, docs/dependencies.dot). Needs graphviz's dot.
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/build"
# Only the program's own libraries and executable: no tests, tools, or outside libraries.
cat >"$work/build/CMakeGraphVizOptions.cmake" <<'OPTIONS'
set(GRAPHVIZ_GRAPH_NAME "Kerbview libraries")
set(GRAPHVIZ_EXTERNAL_LIBS FALSE)
set(GRAPHVIZ_GENERATE_PER_TARGET FALSE)
set(GRAPHVIZ_GENERATE_DEPENDERS FALSE)
set(GRAPHVIZ_IGNORE_TARGETS "sim.*;standin.*")
OPTIONS
cmake -S . -B "$work/build" -DKERBVIEW_BUILD_TESTS=OFF --graphviz="$work/graph.dot" >/dev/null
# Without the legend: the shapes say little here, every target is a static library but one.
sed '/subgraph clusterLegend/,/^}/d' "$work/graph.dot" >docs/dependencies.dot
dot -Tpng -Gdpi=80 docs/dependencies.dot -o docs/dependencies.png
echo "docs/dependencies.png written"
