# One interface target carries the language standard, the warning set and the Qt defines,
# so every library, program and test is built the same way.
add_library(corvantide_options INTERFACE)
target_compile_features(corvantide_options INTERFACE cxx_std_20)
target_compile_options(corvantide_options INTERFACE -Wall -Wextra -Wpedantic -Werror)
# GCC 12 reports false -Wrestrict overlaps inside std::string concatenation at -O3.
if(CMAKE_CXX_COMPILER_ID STREQUAL "GNU" AND CMAKE_CXX_COMPILER_VERSION VERSION_LESS 13)
    target_compile_options(corvantide_options INTERFACE -Wno-restrict)
endif()
target_compile_definitions(corvantide_options INTERFACE
    QT_NO_CAST_FROM_ASCII
    QT_NO_CAST_TO_ASCII
    QT_NO_CAST_FROM_BYTEARRAY
    QT_NO_URL_CAST_FROM_STRING
    QT_USE_QSTRINGBUILDER
    QT_NO_KEYWORDS)

if(CORVANTIDE_SANITIZE STREQUAL "address")
    target_compile_options(corvantide_options INTERFACE -fsanitize=address,undefined -fno-omit-frame-pointer
                                                        -fno-sanitize-recover=undefined)
    target_link_options(corvantide_options INTERFACE -fsanitize=address,undefined)
elseif(CORVANTIDE_SANITIZE STREQUAL "thread")
    target_compile_options(corvantide_options INTERFACE -fsanitize=thread -fno-omit-frame-pointer)
    target_link_options(corvantide_options INTERFACE -fsanitize=thread)
elseif(CORVANTIDE_SANITIZE)
    message(FATAL_ERROR "CORVANTIDE_SANITIZE must be address or thread")
endif()

# A libFuzzer build instruments everything it compiles, the product libraries above all: coverage
# hooks so that libFuzzer sees which branches of the parsers an input reached, and AddressSanitizer
# with UndefinedBehaviorSanitizer so that a fault inside them stops the run. Only the fuzz targets
# link libFuzzer itself (fuzz/CMakeLists.txt).
if(CORVANTIDE_LIBFUZZER AND CMAKE_CXX_COMPILER_ID STREQUAL "Clang")
    if(CORVANTIDE_SANITIZE STREQUAL "thread")
        message(FATAL_ERROR "CORVANTIDE_LIBFUZZER builds with AddressSanitizer and cannot use ThreadSanitizer")
    endif()
    target_compile_options(corvantide_options INTERFACE -fsanitize=fuzzer-no-link,address,undefined
                                                        -fno-sanitize-recover=undefined -fno-omit-frame-pointer)
    target_link_options(corvantide_options INTERFACE -fsanitize=address,undefined)
elseif(CORVANTIDE_LIBFUZZER)
    message(WARNING "CORVANTIDE_LIBFUZZER needs clang; the fuzz targets are built as replay programs only")
endif()

# corvantide_add_library(NAME [FOLDERS sub ...] DEPENDS ...): one library per source folder; every
# .cpp of the folder, and of the sub-folders named, belongs to it.
function(corvantide_add_library name)
    cmake_parse_arguments(ARG "" "" "DEPENDS;EXCLUDE;FOLDERS" ${ARGN})
    set(source_globs ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp)
    set(header_globs ${CMAKE_CURRENT_SOURCE_DIR}/*.h)
    foreach(folder IN LISTS ARG_FOLDERS)
        list(APPEND source_globs ${CMAKE_CURRENT_SOURCE_DIR}/${folder}/*.cpp)
        list(APPEND header_globs ${CMAKE_CURRENT_SOURCE_DIR}/${folder}/*.h)
    endforeach()
    file(GLOB sources CONFIGURE_DEPENDS ${source_globs})
    file(GLOB headers CONFIGURE_DEPENDS ${header_globs})
    foreach(excluded IN LISTS ARG_EXCLUDE)
        list(REMOVE_ITEM sources ${CMAKE_CURRENT_SOURCE_DIR}/${excluded})
    endforeach()
    if(sources)
        add_library(${name} STATIC ${sources} ${headers})
        target_include_directories(${name} PUBLIC ${PROJECT_SOURCE_DIR})
        target_link_libraries(${name} PUBLIC corvantide_options ${ARG_DEPENDS})
    else()
        add_library(${name} INTERFACE)
        target_include_directories(${name} INTERFACE ${PROJECT_SOURCE_DIR})
        target_link_libraries(${name} INTERFACE corvantide_options ${ARG_DEPENDS})
    endif()
endfunction()
