# Fails when a test executable lists a parameterised test with its parameter as raw bytes
# ("GetParam() = 56-byte object <...>"): such bytes hold pointers, so the listing, and the names ctest
# takes from it, change from run to run. A row type wants a PrintTo that names it.
# Usage: cmake -DEXECUTABLES="a;b" -P list_names_check.cmake
set(failed "")
foreach(exe IN LISTS EXECUTABLES)
  execute_process(COMMAND "${exe}" --gtest_list_tests OUTPUT_VARIABLE listing RESULT_VARIABLE rc)
  if(NOT rc EQUAL 0)
    message(SEND_ERROR "${exe} --gtest_list_tests failed (${rc})")
  endif()
  string(REGEX MATCHALL "[^\n]*-byte object[^\n]*" raw "${listing}")
  foreach(line IN LISTS raw)
    string(REGEX REPLACE " *# GetParam\\(\\).*" "" line "${line}")
    list(APPEND failed "${exe}:${line}")
  endforeach()
endforeach()
if(failed)
  list(JOIN failed "\n  " text)
  message(FATAL_ERROR "Test parameters listed as raw bytes (give the row type a PrintTo):\n  ${text}")
endif()
