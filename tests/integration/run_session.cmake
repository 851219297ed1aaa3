# Runs quillon-standin with a scripted console session on its standard input and
# compares everything it shows with the expected transcript. FPU names the
# floating-point state of the host's threads (default: the host's own).
#   cmake -DSERVER=... -DPLUGIN=... [-DEMULATOR=wine] [-DFPU=NAME] -DINPUT=... -DEXPECTED=...
#         -P run_session.cmake
set(command ${SERVER} --build 0 --plugin ${PLUGIN})
if(FPU)
  list(APPEND command --fpu ${FPU})
endif()
if(EMULATOR)
  set(command ${EMULATOR} ${command})
endif()
# The transcript is the one for a console that tells no width: 80 columns.
unset(ENV{COLUMNS})
execute_process(COMMAND ${command}
  INPUT_FILE ${INPUT}
  OUTPUT_VARIABLE shown
  ERROR_VARIABLE errors
  RESULT_VARIABLE status
  TIMEOUT 240)
string(REPLACE "\r" "" shown "${shown}")
file(READ ${EXPECTED} expected)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "the server ended with ${status}: ${errors}")
endif()
if(NOT shown STREQUAL expected)
  message(FATAL_ERROR "the session differs.\n--- shown ---\n${shown}\n--- expected ---\n${expected}")
endif()
