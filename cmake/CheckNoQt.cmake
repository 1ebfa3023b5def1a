# cmake -DOBJDUMP=objdump -DPROGRAMS=a,b -P CheckNoQt.cmake
# Fails when a program names a Qt library among the shared libraries it needs. Reads the
# dynamic section (ELF "NEEDED") or the import table (PE "DLL Name"), so it serves both builds.
string(REPLACE "," ";" PROGRAMS "${PROGRAMS}")
foreach(program IN LISTS PROGRAMS)
  execute_process(COMMAND ${OBJDUMP} -p ${program} OUTPUT_VARIABLE dump RESULT_VARIABLE rc)
  if(NOT rc EQUAL 0)
    message(FATAL_ERROR "${OBJDUMP} cannot read ${program}")
  endif()
  string(REGEX MATCHALL "(NEEDED|DLL Name:)[ \t]+[^\n]+" needed "${dump}")
  if(NOT needed)
    # A program with no shared library at all would be a surprise here: the check reads wrong.
    message(FATAL_ERROR "${program}: no shared library listed; cannot tell what it links")
  endif()
  foreach(entry IN LISTS needed)
    if(entry MATCHES "Qt[0-9]?")
      message(FATAL_ERROR "${program} needs a Qt library: ${entry}")
    endif()
  endforeach()
  list(LENGTH needed count)
  message(STATUS "${program}: ${count} shared libraries, none of Qt")
endforeach()
