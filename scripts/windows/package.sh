# SPDX-License-Identifier: GPL-3.0-or-later
# Sourced by scripts/windows.sh: the portable zip and the installer.

project_version() { sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$build/CMakeCache.txt"; }

# The staged folder: the programs, the Qt and mingw-w64 runtime DLLs they load, the plugins they
# need, a qt.conf that keeps Qt to the folder, a README and the licences.
stage_package() {
    local version name
    version=$(project_version)
    name=zanora-$version-win64
    stage=$build/package/$name
    rm -rf "$build/package"
    mkdir -p "$stage"/{platforms,imageformats,styles,licenses,translations}
    cp "$build/zanora.exe" "$build/zanora-cli.exe" "$stage/"
    cp "$build/tools/adserver.exe" "$stage/zanora-adserver.exe"
    cp "$qt_win/plugins/platforms/qwindows.dll" "$stage/platforms/"
    # PNG and BMP are built into Qt GUI; JPEG and GIF come as plugins.
    cp "$qt_win/plugins/imageformats/"{qjpeg,qgif,qico}.dll "$stage/imageformats/"
    cp "$qt_win/plugins/styles/qwindowsvistastyle.dll" "$stage/styles/"

    # Every DLL these load that is not part of Windows, found in the Qt or mingw-w64 folders.
    local dirs=("$qt_win/bin"
        "$(dirname "$(x86_64-w64-mingw32-g++-posix -print-file-name=libstdc++-6.dll)")"
        "$(dirname "$(x86_64-w64-mingw32-g++-posix -print-file-name=libwinpthread-1.dll)")")
    local queue=("$stage"/*.exe "$stage"/*/*.dll) file dll dir
    while [ ${#queue[@]} -gt 0 ]; do
        file=${queue[0]}
        queue=("${queue[@]:1}")
        for dll in $(x86_64-w64-mingw32-objdump -p "$file" | sed -n 's/^\s*DLL Name: //p'); do
            [ -f "$stage/$dll" ] && continue
            for dir in "${dirs[@]}"; do
                if [ -f "$dir/$dll" ]; then
                    cp "$dir/$dll" "$stage/"
                    queue+=("$stage/$dll")
                    break
                fi
            done
        done
    done
    # With Prefix = . Qt's own translations are looked up in translations\ too.
    cp "$build"/translations/*.qm "$stage/translations/"
    cp /usr/share/qt5/translations/qtbase_zh_CN.qm "$stage/translations/"
    printf '[Paths]\r\nPrefix = .\r\nPlugins = .\r\n' >"$stage/qt.conf"
    sed "s/@VERSION@/$version/g; s/\$/\r/" "$top/dist/windows/readme.txt" >"$stage/README.txt"
    stage_licences "$stage"
}

# The project's licence, and Qt's with the exact version and the source it was built from.
stage_licences() {
    local stage=$1 qt_version source
    sed 's/$/\r/' "$top/LICENSE" >"$stage/LICENSE.txt"
    qt_version=$(sed -n 's/^qtbase \([^;]*\);.*/\1/p' "$qt_win/.zanora-complete")
    source=$(cat "$qt_win/licenses/SOURCE" 2>/dev/null || true)
    # A cache made before the licences were kept: the host's own qtbase is the same package.
    [ -n "$source" ] || source="qtbase-opensource-src_$(dpkg-query -W -f='${source:Version}' \
        libqt5core5a).dsc"
    {
        echo "Qt $qt_version (qtbase), used by zanora.exe and zanora-cli.exe as the DLLs Qt5*.dll"
        echo "and the plugins in platforms\\, imageformats\\ and styles\\, is licensed under the"
        echo "GNU Lesser General Public License version 3 (LGPL-3.0, LGPL-3.txt in this folder)."
        echo
        echo "It was built without changes from Debian's source package $source:"
        echo "  https://deb.debian.org/debian/pool/main/q/qtbase-opensource-src/"
        echo "  https://sources.debian.org/src/qtbase-opensource-src/"
        echo "with mingw-w64 (x86_64-w64-mingw32-g++-posix) by scripts/windows.sh of Zanora, whose"
        echo "configure options that script lists. The DLLs may be replaced by any other build of"
        echo "Qt $qt_version with the same options."
        echo
        echo "translations\\qtbase_zh_CN.qm, Qt's own Chinese texts, comes from Debian's package"
        echo "qttranslations5-l10n $(dpkg-query -W -f='${Version}' qttranslations5-l10n) (LGPL-3.0 as well)."
        echo
        echo "libgcc_s_seh-1.dll, libstdc++-6.dll and libwinpthread-1.dll are the mingw-w64 GCC"
        echo "runtime: GPL-3.0 with the GCC Runtime Library Exception, and MIT (winpthreads)."
    } | sed 's/$/\r/' >"$stage/licenses/Qt.txt"
    if [ -f "$qt_win/licenses/LICENSE.LGPL3" ]; then
        sed 's/$/\r/' "$qt_win/licenses/LICENSE.LGPL3" >"$stage/licenses/LGPL-3.txt"
    else
        sed 's/$/\r/' /usr/share/common-licenses/LGPL-3 >"$stage/licenses/LGPL-3.txt"
    fi
    sed 's/$/\r/' /usr/share/common-licenses/GPL-3 >"$stage/licenses/GPL-3.txt"
}

package_zip() {
    local name
    name=$(basename "$stage")
    zip_file=$build/$name.zip
    rm -f "$zip_file"
    (cd "$build/package" && zip -q -r -9 "$zip_file" "$name") || die "zip failed"
    echo "Package: $zip_file ($(du -h "$zip_file" | cut -f1), unpacked $(du -sh "$stage" | cut -f1))"
    (cd "$build/package" && find "$name" -type f | sort | sed 's/^/  /')
}

# The installer: NSIS, from the staged folder. The uninstaller removes exactly the files installed.
package_installer() {
    local version nsis=$build/package/nsis
    version=$(project_version)
    setup_file=$build/zanora-$version-win64-setup.exe
    mkdir -p "$nsis"
    local rel dir
    (
        cd "$stage"
        find . -type d | sort | while read -r dir; do
            rel=${dir#./}
            [ "$dir" = . ] && echo "SetOutPath \"\$INSTDIR\"" ||
                echo "SetOutPath \"\$INSTDIR\\${rel//\//\\}\""
            find "$dir" -maxdepth 1 -type f | sort | while read -r file; do
                echo "File \"$stage/${file#./}\""
            done
        done
    ) >"$nsis/files.nsh"
    (
        cd "$stage"
        find . -type f | sort | while read -r file; do
            rel=${file#./}
            echo "Delete \"\$INSTDIR\\${rel//\//\\}\""
        done
        find . -mindepth 1 -type d | sort -r | while read -r dir; do
            rel=${dir#./}
            echo "RMDir \"\$INSTDIR\\${rel//\//\\}\""
        done
    ) >"$nsis/unfiles.nsh"
    makensis -V2 -INPUTCHARSET UTF8 -DVERSION="$version" -DSTAGE="$stage" -DFILES="$nsis/files.nsh" \
        -DUNFILES="$nsis/unfiles.nsh" -DOUTFILE="$setup_file" -DLICENSE="$stage/LICENSE.txt" \
        -DICON="$top/ui/app/zanora.ico" "$top/dist/windows/zanora.nsi" >"$nsis/makensis.log" 2>&1 ||
        die "makensis failed (see $nsis/makensis.log)"
    echo "Installer: $setup_file ($(du -h "$setup_file" | cut -f1))"
}
