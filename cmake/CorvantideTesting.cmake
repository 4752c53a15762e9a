include(GoogleTest)

# corvantide_add_test_suite(NAME SOURCES ... LIBS ...): one test program per suite, registered
# with CTest test by test.
function(corvantide_add_test_suite name)
    cmake_parse_arguments(ARG "" "" "SOURCES;LIBS" ${ARGN})
    add_executable(${name} ${ARG_SOURCES})
    target_link_libraries(${name} PRIVATE corvantide_options ${ARG_LIBS} GTest::gmock GTest::gtest_main)
    gtest_discover_tests(${name} DISCOVERY_MODE PRE_TEST DISCOVERY_TIMEOUT 60
                         PROPERTIES ENVIRONMENT "QT_QPA_PLATFORM=offscreen" LABELS ${name})
endfunction()

# corvantide_add_test_folder(PREFIX LIBS ...): every *Test.cpp of the current folder is a suite
# of its own, linked with the given libraries.
function(corvantide_add_test_folder prefix)
    cmake_parse_arguments(ARG "" "" "LIBS" ${ARGN})
    file(GLOB suites CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*Test.cpp)
    foreach(suite IN LISTS suites)
        get_filename_component(stem ${suite} NAME_WE)
        corvantide_add_test_suite(${prefix}_${stem} SOURCES ${suite} LIBS ${ARG_LIBS})
    endforeach()
endfunction()

# corvantide_add_generator_check(NAME SCRIPT ARGS...): a generator's --check (tools/SCRIPT) as a test.
# Where its source is missing the check exits 77 and the test is skipped, with the reason printed;
# CI installs every source and sets CORVANTIDE_REQUIRE_GENERATOR_SOURCES, so there a missing source
# fails instead.
option(CORVANTIDE_REQUIRE_GENERATOR_SOURCES "Fail a generator check whose source is missing" OFF)
find_program(CORVANTIDE_PYTHON3 python3 REQUIRED)
function(corvantide_add_generator_check name script)
    add_test(NAME ${name} COMMAND ${CORVANTIDE_PYTHON3} ${PROJECT_SOURCE_DIR}/tools/${script} --check ${ARGN})
    if(NOT CORVANTIDE_REQUIRE_GENERATOR_SOURCES)
        set_tests_properties(${name} PROPERTIES SKIP_RETURN_CODE 77)
    endif()
endfunction()
