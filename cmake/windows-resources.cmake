# The version record and the icon, compiled into calcstats.exe.  The numbers
# come from the project's version and nowhere else.
enable_language(RC)
set(CALCSTATS_ICON ${PROJECT_SOURCE_DIR}/res/calcstats.ico)
configure_file(${PROJECT_SOURCE_DIR}/res/calcstats.rc.in ${PROJECT_BINARY_DIR}/calcstats.rc @ONLY)
target_sources(calcstats PRIVATE ${PROJECT_BINARY_DIR}/calcstats.rc)
set_property(SOURCE ${PROJECT_BINARY_DIR}/calcstats.rc APPEND PROPERTY OBJECT_DEPENDS ${CALCSTATS_ICON})
