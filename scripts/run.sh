#!/usr/bin/env bash
# Builds the planner and starts it; arguments are passed on (e.g. --home DIR).
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/build.sh
exec ./build/app/daybrook "$@"
