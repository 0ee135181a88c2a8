# Sourced by the Windows scripts: the cross-build's CMake arguments and the deployment of
# Qt beside the programs. Needs $root and $cross.
#
# The desktop program and zornak_plot need a Qt 6 kit for MinGW-w64: ZORNAK_QT_MINGW names
# one (any Qt 6.4 or later built for x86_64-w64-mingw32); otherwise the kit of
# ../shared/qt6-mingw is unpacked under the build folder (never rebuilt here). Without a
# kit only the programs without Qt are built.
if [ -z "${ZORNAK_QT_MINGW:-}" ]; then
  kit_tarball=$root/../shared/qt6-mingw/qt6-mingw-6.4.2.tar.xz
  if [ -f "$kit_tarball" ]; then
    if [ ! -f "$cross/qt-kit/qt6-mingw-6.4.2/lib/cmake/Qt6/qt.toolchain.cmake" ]; then
      rm -rf "$cross/qt-kit"
      mkdir -p "$cross/qt-kit"
      tar -xJf "$kit_tarball" -C "$cross/qt-kit"
    fi
    ZORNAK_QT_MINGW=$cross/qt-kit/qt6-mingw-6.4.2
  fi
fi

toolchain=$root/cmake/mingw-w64-x86_64.cmake
cross_cmake_args=(-DCMAKE_BUILD_TYPE=Release -DZORNAK_WERROR=ON
  -DZORNAK_GTEST_SOURCE=/usr/src/googletest)
if [ -n "${ZORNAK_QT_MINGW:-}" ]; then
  # Qt's toolchain file finds the kit and loads ours for the compiler and static runtime.
  cross_toolchain=$ZORNAK_QT_MINGW/lib/cmake/Qt6/qt.toolchain.cmake
  cross_cmake_args+=(-DQT_CHAINLOAD_TOOLCHAIN_FILE="$toolchain")
else
  cross_toolchain=$toolchain
fi
cross_cmake_args+=(-DCMAKE_TOOLCHAIN_FILE="$cross_toolchain")
# A build folder configured with another toolchain, or for another processor name, starts
# afresh.
if [ -f "$cross/CMakeCache.txt" ] &&
  { ! grep -q "^CMAKE_TOOLCHAIN_FILE:[A-Z]*=$cross_toolchain\$" "$cross/CMakeCache.txt" ||
    grep -qs 'CMAKE_SYSTEM_PROCESSOR "x86_64"' "$cross"/CMakeFiles/*/CMakeSystem.cmake; }; then
  rm -rf "$cross/CMakeCache.txt" "$cross/CMakeFiles"
fi

# The DLLs that the programs and libraries under folder $1 import.
imported_dlls() {
  find "$1" -name '*.exe' -o -name '*.dll' | xargs -r x86_64-w64-mingw32-objdump -p |
    sed -n 's/^\s*DLL Name: //p' | sort -u
}

# Qt beside the programs of folder $1, in windeployqt's layout: the Qt DLLs they import
# (and those import), the platforms (qwindows; qoffscreen for the programs without a
# window), the Windows style, image formats, the svg icon engine and Qt's Polish texts.
deploy_qt() {
  local dest=$1 plugin dll added=1
  [ -n "${ZORNAK_QT_MINGW:-}" ] || return 0
  for plugin in platforms/qwindows platforms/qoffscreen styles/qwindowsvistastyle \
    imageformats/qgif imageformats/qico imageformats/qjpeg imageformats/qsvg \
    iconengines/qsvgicon; do
    mkdir -p "$dest/$(dirname "$plugin")"
    cp "$ZORNAK_QT_MINGW/plugins/$plugin.dll" "$dest/$plugin.dll"
  done
  mkdir -p "$dest/translations"
  cp "$ZORNAK_QT_MINGW/translations/qtbase_pl.qm" "$dest/translations/"
  deploy_icons "$dest"
  while [ "$added" = 1 ]; do
    added=0
    while read -r dll; do
      if [ ! -f "$dest/$dll" ] && [ -f "$ZORNAK_QT_MINGW/bin/$dll" ]; then
        cp "$ZORNAK_QT_MINGW/bin/$dll" "$dest/"
        added=1
      fi
    done < <(imported_dlls "$dest")
  done
}

# The desktop's standard icons (Adwaita's, from Debian's adwaita-icon-theme) beside the
# programs of folder $1: Windows has no freedesktop icon theme.
deploy_icons() {
  local theme=$1/icons/Adwaita size name directories=
  rm -rf "$1/icons"
  for size in 24 48; do
    mkdir -p "$theme/${size}x${size}/legacy"
    for name in document-new document-open document-save document-save-as document-print \
      edit-find edit-cut edit-copy edit-paste edit-undo window-close zoom-fit-best; do
      cp "/usr/share/icons/Adwaita/${size}x${size}/legacy/$name.png" "$theme/${size}x${size}/legacy/"
    done
    directories+=${directories:+,}${size}x${size}/legacy
  done
  {
    printf '[Icon Theme]\nName=Adwaita\nComment=The icons ZORNAK_edz shows\n'
    printf 'Directories=%s\n' "$directories"
    for size in 24 48; do
      printf '\n[%sx%s/legacy]\nSize=%s\nContext=Legacy\nType=Fixed\n' "$size" "$size" "$size"
    done
  } >"$theme/index.theme"
  mkdir -p "$1/licencje"
  cp /usr/share/doc/adwaita-icon-theme/copyright "$1/licencje/adwaita-icon-theme.txt"
}

# Fails when a DLL imported under folder $1 is neither there nor Windows' own.
check_imports() {
  local dest=$1 system=$WINEPREFIX/drive_c/windows/system32 missing=0 dll
  while read -r dll; do
    if [ ! -f "$dest/$dll" ] && [ ! -f "$system/${dll,,}" ] && [ ! -f "$system/$dll" ] &&
      [[ ${dll,,} != api-ms-win-* ]]; then
      echo "BŁĄD: nikt nie dostarcza $dll" >&2
      missing=1
    fi
  done < <(imported_dlls "$dest")
  return $missing
}
