#!/usr/bin/env bash
# Builds the installer from two built programs.
#   make_installer.sh VERSION BIN_DIR OUT_FILE
set -euo pipefail
version=$1
bin_dir=$(realpath "$2")
out_file=$(realpath -m "$3")
mkdir -p "$(dirname "$out_file")"
source_dir=$(realpath "$(dirname "$0")/..")
# -WX: a warning (a missing string, an unused label) fails the build.
makensis -V2 -WX -INPUTCHARSET UTF8 -DVERSION="$version" -DBIN_DIR="$bin_dir" \
  -DSOURCE_DIR="$source_dir" -DOUT_FILE="$out_file" "$source_dir/packaging/kurimaro.nsi"
