# Read by CPack before it packages (CPACK_PROJECT_CONFIG_FILE).  The date
# that the package's archives and files carry is SOURCE_DATE_EPOCH when the
# caller sets it, else the time of the changelog's last entry, so that two
# builds of one commit give the same bytes whenever they are made.
if(DEFINED ENV{SOURCE_DATE_EPOCH})
    return()
endif()
file(STRINGS ${CPACK_CALCSTATS_CHANGELOG} trailer REGEX "^ -- " LIMIT_COUNT 1)
if(NOT trailer MATCHES ", ([0-9]+) ([A-Z][a-z][a-z]) ([0-9]+) ([0-9]+):([0-9]+):([0-9]+) \\+0000$")
    message(FATAL_ERROR "The changelog's last entry has no date in UTC: ${trailer}")
endif()
# Days since 1970 in a calendar whose years begin in March, so that the leap
# day is the last day of its year.
set(months Mar Apr May Jun Jul Aug Sep Oct Nov Dec Jan Feb)
list(FIND months ${CMAKE_MATCH_2} month)
set(year ${CMAKE_MATCH_3})
if(month GREATER_EQUAL 10)
    math(EXPR year "${year} - 1")
endif()
math(EXPR days "365 * ${year} + ${year} / 4 - ${year} / 100 + ${year} / 400 + (153 * ${month} + 2) / 5
    + ${CMAKE_MATCH_1} - 719469")
math(EXPR seconds "(${days} * 24 + ${CMAKE_MATCH_4}) * 3600 + ${CMAKE_MATCH_5} * 60 + ${CMAKE_MATCH_6}")
set(ENV{SOURCE_DATE_EPOCH} ${seconds})
