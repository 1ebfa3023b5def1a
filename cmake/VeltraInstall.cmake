# Installing and packaging: the three programs, the desktop entry and icon (with the desktop
# program), a manual page per program made from its --help, and a Debian package (cpack -G DEB).
include(GNUInstallDirs)

set(_programs veltra-adjust-cli)
if(TARGET veltra-vprinter)
  list(APPEND _programs veltra-vprinter)
endif()
if(TARGET veltra-adjust)
  list(PREPEND _programs veltra-adjust)
endif()
install(TARGETS ${_programs} RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})

if(TARGET veltra-adjust)
  install(FILES ${PROJECT_SOURCE_DIR}/data/veltra-adjust.desktop
    DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
  install(FILES ${VELTRA_ICON_DIR}/veltra-adjust.svg
    DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
  foreach(_size IN LISTS VELTRA_ICON_SIZES)
    install(FILES ${VELTRA_ICON_DIR}/${_size}x${_size}/veltra-adjust.png
      DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${_size}x${_size}/apps)
  endforeach()
endif()

# The udev rule that gives the logged-in user a Veltra printer's USB node. udev reads it from
# /usr/lib/udev/rules.d (the package's place); an install under another prefix puts it below that
# prefix, where udev does not look, unless VELTRA_UDEV_RULES_DIR is set to an absolute folder.
if(CMAKE_SYSTEM_NAME STREQUAL "Linux")
  set(VELTRA_UDEV_RULES_DIR "lib/udev/rules.d" CACHE STRING
    "Folder of the udev rule, relative to the install prefix or absolute")
  install(FILES ${PROJECT_SOURCE_DIR}/data/udev/70-veltra-adjust.rules
    DESTINATION ${VELTRA_UDEV_RULES_DIR})
endif()

# Manual pages from each program's --help (which lists every command and option). A cross build
# cannot run its programs, so it has none.
find_program(VELTRA_HELP2MAN help2man)
find_program(VELTRA_GZIP gzip REQUIRED)
if(NOT CMAKE_CROSSCOMPILING)
  if(NOT VELTRA_HELP2MAN)
    message(FATAL_ERROR "help2man is needed for the manual pages (scripts/install-deps.sh)")
  endif()
  set(_man_names
    "veltra-adjust=service adjustment program for Veltra K55 and K45 printers (desktop)"
    "veltra-adjust-cli=service adjustment program for Veltra K55 and K45 printers (command line)"
    "veltra-vprinter=virtual Veltra K55 or K45 printer on a Unix socket")
  set(_man_pages)
  foreach(_entry IN LISTS _man_names)
    string(REPLACE "=" ";" _pair "${_entry}")
    list(GET _pair 0 _program)
    list(GET _pair 1 _name)
    if(NOT TARGET ${_program})
      continue()
    endif()
    set(_page ${PROJECT_BINARY_DIR}/man/${_program}.1)
    # The ports section is for the programs that open the printer's ports.
    set(_includes --include=${PROJECT_SOURCE_DIR}/data/man/common.h2m)
    if(NOT _program STREQUAL "veltra-vprinter")
      list(APPEND _includes --include=${PROJECT_SOURCE_DIR}/data/man/ports.h2m)
    endif()
    add_custom_command(OUTPUT ${_page}
      COMMAND ${CMAKE_COMMAND} -E make_directory ${PROJECT_BINARY_DIR}/man
      # The sanitizer build runs its own programs here: their leak check belongs to the tests.
      COMMAND ${CMAKE_COMMAND} -E env ASAN_OPTIONS=detect_leaks=0
              ${VELTRA_HELP2MAN} --no-info --section=1 --name=${_name}
              --version-string=${PROJECT_VERSION}
              ${_includes}
              --output=${_page} $<TARGET_FILE:${_program}>
      DEPENDS ${_program} ${PROJECT_SOURCE_DIR}/data/man/common.h2m
              ${PROJECT_SOURCE_DIR}/data/man/ports.h2m
      COMMENT "Manual page ${_program}.1"
      VERBATIM)
    # Installed compressed, as Debian's policy asks (-n: no name or time stamp, so the same
    # page gives the same bytes).
    add_custom_command(OUTPUT ${_page}.gz
      COMMAND ${VELTRA_GZIP} -9nf --keep ${_page}
      DEPENDS ${_page}
      VERBATIM)
    list(APPEND _man_pages ${_page}.gz)
  endforeach()
  add_custom_target(veltra-man-pages ALL DEPENDS ${_man_pages})
  install(FILES ${_man_pages} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
endif()

# The package's documents: the copyright file and the changelog (gzip-compressed), where
# Debian's tools look for them.
set(_doc_dir ${PROJECT_BINARY_DIR}/doc)
configure_file(${PROJECT_SOURCE_DIR}/data/debian/changelog.in ${_doc_dir}/changelog @ONLY)
add_custom_command(OUTPUT ${_doc_dir}/changelog.gz
  COMMAND ${VELTRA_GZIP} -9nf --keep ${_doc_dir}/changelog
  DEPENDS ${_doc_dir}/changelog
  VERBATIM)
add_custom_target(veltra-package-docs ALL DEPENDS ${_doc_dir}/changelog.gz)
install(FILES ${PROJECT_SOURCE_DIR}/data/debian/copyright ${_doc_dir}/changelog.gz
  DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/veltra-adjust)

# cpack -G DEB in the build folder. Depends is worked out from the programs' libraries.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME veltra-adjust)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "veltra-adjust developers")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY
  "service adjustment program for Veltra K55 and K45 inkjet printers")
# The summary is the first line of the package's description; CPack indents this text below it
# by one column, so its lines stay under 80 columns there.
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION
  "Puts factory data back into the printer's EEPROM (initialization, head ID,
USB ID), prints adjustment patterns and writes the values read off the paper
(Bi-D, paper feed, top margin, head angle, CR motor drive dispersion), runs
maintenance sequences and reads counters, over IEEE 1284.4 on a parallel or
USB port. Comes as a desktop program, a command line and a virtual printer.")
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "veltra-adjust developers <maintainers@veltra-adjust.invalid>")
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# The page renderer draws its labels in DejaVu Sans Mono; the libraries' own dependencies are
# added to this list.
if(TARGET veltra_sim_render)
  set(CPACK_DEBIAN_PACKAGE_DEPENDS "fonts-dejavu-core")
endif()
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_STRIP_FILES ON)
include(CPack)
