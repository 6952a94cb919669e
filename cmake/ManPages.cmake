# Manual pages for the three programs, made by help2man from each program's own --help, so
# that the page and the help never disagree; what --help has no room for (files, the
# environment, examples) comes from packaging/man/PROGRAM.h2m. Installed compressed, as
# Debian keeps its manual pages.
find_program(PURVEX_HELP2MAN help2man REQUIRED)
find_program(PURVEX_GZIP gzip REQUIRED)

# help2man dates a page by SOURCE_DATE_EPOCH: the day of the release, so that every build of
# one version makes the same pages (days since 1970 from the civil date, valid after 1970).
if(NOT PURVEX_RELEASE_DATE MATCHES "^([0-9][0-9][0-9][0-9])-([0-9][0-9])-([0-9][0-9])$")
    message(FATAL_ERROR "PURVEX_RELEASE_DATE is not yyyy-mm-dd: ${PURVEX_RELEASE_DATE}")
endif()
math(EXPR year "${CMAKE_MATCH_1}")
math(EXPR month "${CMAKE_MATCH_2}")
math(EXPR day "${CMAKE_MATCH_3}")
# Years counted from March, so that the leap day ends a year.
if(month LESS_EQUAL 2)
    math(EXPR year "${year} - 1")
    math(EXPR month "${month} + 9")
else()
    math(EXPR month "${month} - 3")
endif()
math(EXPR era "${year} / 400")
math(EXPR year_of_era "${year} - ${era} * 400")
math(EXPR day_of_year "(153 * ${month} + 2) / 5 + ${day} - 1")
math(EXPR day_of_era
    "${year_of_era} * 365 + ${year_of_era} / 4 - ${year_of_era} / 100 + ${day_of_year}")
math(EXPR PURVEX_RELEASE_EPOCH "(${era} * 146097 + ${day_of_era} - 719468) * 86400")

set(PURVEX_MAN_DIR ${PROJECT_BINARY_DIR}/man)
set(man_pages)
foreach(program purvex pvxadmin purvex-launch)
    set(page ${PURVEX_MAN_DIR}/${program}.1)
    set(extra ${PROJECT_SOURCE_DIR}/packaging/man/${program}.h2m)
    add_custom_command(OUTPUT ${page}.gz
        COMMAND ${CMAKE_COMMAND} -E make_directory ${PURVEX_MAN_DIR}
        COMMAND ${CMAKE_COMMAND} -E env SOURCE_DATE_EPOCH=${PURVEX_RELEASE_EPOCH} LC_ALL=C.UTF-8
            ${PURVEX_HELP2MAN} --no-info --section=1 "--source=Purvex ${PROJECT_VERSION}"
            --version-string=${PROJECT_VERSION} --include=${extra} --output=${page}
            $<TARGET_FILE:${program}>
        COMMAND ${PURVEX_GZIP} -9nf ${page}
        DEPENDS ${program} ${extra}
        COMMENT "Making the manual page of ${program}"
        VERBATIM)
    list(APPEND man_pages ${page}.gz)
endforeach()
add_custom_target(man_pages ALL DEPENDS ${man_pages})

install(FILES ${man_pages} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
