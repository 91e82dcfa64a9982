# cmake -DINPUT=FILE -DOUTPUT=FILE.gz -P gzip.cmake: compressed as Debian wants its manual pages
# and changelogs (the best compression, no name nor time inside: the same bytes at every build).
find_program(GZIP_PROGRAM gzip REQUIRED)
execute_process(COMMAND ${GZIP_PROGRAM} -9 -n -c INPUT_FILE ${INPUT} OUTPUT_FILE ${OUTPUT}
                RESULT_VARIABLE status)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "gzip ${INPUT}: ${status}")
endif()
