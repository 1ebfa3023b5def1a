# cmake -DBUILD_DIR=... -DPREFIX=... -DVERSION=... -DGUI=ON|OFF -P CheckInstall.cmake
# Installs the build into PREFIX and checks what a user gets: the programs, each answering
# --version with the project's version, their manual pages, the udev rule, and with the desktop
# program its desktop entry and icon.
file(REMOVE_RECURSE ${PREFIX})
execute_process(COMMAND ${CMAKE_COMMAND} --install ${BUILD_DIR} --prefix ${PREFIX}
  RESULT_VARIABLE rc OUTPUT_QUIET)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "cmake --install failed: ${rc}")
endif()

set(programs veltra-adjust-cli veltra-vprinter)
set(files)
if(GUI)
  list(APPEND programs veltra-adjust)
  list(APPEND files share/applications/veltra-adjust.desktop
    share/icons/hicolor/scalable/apps/veltra-adjust.svg)
  foreach(size 16 32 48 64 128 256)
    list(APPEND files share/icons/hicolor/${size}x${size}/apps/veltra-adjust.png)
  endforeach()
endif()
foreach(program IN LISTS programs)
  list(APPEND files bin/${program} share/man/man1/${program}.1.gz)
endforeach()
list(APPEND files lib/udev/rules.d/70-veltra-adjust.rules)
list(APPEND files share/doc/veltra-adjust/copyright share/doc/veltra-adjust/changelog.gz)
foreach(file IN LISTS files)
  if(NOT EXISTS ${PREFIX}/${file})
    message(FATAL_ERROR "not installed: ${file}")
  endif()
endforeach()

foreach(program IN LISTS programs)
  execute_process(COMMAND ${PREFIX}/bin/${program} --version
    RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE err)
  string(STRIP "${out}" out)
  if(NOT rc EQUAL 0 OR NOT out STREQUAL "${program} ${VERSION}")
    message(FATAL_ERROR
      "${program} --version: exit ${rc}, '${out}' '${err}', not '${program} ${VERSION}'")
  endif()
endforeach()

# The pages (read uncompressed beside the installed ones in the build): the command line's lists
# every command with its optional arguments, options and allowed values, down to the last one
# added; no page shows the option parser's own notation, and only the pages of programs with
# ports describe them.
function(read_page program out)
  file(READ ${BUILD_DIR}/man/${program}.1 page)
  string(REPLACE "\\-" "-" page "${page}")
  set(${out} "${page}" PARENT_SCOPE)
endfunction()
read_page(veltra-adjust-cli page)
foreach(text "top-margin write LABEL" "crmotor measure" "--json" "usbid serial NUMBER"
    "backup FILE [--force]" "restore FILE [--dry-run]" "history [N]" "eco-color" "old, new"
    "+2" "--error-wait")
  string(FIND "${page}" "${text}" at)
  if(at EQUAL -1)
    message(FATAL_ERROR "veltra-adjust-cli.1 does not describe '${text}'")
  endif()
endforeach()
foreach(program IN LISTS programs)
  read_page(${program} page)
  foreach(notation "TEXT:{" ":{" "INT in [" "Excludes:" "Needs:" "[Option Group")
    string(FIND "${page}" "${notation}" at)
    if(NOT at EQUAL -1)
      message(FATAL_ERROR "${program}.1 shows the option parser's notation '${notation}'")
    endif()
  endforeach()
  string(FIND "${page}" ".SH PORTS" ports)
  if(program STREQUAL "veltra-vprinter" AND NOT ports EQUAL -1)
    message(FATAL_ERROR "veltra-vprinter.1 describes ports it does not have")
  elseif(NOT program STREQUAL "veltra-vprinter" AND ports EQUAL -1)
    message(FATAL_ERROR "${program}.1 does not describe its ports")
  endif()
endforeach()
