# Runs the artwork generator into an empty folder and compares every file it writes with the
# committed copy in resources/, byte for byte.
#
# cmake -DGENERATOR=<program> -DOUTPUT=<scratch folder> -DRESOURCES=<resources folder> -P CompareGeneratedArtwork.cmake

file(REMOVE_RECURSE "${OUTPUT}")
file(MAKE_DIRECTORY "${OUTPUT}")

execute_process(COMMAND "${GENERATOR}" "${OUTPUT}" RESULT_VARIABLE generator_result)

if(NOT generator_result EQUAL 0)
    message(FATAL_ERROR "the artwork generator failed: ${generator_result}")
endif()

file(GLOB generated RELATIVE "${OUTPUT}" "${OUTPUT}/*")
list(LENGTH generated generated_count)

if(generated_count EQUAL 0)
    message(FATAL_ERROR "the artwork generator wrote nothing")
endif()

set(mismatches)

foreach(name IN LISTS generated)
    execute_process(COMMAND "${CMAKE_COMMAND}" -E compare_files "${OUTPUT}/${name}" "${RESOURCES}/${name}"
                    RESULT_VARIABLE different)

    if(NOT different EQUAL 0)
        list(APPEND mismatches "${name}")
    endif()
endforeach()

if(mismatches)
    message(FATAL_ERROR "generated artwork differs from resources/: ${mismatches}")
endif()

message(STATUS "all ${generated_count} generated files match resources/")
