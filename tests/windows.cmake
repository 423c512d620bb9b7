# Windows only: the exe's resources and imports and, when cross-compiled, a
# quiet Wine of its own under the build tree for every test.

find_program(OBJDUMP NAMES ${CMAKE_CXX_COMPILER_TARGET}-objdump x86_64-w64-mingw32-objdump objdump)
if(CMAKE_RC_COMPILER MATCHES "windres" AND OBJDUMP)
    add_test(NAME exe_resources
        COMMAND ${CMAKE_COMMAND}
            -DWINDRES=${CMAKE_RC_COMPILER}
            -DOBJDUMP=${OBJDUMP}
            -DEXE=$<TARGET_FILE:calcstats>
            -DVERSION=${PROJECT_VERSION}
            -P ${CMAKE_CURRENT_SOURCE_DIR}/check_exe.cmake)
endif()

if(CMAKE_CROSSCOMPILING_EMULATOR)
    get_property(tests DIRECTORY PROPERTY TESTS)
    set(prefix ${CMAKE_BINARY_DIR}/wineprefix)
    set(wine_env "WINEPREFIX=${prefix};WINEDEBUG=-all;WINEDLLOVERRIDES=mscoree,mshtml=")
    # The prefix is made once, before the tests start Wine side by side.
    add_test(NAME wine_prefix COMMAND ${CMAKE_CROSSCOMPILING_EMULATOR} wineboot --init)
    set_tests_properties(wine_prefix PROPERTIES ENVIRONMENT "${wine_env}" FIXTURES_SETUP wine)
    set_tests_properties(${tests} PROPERTIES ENVIRONMENT "${wine_env}" FIXTURES_REQUIRED wine)
endif()
