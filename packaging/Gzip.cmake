# cmake -DINPUT=FILE -DOUTPUT=FILE.gz -P Gzip.cmake: compresses with gzip -9n, so the result
# holds no file name or time stamp.
execute_process(COMMAND gzip -9 -n -c INPUT_FILE ${INPUT} OUTPUT_FILE ${OUTPUT}
                RESULT_VARIABLE status)
if(NOT status EQUAL 0)
    file(REMOVE ${OUTPUT})
    message(FATAL_ERROR "gzip ${INPUT}: ${status}")
endif()
