# SPDX-License-Identifier: GPL-3.0-or-later
# The Debian package, built by `make deb` with CPack's DEB generator from the install
# rules. Configure with -DCMAKE_INSTALL_PREFIX=/usr: the window opens the README at the
# path fixed at build time, which must be where the package puts it.
if(NOT CMAKE_INSTALL_PREFIX STREQUAL "/usr")
  message(STATUS "The Debian package needs -DCMAKE_INSTALL_PREFIX=/usr (here: ${CMAKE_INSTALL_PREFIX})")
endif()

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME tovin)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "The Tovin developers")
set(CPACK_PACKAGE_CONTACT "Tovin developers <maintainers@users.noreply.c-seed-05f68600.example>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "binaural beat tone player")
set(CPACK_PACKAGE_DESCRIPTION
  "Tovin plays binaural beat tones: a stereo pair of sine tones whose left
and right pitches differ by a small beat below a carrier pitch, with the
two channels exchanged every ten seconds, and an optional generative MIDI
accompaniment.

The package holds the window, tovin, and the command line, tovin-cli,
which plays and renders the tone, and plays, checks and renders session
files (*.sbg): timelines of binaural and isochronic tones, plain tones
and noise.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE
    GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)

set(CPACK_DEBIAN_PACKAGE_SECTION sound)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
# The libraries come from dpkg-shlibdeps; what is loaded at run time by path is named
# here: a General MIDI SoundFont for the accompaniment, and the font of the window's
# Japanese labels.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "timgm6mb-soundfont | sf2-soundfont-gm, fonts-ipafont-gothic")
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
find_program(TOVIN_DPKG dpkg)
if(TOVIN_DPKG)
  execute_process(COMMAND ${TOVIN_DPKG} --print-architecture
                  OUTPUT_VARIABLE CPACK_DEBIAN_PACKAGE_ARCHITECTURE OUTPUT_STRIP_TRAILING_WHITESPACE)
else()
  set(CPACK_DEBIAN_PACKAGE_ARCHITECTURE amd64)
endif()
# The name CPack gives it; make deb copies it to the top of the tree.
set(TOVIN_DEB_FILE
    ${CPACK_PACKAGE_NAME}_${PROJECT_VERSION}_${CPACK_DEBIAN_PACKAGE_ARCHITECTURE}.deb)

include(CPack)
