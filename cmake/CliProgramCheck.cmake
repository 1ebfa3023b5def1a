# cmake -DPROGRAM=veltra-adjust-cli [-DEMULATOR=wine] -DSTATE=DIR -P CliProgramCheck.cmake
# The built program on its built-in virtual printer, as a technician runs it: the status, an
# EEPROM byte written in one run and read back in the table of the next, through the default
# state folder (XDG_STATE_HOME here; on Windows %LOCALAPPDATA%, which Wine keeps in its prefix).
set(ENV{XDG_STATE_HOME} ${STATE})
function(run_cli expect)
  execute_process(COMMAND ${EMULATOR} ${PROGRAM} --simulate --model K55 --port ZTUSB1 ${ARGN}
    OUTPUT_VARIABLE out ERROR_VARIABLE err RESULT_VARIABLE rc)
  if(NOT rc EQUAL 0 OR NOT out MATCHES "${expect}")
    message(FATAL_ERROR "${ARGN}: exit ${rc}, expected /${expect}/\nout:\n${out}\nerr:\n${err}")
  endif()
  message(STATUS "${ARGN}: ${out}")
endfunction()

run_cli("^Ready to print\\.\r?\n$" status)
run_cli("^Address = 5D\r?\nData = 3C\r?\n$" eeprom write 5D 3C)
# Row 5 of the table holds the byte in column D: the 14th value after the row's number (CMake's
# regular expressions have no {n}, so the 13 values before it are spelled out).
set(_byte "[0-9A-F][0-9A-F] ")
string(REPEAT "${_byte}" 13 _thirteen)
run_cli("\n *5 +${_thirteen}3C " eeprom read 00 FF)
