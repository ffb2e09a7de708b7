#!/usr/bin/env bash
# CI: every fuzz target for 20 s from the committed seeds; fails on any finding.
set -euo pipefail
exec bash "$(dirname "$0")/fuzz.sh" --ci
