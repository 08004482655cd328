# The browser page as a part of the native build: Emscripten configures the same source tree
# in web/ of this build folder, where only the library and the page are built (its dist/ holds
# the page), and the install rules put dist/ in share/cuplo/web. Debian's Emscripten tools
# find Debian's acorn for the Node.js they run on through NODE_PATH.
find_program(CUPLO_EMCMAKE emcmake)
if(NOT CUPLO_EMCMAKE)
  message(STATUS "Browser page: not built (no emcmake; Debian package emscripten)")
  set(CUPLO_WEB_DIST "" CACHE INTERNAL "")
  return()
endif()
set(CUPLO_WEB_BUILD ${CMAKE_BINARY_DIR}/web)
set(CUPLO_WEB_DIST ${CUPLO_WEB_BUILD}/dist CACHE INTERNAL "")
set(web_env ${CMAKE_COMMAND} -E env NODE_PATH=/usr/share/nodejs)
add_custom_target(
  cuplo_page_build ALL
  COMMAND ${web_env} ${CUPLO_EMCMAKE} ${CMAKE_COMMAND} -S ${PROJECT_SOURCE_DIR} -B ${CUPLO_WEB_BUILD}
          -DCMAKE_BUILD_TYPE=Release -DCUPLO_TESTS=OFF -DCUPLO_BENCH=OFF --log-level=WARNING
  COMMAND ${web_env} ${CMAKE_COMMAND} --build ${CUPLO_WEB_BUILD} -j 2
  COMMENT "Building the browser page with Emscripten"
  VERBATIM)
install(DIRECTORY ${CUPLO_WEB_DIST}/ DESTINATION ${CMAKE_INSTALL_DATADIR}/cuplo/web)
