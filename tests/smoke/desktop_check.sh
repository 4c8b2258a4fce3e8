#!/usr/bin/env bash
# Installs the build into a scratch prefix and checks the desktop integration there: the files
# in place, well-formed, valid where the validators are installed, and the file types found by
# name and by content.
# Usage: desktop_check.sh BUILD_DIR SOURCE_DIR MIME_CHECK
set -euo pipefail
build=$1 source=$2 checker=$3
prefix=$(mktemp -d)
trap 'rm -rf "$prefix"' EXIT

cmake --install "$build" --prefix "$prefix" >/dev/null
share=$prefix/share
for f in bin/lanterna bin/lanterna-cli bin/LANTERNA.HLP/contexts bin/LANTERNA.HLP/index.html \
  share/applications/lanterna.desktop share/mime/packages/lanterna.xml \
  share/icons/hicolor/scalable/apps/lanterna.svg; do
  [[ -e "$prefix/$f" ]] || { echo "desktop_check: $f was not installed"; exit 1; }
done

if command -v xmllint >/dev/null; then
  xmllint --noout "$share/mime/packages/lanterna.xml" "$share/icons/hicolor/scalable/apps/lanterna.svg"
else
  echo "desktop_check: xmllint not installed, XML not checked"
fi
if command -v desktop-file-validate >/dev/null; then
  desktop-file-validate "$share/applications/lanterna.desktop"
else
  echo "desktop_check: desktop-file-validate not installed, desktop entry not validated"
fi

# Files named in capitals, and files whose names say nothing (found by their first bytes).
samples=$prefix/samples
mkdir -p "$samples"
cp "$source/samples/floorplan.sld" "$samples/PLAN.SLD"
cp "$source/samples/shapes.slb" "$samples/shapes.slb"
cp "$source/samples/sphere.rnd" "$samples/Sphere.Rnd"
cp "$source/samples/floorplan.sld" "$samples/slide"
cp "$source/samples/shapes.slb" "$samples/library"
cp "$source/samples/sphere.rnd" "$samples/rendering"
check() {
  XDG_DATA_HOME=$prefix/nohome XDG_DATA_DIRS=$share "$checker" \
    "$samples/PLAN.SLD=application/x-autocad-slide" \
    "$samples/shapes.slb=application/x-autocad-slide-library" \
    "$samples/Sphere.Rnd=application/x-autoshade-rendering" \
    "$samples/slide=application/x-autocad-slide" \
    "$samples/library=application/x-autocad-slide-library" \
    "$samples/rendering=application/x-autoshade-rendering"
}
check
# The compiled database, as the desktop uses it once update-mime-database has run.
if command -v update-mime-database >/dev/null; then
  # It reminds that the prefix is not among the places searched: expected here.
  update-mime-database "$share/mime" >"$prefix/update-mime.log" 2>&1 ||
    { cat "$prefix/update-mime.log"; exit 1; }
  [[ -f "$share/mime/application/x-autocad-slide.xml" ]] ||
    { echo "desktop_check: update-mime-database made nothing of the package"; exit 1; }
  check
fi
echo "desktop_check: desktop files installed and recognised"
