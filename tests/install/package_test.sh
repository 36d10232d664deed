#!/bin/sh
# package_test: the Debian package as a packager and an archive check it.
#
#   package_test.sh <build-dir> <version>
#
# Builds the package with cpack into a temporary folder, then: its name; lintian with no errors;
# its AppStream metadata accepted by appstreamcli; exactly the files `cmake --install` puts under
# /usr, the launcher on the PATH and the menu entry starting it; the control fields; and Depends
# naming the libraries the program links, as dpkg-shlibdeps found them.
set -eu

build=$(cd "$1" && pwd -P)
version=$2
tmp=$(cd "$(mktemp -d /tmp/moxel-package.XXXXXX)" && pwd -P)
trap 'rm -rf "$tmp"' EXIT
trap 'exit 1' INT TERM

. "$(dirname "$0")/checks.sh"

die() {
    echo "FAIL: $*"
    exit 1
}

for tool in cpack lintian appstreamcli dpkg-deb dpkg-shlibdeps; do
    command -v "$tool" >/dev/null || die "$tool is needed (packages cmake, lintian, appstream, dpkg-dev)"
done

# --- Build the package -----------------------------------------------------------------------------
arch=$(dpkg --print-architecture)
deb=$tmp/moxelpark_${version}_$arch.deb
(cd "$build" && cpack -G DEB -B "$tmp") >"$tmp/cpack.log" 2>&1 || { cat "$tmp/cpack.log"; die "cpack failed"; }
[ -f "$deb" ] || { ls "$tmp"; die "no $(basename "$deb")"; }

# --- lintian: no errors -----------------------------------------------------------------------------
lintian "$deb" >"$tmp/lintian.log" 2>&1 || true
cat "$tmp/lintian.log"
check "lintian reports no errors" sh -c "! grep -q '^E:' '$tmp/lintian.log'"

# --- AppStream metadata -------------------------------------------------------------------------------
mkdir "$tmp/root"
dpkg-deb -x "$deb" "$tmp/root"
metainfo=$tmp/root/usr/share/metainfo/example.moxelpark.Moxelpark.metainfo.xml
check "the metainfo file is shipped" test -f "$metainfo"
check "appstreamcli accepts the metainfo" appstreamcli validate --no-net "$metainfo"
check "the metainfo names the release $version" grep -q "<release version=\"$version\"" "$metainfo"
check "the metainfo launches the menu entry" grep -q '<launchable type="desktop-id">moxelpark.desktop<' "$metainfo"

# --- The same files as cmake --install under /usr -----------------------------------------------------
DESTDIR=$tmp/installed cmake --install "$build" --prefix /usr >"$tmp/install.log" 2>&1 ||
    die "cmake --install failed"
files() { (cd "$1" && find . \( -type f -o -type l \) | LC_ALL=C sort); }
files "$tmp/installed" >"$tmp/installed.txt"
files "$tmp/root" >"$tmp/package.txt"
if ! cmp -s "$tmp/installed.txt" "$tmp/package.txt"; then
    echo "FAIL: the package's files differ from cmake --install's:"
    diff "$tmp/installed.txt" "$tmp/package.txt" || true
    failures=$((failures + 1))
fi
for f in usr/bin/moxelpark usr/libexec/moxelpark/moxelpark usr/share/moxelpark/data/gfx.png \
    usr/share/applications/moxelpark.desktop usr/share/icons/hicolor/64x64/apps/moxelpark.png \
    usr/share/doc/moxelpark/copyright usr/share/doc/moxelpark/changelog.gz; do
    check "the package holds /$f" test -e "$tmp/root/$f"
done
check "moxelpark is on the PATH in /usr/games" test "$(readlink -f "$tmp/root/usr/games/moxelpark")" = \
    "$tmp/root/usr/bin/moxelpark"
check "the menu entry starts /usr/bin/moxelpark" \
    grep -qx 'Exec="/usr/bin/moxelpark"' "$tmp/root/usr/share/applications/moxelpark.desktop"

# --- Control fields and Depends ------------------------------------------------------------------------
field() { dpkg-deb -f "$deb" "$1"; }
check "Package is moxelpark" test "$(field Package)" = moxelpark
check "Version is $version" test "$(field Version)" = "$version"
check "Section is games" test "$(field Section)" = games
check "the maintainer is the team" test "$(field Maintainer)" = "The Moxelpark Team <team@moxelpark.example>"
check "Homepage" test "$(field Homepage)" = https://moxelpark.example
depends=$(field Depends)
echo "Depends: $depends"
# dpkg-shlibdeps writes each library's package with the least version the program needs.
for lib in libglfw3 libopenal1 libgl1 libstdc++6; do
    check "Depends names $lib" sh -c "echo '$depends' | tr ',|' '\n\n' | sed 's/^ *//' | grep -q '^$lib\\( \\|\$\\)'"
done

if [ "$failures" -gt 0 ]; then
    echo "$failures check(s) failed"
    exit 1
fi
echo "all package checks passed"
