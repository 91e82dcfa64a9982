# Writes the dynamic list of the symbols the services module takes from the executable: those
# it leaves undefined without a library's version (the Qt, C and C++ libraries version theirs).
#   cmake -DNM=nm -DMODULE=elvarine-services.so -DOUTPUT=list -P moduleexports.cmake
execute_process(COMMAND ${NM} -D --undefined-only ${MODULE} OUTPUT_VARIABLE undefined
                RESULT_VARIABLE result)
if(NOT result EQUAL 0)
  message(FATAL_ERROR "${NM} could not read ${MODULE}")
endif()
string(REPLACE "\n" ";" lines "${undefined}")
set(list "{\n")
foreach(line ${lines})
  string(STRIP "${line}" line)
  if(line MATCHES "^[Uw] ([^@ ]+)$")
    string(APPEND list "  ${CMAKE_MATCH_1};\n")
  endif()
endforeach()
string(APPEND list "};\n")
# Rewritten only when it changes, so the executable is not linked again for nothing.
file(CONFIGURE OUTPUT ${OUTPUT} CONTENT "${list}" @ONLY)
