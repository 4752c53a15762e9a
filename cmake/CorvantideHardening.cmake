# The Release build (the one the Debian package is made from) carries Debian's hardening flags as
# dpkg-buildflags gives them: stack protector, format checks, _FORTIFY_SOURCE, and relro with bind
# now at link time. Position-independent executables are the compiler's default on Debian. The
# optimisation and debug flags stay those of the build type.
if(CMAKE_BUILD_TYPE STREQUAL "Release")
    find_program(DPKG_BUILDFLAGS dpkg-buildflags)
    if(DPKG_BUILDFLAGS)
        set(hardening_environment DEB_BUILD_MAINT_OPTIONS=hardening=+all\ reproducible=-fixfilepath,-fixdebugpath
                                  "DEB_CPPFLAGS_MAINT_STRIP=-Wdate-time" "DEB_CXXFLAGS_MAINT_STRIP=-g -O2")
        foreach(kind CPPFLAGS CXXFLAGS LDFLAGS)
            execute_process(COMMAND ${CMAKE_COMMAND} -E env ${hardening_environment} ${DPKG_BUILDFLAGS} --get ${kind}
                            OUTPUT_VARIABLE flags OUTPUT_STRIP_TRAILING_WHITESPACE COMMAND_ERROR_IS_FATAL ANY)
            separate_arguments(hardening_${kind} UNIX_COMMAND "${flags}")
        endforeach()
        target_compile_options(corvantide_options INTERFACE ${hardening_CPPFLAGS} ${hardening_CXXFLAGS})
        target_link_options(corvantide_options INTERFACE ${hardening_LDFLAGS})
        message(STATUS "Hardening flags: ${hardening_CPPFLAGS} ${hardening_CXXFLAGS} ${hardening_LDFLAGS}")
    else()
        message(WARNING "dpkg-buildflags is missing (Debian package dpkg-dev): the Release build is not hardened")
    endif()
endif()
