# The fuzz targets (fuzz/fuzz_*.cpp): with CORVANA_FUZZ, libFuzzer programs for scripts/fuzz.sh;
# otherwise replays of the seed corpora and of every input that once broke a target, run by the
# test command.
file(GLOB CORVANA_FUZZ_TARGETS CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/fuzz/fuzz_*.cpp)
foreach(source ${CORVANA_FUZZ_TARGETS})
    get_filename_component(name ${source} NAME_WE)
    string(REPLACE "fuzz_" "" target ${name})
    if(CORVANA_FUZZ)
        add_executable(${name} ${source})
        target_link_options(${name} PRIVATE -fsanitize=fuzzer)
    else()
        add_executable(${name}_replay ${source} ${CMAKE_SOURCE_DIR}/fuzz/replay_main.cpp)
        set(name ${name}_replay)
        add_test(NAME fuzz_replay_${target}
                 COMMAND ${name} ${CMAKE_SOURCE_DIR}/fuzz/corpus/${target} ${CMAKE_SOURCE_DIR}/fuzz/crashes/${target})
    endif()
    target_link_libraries(${name} PRIVATE corvana_core)
    target_include_directories(${name} PRIVATE ${CMAKE_SOURCE_DIR}/fuzz)
endforeach()
