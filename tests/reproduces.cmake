# cmake -DGENERATOR=<program> -DOUTPUT=<file> -DCOMMITTED=<file> -P reproduces.cmake
execute_process(COMMAND ${GENERATOR} ${OUTPUT} RESULT_VARIABLE status)
if(NOT status EQUAL 0)
    message(FATAL_ERROR "${GENERATOR} failed: ${status}")
endif()
execute_process(COMMAND ${CMAKE_COMMAND} -E compare_files ${OUTPUT} ${COMMITTED}
                RESULT_VARIABLE differs)
if(differs)
    message(FATAL_ERROR "${COMMITTED} is not what ${GENERATOR} makes: regenerate it")
endif()
