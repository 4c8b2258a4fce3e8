#!/usr/bin/env bash
# Builds the Debian package into a scratch directory (or takes the one named by LANTERNA_DEB),
# unpacks it and checks what a person installing it gets: the files, Depends naming Qt and
# libpng, clean validators and man pages, the completion, and the thumbnailer's Exec line run
# as a file manager runs it. Exits 77 (skipped) without dpkg-deb.
# Usage: package_check.sh BUILD_DIR SOURCE_DIR VERSION APPSTREAM_ID
set -euo pipefail
build=$1 source=$2 version=$3 appstream_id=$4
for tool in dpkg-deb dpkg-shlibdeps cpack; do
  command -v "$tool" >/dev/null || { echo "package_check: $tool not installed, skipped"; exit 77; }
done
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
fail() { echo "package_check: $*"; exit 1; }

deb=${LANTERNA_DEB:-}
if [[ -z $deb ]]; then
  cpack -G DEB --config "$build/CPackConfig.cmake" -B "$scratch/pkg" >"$scratch/cpack.log" 2>&1 ||
    { cat "$scratch/cpack.log"; fail "cpack failed"; }
  deb=$(echo "$scratch"/pkg/lanterna_*.deb)
fi
[[ $(basename "$deb") == lanterna_${version}_$(dpkg --print-architecture).deb ]] ||
  fail "unexpected package name $(basename "$deb")"
root=$scratch/root
dpkg-deb -x "$deb" "$root"

# The control fields.
[[ $(dpkg-deb -f "$deb" Package) == lanterna ]] || fail "package name"
[[ $(dpkg-deb -f "$deb" Version) == "$version" ]] || fail "version is not $version"
depends=$(dpkg-deb -f "$deb" Depends)
[[ $depends == *libqt6widgets6* ]] || fail "Depends names no Qt: $depends"
[[ $depends == *libpng16* ]] || fail "Depends names no libpng: $depends"
[[ $depends == *libcairo2* ]] || fail "Depends names no cairo (loaded when first used): $depends"

# The files.
usr=$root/usr
for f in bin/lanterna bin/lanterna-cli bin/LANTERNA.HLP/contexts bin/LANTERNA.HLP/index.html \
  share/applications/lanterna.desktop share/mime/packages/lanterna.xml \
  share/icons/hicolor/scalable/apps/lanterna.svg share/man/man1/lanterna.1.gz \
  share/man/man1/lanterna-cli.1.gz share/bash-completion/completions/lanterna-cli \
  share/thumbnailers/lanterna.thumbnailer "share/metainfo/$appstream_id.metainfo.xml" \
  share/doc/lanterna/copyright; do
  [[ -e $usr/$f ]] || fail "/usr/$f is not in the package"
done
grep -q "GPL-3+" "$usr/share/doc/lanterna/copyright" &&
  grep -q "GNU GENERAL PUBLIC LICENSE" "$usr/share/doc/lanterna/copyright" ||
  fail "the copyright file does not carry the licence"

# Validators and man pages.
missing=()
if command -v desktop-file-validate >/dev/null; then
  out=$(desktop-file-validate "$usr/share/applications/lanterna.desktop" 2>&1) && [[ -z $out ]] ||
    fail "desktop-file-validate: $out"
else missing+=(desktop-file-validate); fi
if command -v appstreamcli >/dev/null; then
  appstreamcli validate --no-net "$usr/share/metainfo/$appstream_id.metainfo.xml" >"$scratch/as.log" 2>&1 ||
    { cat "$scratch/as.log"; fail "appstreamcli validate"; }
  grep -q "<release version=\"$version\"" "$usr/share/metainfo/$appstream_id.metainfo.xml" ||
    fail "the metainfo's release is not $version"
else missing+=(appstreamcli); fi
if command -v groff >/dev/null; then
  for page in lanterna lanterna-cli; do
    out=$(zcat "$usr/share/man/man1/$page.1.gz" | groff -man -ww -z 2>&1) && [[ -z $out ]] ||
      fail "$page.1: $out"
  done
else missing+=(groff); fi
((${#missing[@]} == 0)) || echo "package_check: not installed, not checked: ${missing[*]}"

# The completion offers library members after "LIBRARY,".
members=$(cd "$source/samples" && PATH=$usr/bin:$PATH bash -c '
  source "$1"; COMP_WORDS=(lanterna-cli render shapes.slb,); COMP_CWORD=2; _lanterna_cli
  echo "${COMPREPLY[*]}"' _ "$usr/share/bash-completion/completions/lanterna-cli")
[[ $members == *shapes.slb,SQUARE* ]] || fail "completion after LIBRARY, gave: $members"

# The thumbnailer: its MIME types are the desktop entry's, and its Exec line, filled in as a file
# manager fills it, writes a PNG whose longer side is the size asked for.
thumbnailer=$usr/share/thumbnailers/lanterna.thumbnailer
key() { sed -n "s/^$1=//p" "$2"; }
[[ $(key MimeType "$thumbnailer") == $(key MimeType "$usr/share/applications/lanterna.desktop") ]] ||
  fail "the thumbnailer's MIME types differ from the desktop entry's"
[[ -x $usr/bin/$(key TryExec "$thumbnailer") ]] || fail "TryExec names no installed program"
png_side() {  # the larger of the IHDR width and height
  local w h
  read -r w h < <(od -An -tu1 -j16 -N8 "$1" | awk '{print $1*16777216+$2*65536+$3*256+$4, $5*16777216+$6*65536+$7*256+$8}')
  echo $((w > h ? w : h))
}
read -ra exec_line <<<"$(key Exec "$thumbnailer")"
for input in floorplan.sld shapes.slb sphere.rnd; do
  for size in 128 256; do
    output=$scratch/thumb-$input-$size.png
    args=()
    for word in "${exec_line[@]}"; do
      word=${word//%i/$source/samples/$input}
      word=${word//%o/$output}
      args+=("${word//%s/$size}")
    done
    PATH=$usr/bin:$PATH "${args[@]}" || fail "thumbnailer failed on $input"
    [[ $(head -c 8 "$output" | od -An -tx1 | tr -d ' \n') == 89504e470d0a1a0a ]] ||
      fail "thumbnail of $input is no PNG"
    [[ $(png_side "$output") == "$size" ]] || fail "thumbnail of $input is not $size on its longer side"
  done
done
echo "package_check: $(basename "$deb") holds what it should"
