# The browser build, configured with emcmake by script/web: the game alone,
# as zorbin.js and zorbin.wasm beside index.html. SDL 1.2 and zlib are
# compiled from Debian's source packages, which script/web unpacks. The
# toolchain's own SDL draws through canvas operations that drop colour keys
# and 24-bit surfaces, so the game draws with SDL's own C code, as on the
# desktop, and the page shows each presented frame.
enable_language(C)
set(ZORBIN_WEB_SDL_SOURCE "" CACHE PATH "unpacked source package of libsdl1.2")
set(ZORBIN_WEB_ZLIB_SOURCE "" CACHE PATH "unpacked source package of zlib")
foreach(dir IN ITEMS ${ZORBIN_WEB_SDL_SOURCE} ${ZORBIN_WEB_ZLIB_SOURCE})
  if(NOT EXISTS ${dir}/README)
    message(FATAL_ERROR "The browser build needs ZORBIN_WEB_SDL_SOURCE and ZORBIN_WEB_ZLIB_SOURCE (script/web sets them)")
  endif()
endforeach()

# The engine raises exceptions; the toolchain turns them off unless asked.
add_compile_options(-fexceptions)

# SDL: the generic parts with the dummy drivers, the headers copied so that
# the build's own configuration replaces the package's.
set(sdl_src ${ZORBIN_WEB_SDL_SOURCE}/src)
file(GLOB web_sdl_sources
  ${sdl_src}/*.c ${sdl_src}/audio/*.c ${sdl_src}/cdrom/*.c ${sdl_src}/cpuinfo/*.c ${sdl_src}/events/*.c
  ${sdl_src}/file/*.c ${sdl_src}/joystick/*.c ${sdl_src}/stdlib/*.c ${sdl_src}/thread/*.c ${sdl_src}/timer/*.c
  ${sdl_src}/video/*.c ${sdl_src}/audio/dummy/*.c ${sdl_src}/video/dummy/*.c ${sdl_src}/joystick/dummy/*.c
  ${sdl_src}/cdrom/dummy/*.c ${sdl_src}/thread/generic/*.c ${sdl_src}/timer/dummy/*.c ${sdl_src}/loadso/dummy/*.c)
set(web_sdl_include ${CMAKE_BINARY_DIR}/sdl-include)
file(COPY ${ZORBIN_WEB_SDL_SOURCE}/include/ DESTINATION ${web_sdl_include})
configure_file(${CMAKE_SOURCE_DIR}/web/SDL_config.h ${web_sdl_include}/SDL_config.h COPYONLY)
add_library(web_sdl STATIC ${web_sdl_sources})
target_include_directories(web_sdl PUBLIC ${web_sdl_include})
# Their code, their warnings: the game's warning flags are not for it.
target_compile_options(web_sdl PRIVATE -w)

file(GLOB web_zlib_sources ${ZORBIN_WEB_ZLIB_SOURCE}/*.c)
add_library(web_zlib STATIC ${web_zlib_sources})
target_include_directories(web_zlib PUBLIC ${ZORBIN_WEB_ZLIB_SOURCE})
target_compile_definitions(web_zlib PRIVATE HAVE_UNISTD_H)
target_compile_options(web_zlib PRIVATE -w)

file(GLOB_RECURSE ZORBIN_SOURCES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/src/*.cpp)
list(FILTER ZORBIN_SOURCES EXCLUDE REGEX ".*/src/app/main\\.cpp$")
add_library(zorbin_core STATIC ${ZORBIN_SOURCES})
target_include_directories(zorbin_core PUBLIC ${CMAKE_SOURCE_DIR}/src)
target_link_libraries(zorbin_core PUBLIC web_sdl web_zlib)

add_executable(zorbin src/app/main.cpp)
target_link_libraries(zorbin PRIVATE zorbin_core)
target_compile_definitions(zorbin PRIVATE ZORBIN_VERSION="${PROJECT_VERSION}")
set_target_properties(zorbin PROPERTIES SUFFIX ".js")
# ASYNCIFY lets the game's own loops yield to the browser in the frame wait;
# the page fetches Zorbin.data into the file system before main runs.
target_link_options(zorbin PRIVATE
  -fexceptions -sASYNCIFY -sUSE_SDL=0 -sALLOW_MEMORY_GROWTH=1 -sEXIT_RUNTIME=1 -sFORCE_FILESYSTEM=1
  -sENVIRONMENT=web "-sEXPORTED_RUNTIME_METHODS=['FS','addRunDependency','removeRunDependency']")
