#!/usr/bin/env bash
# Runs every test through CTest with Qt's offscreen platform, with a throwaway PostgreSQL
# cluster on loopback for the server tests (one per build folder, so parallel checkouts don't
# meet). Arguments after the build folder go to ctest, e.g. -R Farmer.
set -euo pipefail
build=$(realpath "${1:-build}")
tag=$(echo "$build" | cksum | cut -d' ' -f1)
pgdir=/tmp/canemill-pg-$tag
export SM_PG_PORT=$((55000 + tag % 900))
eval "export $(bash scripts/pg.sh start "$pgdir")"
trap 'bash scripts/pg.sh stop "$pgdir"' EXIT
export QT_QPA_PLATFORM=offscreen
ctest --test-dir "$build" --output-on-failure -j"${TEST_JOBS:-$(nproc)}" "${@:2}"
