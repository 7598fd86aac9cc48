# One static library per subsystem folder: every .cpp in the folder and in the
# subfolders named by SUBFOLDERS (the wings of a subsystem, each a layer of its
# own) belongs to it. A folder without sources yet is an interface library.
function(morvane_library target folder)
    cmake_parse_arguments(ARG "" "" "SUBFOLDERS;LINKS" ${ARGN})
    set(sources)
    set(headers)
    set(resources)
    foreach(part "" ${ARG_SUBFOLDERS})
        set(dir "${folder}")
        if(part)
            set(dir "${folder}/${part}")
        endif()
        file(GLOB part_sources CONFIGURE_DEPENDS "${dir}/*.cpp")
        file(GLOB part_headers CONFIGURE_DEPENDS "${dir}/*.h")
        file(GLOB part_resources CONFIGURE_DEPENDS "${dir}/*.qrc")
        list(APPEND sources ${part_sources})
        list(APPEND headers ${part_headers})
        list(APPEND resources ${part_resources})
    endforeach()
    if(sources)
        add_library(${target} STATIC ${sources} ${headers} ${resources})
        target_include_directories(${target} PUBLIC "${PROJECT_SOURCE_DIR}/src")
        target_link_libraries(${target} PUBLIC ${ARG_LINKS})
    else()
        add_library(${target} INTERFACE)
        target_include_directories(${target} INTERFACE "${PROJECT_SOURCE_DIR}/src")
        target_link_libraries(${target} INTERFACE ${ARG_LINKS})
    endif()
endfunction()

# One QtTest executable per tst_*.cpp in a test folder, linked to the module it
# tests and registered with CTest. Exit code 77 marks a skipped test (a tool
# the test needs is missing).
function(morvane_tests folder)
    cmake_parse_arguments(ARG "" "" "LINKS" ${ARGN})
    file(GLOB tests CONFIGURE_DEPENDS "${folder}/tst_*.cpp")
    foreach(test_source ${tests})
        get_filename_component(name "${test_source}" NAME_WE)
        add_executable(${name} "${test_source}")
        target_link_libraries(${name} PRIVATE ${ARG_LINKS} Qt6::Test)
        # Shared test helpers: #include "support/...".
        target_include_directories(${name} PRIVATE "${PROJECT_SOURCE_DIR}/tests")
        target_compile_definitions(${name} PRIVATE
            MORVANE_TEST_DATA_DIR="${PROJECT_SOURCE_DIR}/tests/data"
            MORVANE_SOURCE_DIR="${PROJECT_SOURCE_DIR}")
        add_test(NAME ${name} COMMAND ${name})
        set_tests_properties(${name} PROPERTIES
            SKIP_RETURN_CODE 77
            TIMEOUT 600
            ENVIRONMENT "QT_QPA_PLATFORM=offscreen;LSAN_OPTIONS=suppressions=${PROJECT_SOURCE_DIR}/tests/lsan.supp;ASAN_OPTIONS=detect_leaks=1:strict_string_checks=0;UBSAN_OPTIONS=print_stacktrace=1")
    endforeach()
endfunction()
