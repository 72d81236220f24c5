#!/usr/bin/env bash
# Screenshots of every window, kept in the folder given.
set -euo pipefail
mkdir -p "$1"
