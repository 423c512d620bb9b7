# Run with cmake -P at build time, for the web page.
#   -DSHELL=FILE   the page's shell, from web/calcstats.html, its icon drawn
#                  into it as a data: URL, so that the one file asks for
#                  nothing beyond itself, not even /favicon.ico, and its
#                  script minified by -DTERSER, so that it loads sooner
#   -DSITE=DIR     the folder for a web host: the page, which names the web
#                  app manifest and starts the service worker that keeps it
#                  for play offline, with the manifest, the service worker and
#                  the icons that phones and desktops ask for, and the
#                  screenshots that an install prompt shows
# Both with -DPYTHON, and -DSOURCE the project's source directory.
set(draw ${PYTHON} ${SOURCE}/res/make_icon.py)
if(DEFINED SHELL)
    execute_process(COMMAND ${draw} 32 - OUTPUT_VARIABLE icon COMMAND_ERROR_IS_FATAL ANY)
    file(READ ${SOURCE}/web/calcstats.html page)
    string(REPLACE "@ICON@" "${icon}" page "${page}")
    string(FIND "${page}" "<script>" from)
    string(FIND "${page}" "</script>" to)
    math(EXPR from "${from} + 8")
    math(EXPR length "${to} - ${from}")
    string(SUBSTRING "${page}" ${from} ${length} script)
    file(WRITE ${SHELL}.js "${script}")
    execute_process(COMMAND ${CMAKE_COMMAND} -E env NODE_PATH=/usr/share/nodejs ${TERSER} ${SHELL}.js
        --compress --mangle --ecma 2020 OUTPUT_VARIABLE small COMMAND_ERROR_IS_FATAL ANY)
    string(STRIP "${small}" small)
    string(REPLACE "${script}" "${small}" page "${page}")
    file(WRITE ${SHELL} "${page}")
else()
    file(READ ${SITE}/../calcstats.html page)
    file(READ ${SOURCE}/web/site.html head)
    string(REPLACE "</head>" "${head}</head>" page "${page}")
    file(WRITE ${SITE}/index.html "${page}")
    file(COPY ${SOURCE}/web/manifest.webmanifest ${SOURCE}/web/sw.js ${SOURCE}/web/screenshot-desk.png
        ${SOURCE}/web/screenshot-phone.png DESTINATION ${SITE})
    foreach(size IN ITEMS 180 192 512)
        execute_process(COMMAND ${draw} ${size} ${SITE}/icon-${size}.png COMMAND_ERROR_IS_FATAL ANY)
    endforeach()
    execute_process(COMMAND ${draw} 512 ${SITE}/icon-maskable-512.png full COMMAND_ERROR_IS_FATAL ANY)
endif()
