# The installed tutor and its Debian package. Each generator under tools/ installs its own outputs
# into ${ML_INSTALL_DATADIR}; this file adds the executable, the desktop integration and the
# documentation, and packs all of it: `cmake --build --preset default --target package` writes
# molan-tutor_<version>_amd64.deb into the build folder.
#
# A module loaded at run time goes to ${ML_INSTALL_LIBDIR} (install(TARGETS … LIBRARY DESTINATION
# "${ML_INSTALL_LIBDIR}")), and its target joins the programs whose libraries the package depends
# on: set_property(GLOBAL APPEND PROPERTY ML_PACKAGE_BINARIES <target>). Data for the program
# folder goes to ${ML_INSTALL_DATADIR}, from the rules that make it.

set(install_src "${PROJECT_SOURCE_DIR}/assets/install")
set(install_out "${CMAKE_BINARY_DIR}/install")
file(MAKE_DIRECTORY "${install_out}")

# The release is the changelog's latest entry: its version must be the project's (so a new version
# gets its entry), and its date is the date of the release in the metainfo and the manual page.
set(changelog "${install_src}/changelog")
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS "${changelog}")
file(STRINGS "${changelog}" changelog_head ENCODING UTF-8 LIMIT_COUNT 1)
if(NOT changelog_head MATCHES "^molan-tutor \\(([^)]+)\\) ")
  message(FATAL_ERROR "${changelog}: the first line is not a changelog entry: ${changelog_head}")
endif()
if(NOT CMAKE_MATCH_1 STREQUAL PROJECT_VERSION)
  message(FATAL_ERROR "${changelog}: the latest entry is for ${CMAKE_MATCH_1}, the project is "
                      "${PROJECT_VERSION}; add an entry for ${PROJECT_VERSION}.")
endif()
file(STRINGS "${changelog}" changelog_sign ENCODING UTF-8 REGEX "^ -- " LIMIT_COUNT 1)
if(NOT changelog_sign MATCHES
   "^ -- (.+ <[^>]+>)  [A-Z][a-z][a-z], ([0-9]+) ([A-Z][a-z][a-z]) ([0-9][0-9][0-9][0-9]) ")
  message(FATAL_ERROR "${changelog}: the latest entry has no sign-off line with a date.")
endif()
set(changelog_author "${CMAKE_MATCH_1}")
set(months Jan Feb Mar Apr May Jun Jul Aug Sep Oct Nov Dec)
list(FIND months "${CMAKE_MATCH_3}" month)
math(EXPR month "${month} + 1")
if(month LESS 10)
  set(month "0${month}")
endif()
set(day "${CMAKE_MATCH_2}")
if(day LESS 10)
  set(day "0${day}")
endif()
set(ML_RELEASE_DATE "${CMAKE_MATCH_4}-${month}-${day}")
set(ML_RELEASE_VERSION "${PROJECT_VERSION}")

set(ML_PACKAGE_MAINTAINER "${changelog_author}" CACHE STRING
    "Maintainer of the Debian package (default: the author of the latest changelog entry)")
# AppStream takes only web addresses for these; the project names none until it is published.
set(ML_HOMEPAGE_URL "" CACHE STRING "Web address of the project, for the package and the metainfo")
set(ML_SCREENSHOTS_URL "" CACHE STRING
    "Web address under which docs/screenshots/*.png are served, for the metainfo's screenshots")
set(ML_APPSTREAM_ID "org.molan_tutor.MolanTutor")

# The executable, in bin/ beside share/ (where it finds its data), and the window module it
# loads from ../lib/molan-tutor.
install(TARGETS molan-tutor RUNTIME DESTINATION "${CMAKE_INSTALL_BINDIR}")
install(TARGETS molan-tutor-window LIBRARY DESTINATION "${ML_INSTALL_LIBDIR}")
set_property(GLOBAL APPEND PROPERTY ML_PACKAGE_BINARIES molan-tutor molan-tutor-window)

# The menu entry, the metainfo, the manual page and the package's own documents.
configure_file("${install_src}/molan-tutor.1.in" "${install_out}/molan-tutor.1" @ONLY)
set(manpage "${install_out}/molan-tutor.1.gz")
set(changelog_gz "${install_out}/changelog.gz")
set(metainfo "${install_out}/${ML_APPSTREAM_ID}.metainfo.xml")
find_program(GZIP gzip REQUIRED)
add_custom_command(
  OUTPUT "${manpage}"
  # -n: no name or time stamp inside, so the same page packs to the same bytes.
  COMMAND "${GZIP}" -9nkf "${install_out}/molan-tutor.1"
  DEPENDS "${install_out}/molan-tutor.1"
  VERBATIM)
add_custom_command(
  OUTPUT "${changelog_gz}"
  COMMAND "${CMAKE_COMMAND}" -E copy "${changelog}" "${install_out}/changelog"
  COMMAND "${GZIP}" -9nf "${install_out}/changelog"
  DEPENDS "${changelog}"
  VERBATIM)
add_custom_command(
  OUTPUT "${metainfo}"
  COMMAND "${CMAKE_COMMAND}" "-DTEMPLATE=${install_src}/molan-tutor.metainfo.xml.in"
          "-DOUTPUT=${metainfo}" "-DID=${ML_APPSTREAM_ID}" "-DVERSION=${ML_RELEASE_VERSION}"
          "-DDATE=${ML_RELEASE_DATE}" "-DHOMEPAGE=${ML_HOMEPAGE_URL}"
          "-DSCREENSHOTS=${ML_SCREENSHOTS_URL}" -P "${PROJECT_SOURCE_DIR}/cmake/metainfo.cmake"
  DEPENDS "${install_src}/molan-tutor.metainfo.xml.in" "${PROJECT_SOURCE_DIR}/cmake/metainfo.cmake"
  VERBATIM)
add_custom_target(ml_install_files ALL DEPENDS "${manpage}" "${changelog_gz}" "${metainfo}")

install(FILES "${install_src}/molan-tutor.desktop" DESTINATION "${CMAKE_INSTALL_DATADIR}/applications")
install(FILES "${metainfo}" DESTINATION "${CMAKE_INSTALL_DATADIR}/metainfo")
install(FILES "${manpage}" DESTINATION "${CMAKE_INSTALL_MANDIR}/man1")
install(FILES "${install_src}/copyright" "${changelog_gz}" DESTINATION "share/doc/molan-tutor")

# The package.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME molan-tutor)
set(CPACK_PACKAGE_VERSION "${PROJECT_VERSION}")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_PACKAGE_CONTACT "${ML_PACKAGE_MAINTAINER}")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "typing tutor for the Wubi 86 Chinese input method")
# The long description, in lines as Debian shows them; CPack puts the summary before it.
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION [[
墨岚打字通 teaches typing Chinese with the Wubi 86 (五笔字型 86 版) input method.
The learner opens a practice text and types it line by line with the desktop's
own Wubi input method; every character is judged and coloured, an error sounds,
and time, speed and accuracy run beside the line.

On request the tutor shows how the next character or word is coded: its code,
the keys lit on a keyboard chart of Wubi roots, and a picture of its
decomposition into roots. Plain texts are converted into practice files, the
line reached in each file is kept, and a classroom can practise one shared text
from a network folder.]])
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION education)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
if(ML_HOMEPAGE_URL)
  set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "${ML_HOMEPAGE_URL}")
endif()
# Libraries come from dpkg-shlibdeps, run by cpack over the programs and modules listed in
# ML_PACKAGE_BINARIES (cmake/cpack-project.cmake.in; CPack's own way runs `file` on each of the
# tens of thousands of pictures, which took longer than the whole build). Added to them is what
# no library names: the faces the window's fonts are mapped onto, without which the practice
# line is unreadable, and SDL, which the tutor opens itself when it first plays a sound (without
# it the tutor runs silent, but the error sound is part of the practice).
set(ML_PACKAGE_DEPENDS "fonts-arphic-uming, fonts-arphic-ukai, libsdl2-2.0-0")
function(ml_list_package_binaries)
  get_property(targets GLOBAL PROPERTY ML_PACKAGE_BINARIES)
  set(files "")
  foreach(target IN LISTS targets)
    string(APPEND files "$<TARGET_FILE:${target}>\n")
  endforeach()
  file(GENERATE OUTPUT "${install_out}/binaries.txt" CONTENT "${files}")
endfunction()
# At the end of the configuration, when every folder has named its binaries.
cmake_language(DEFER DIRECTORY "${PROJECT_SOURCE_DIR}" CALL ml_list_package_binaries)
set(ML_PACKAGE_BINARIES_FILE "${install_out}/binaries.txt")
configure_file("${PROJECT_SOURCE_DIR}/cmake/cpack-project.cmake.in" "${install_out}/cpack-project.cmake" @ONLY)
set(CPACK_PROJECT_CONFIG_FILE "${install_out}/cpack-project.cmake")
# The learner needs a Wubi input method, which the tutor does not bring; the dialogs speak Chinese
# with Qt's translations; the heavier CJK face is preferred for the dialogs' texts. libsmbclient
# is opened only for a classroom's share, and without it the tutor says what to install.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS
    "ibus-table-wubi | fcitx5-table, libsmbclient, qt6-translations-l10n, fonts-noto-cjk, fonts-dejavu-core")
set(CPACK_STRIP_FILES ON)
# Nearly all of the package is GIF pictures, compressed already: xz packed it only 4% smaller
# than gzip (102 MB against 107 MB) and took about five times as long.
set(CPACK_DEBIAN_COMPRESSION_TYPE gzip)
set(CPACK_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
    OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
include(CPack)
