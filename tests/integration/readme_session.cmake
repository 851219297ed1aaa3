# The README shows an operator's session; it must be the transcript the session test
# checks, not an older one.
#   cmake -DREADME=... -DEXPECTED=... -P readme_session.cmake
file(READ ${README} readme)
file(READ ${EXPECTED} expected)
string(FIND "${readme}" "```text\n${expected}```" at)
if(at EQUAL -1)
  message(FATAL_ERROR "README.md does not show the transcript in ${EXPECTED}")
endif()
