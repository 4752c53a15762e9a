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
