include(GNUInstallDirs)

# The help: the topics under help/ made into pages and a Qt help project by tools/helpgen,
# compiled by qhelpgenerator into build/help/purvex.qch beside the program, where the help
# window finds it; installed into share/purvex/help.
find_package(Qt6 REQUIRED COMPONENTS ToolsTools)

add_executable(helpgen tools/helpgen/main.cpp)
target_link_libraries(helpgen PRIVATE Qt6::Gui)

file(GLOB_RECURSE help_sources CONFIGURE_DEPENDS
    ${PROJECT_SOURCE_DIR}/help/*.md ${PROJECT_SOURCE_DIR}/help/images/*.png)
set(PURVEX_HELP_DIR ${PROJECT_BINARY_DIR}/help)
set(PURVEX_HELP_FILE ${PURVEX_HELP_DIR}/purvex.qch)
add_custom_command(OUTPUT ${PURVEX_HELP_FILE}
    COMMAND ${CMAKE_COMMAND} -E rm -rf ${PURVEX_HELP_DIR}/pages
    COMMAND helpgen ${PROJECT_SOURCE_DIR}/help ${PURVEX_HELP_DIR}/pages
    COMMAND Qt6::qhelpgenerator -s ${PURVEX_HELP_DIR}/pages/purvex.qhp -o ${PURVEX_HELP_FILE}
    DEPENDS helpgen ${help_sources}
    COMMENT "Compiling the help"
    VERBATIM)
add_custom_target(help_collection ALL DEPENDS ${PURVEX_HELP_FILE})
add_dependencies(purvex help_collection)

install(FILES ${PURVEX_HELP_FILE} DESTINATION ${CMAKE_INSTALL_DATADIR}/purvex/help)

# The help's screenshots, taken from the running program by scripts/help-screenshots.sh.
add_executable(help_screenshots EXCLUDE_FROM_ALL tools/screenshots/main.cpp)
target_link_libraries(help_screenshots PRIVATE pvx_gui_orders)
