# SPDX-License-Identifier: GPL-3.0-or-later
# `cpack -G DEB` in the build folder packs what `cmake --install` installs into a Debian package
# (zanora_<version>_<arch>.deb). The library dependencies come from dpkg-shlibdeps (dpkg-dev).
set(CPACK_PACKAGE_NAME zanora)
set(CPACK_PACKAGE_VENDOR "Zanora")
set(CPACK_PACKAGE_CONTACT "Zanora maintainers <maintainers@zanora.invalid>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "gathers the full-size originals of picked photos")
set(CPACK_PACKAGE_DESCRIPTION
"Zanora is a desktop tool for photo studios. A client keeps small copies of
the pictures they picked in a folder tree; the full-size originals (RAW, JPEG,
sidecars) lie in another tree. One click gathers, for every pick, every
original whose name without suffix occurs in the pick's file name, and copies
them to an output folder, flat or mirroring the picks' sub-folders.
.
The package also holds zanora-adserver, a stand-in for the studio's ad server.")
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION graphics)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# The window's texts are Chinese; Qt's own texts (the folder chooser, the standard buttons) come
# in Chinese from Qt's translations; xdg-open opens the ad links in the browser.
if(ZANORA_QT_MAJOR STREQUAL "6")
    set(ZANORA_QT_TRANSLATIONS_PACKAGE qt6-translations-l10n)
else()
    set(ZANORA_QT_TRANSLATIONS_PACKAGE qttranslations5-l10n)
endif()
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS
    "fonts-wqy-microhei | fonts-noto-cjk, ${ZANORA_QT_TRANSLATIONS_PACKAGE}, xdg-utils")
include(CPack)
