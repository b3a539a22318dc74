# The production itself: the show at a song time (show/), live play (live/),
# the capture (capture/) and the scenes' layers, as the library
# strobewerk_app so tests and benchmarks can draw frames with it, and the
# program strobewerk.
pkg_check_modules(APP_SDL REQUIRED IMPORTED_TARGET sdl)
pkg_check_modules(APP_GLEW REQUIRED IMPORTED_TARGET glew)
pkg_check_modules(APP_GLU REQUIRED IMPORTED_TARGET glu)
pkg_check_modules(APP_GL REQUIRED IMPORTED_TARGET gl)

file(GLOB app_scene_sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/scenes/*.cpp)
list(FILTER app_scene_sources EXCLUDE REGEX "Logic\\.cpp$")

add_library(strobewerk_app STATIC
  ${CMAKE_CURRENT_SOURCE_DIR}/FrameState.cpp
  ${CMAKE_CURRENT_SOURCE_DIR}/show/Show.cpp
  ${CMAKE_CURRENT_SOURCE_DIR}/live/LivePlay.cpp
  ${CMAKE_CURRENT_SOURCE_DIR}/live/Input.cpp
  ${CMAKE_CURRENT_SOURCE_DIR}/live/LiveReload.cpp
  ${capture_app_sources}
  ${app_scene_sources})
target_include_directories(strobewerk_app PUBLIC ${PROJECT_SOURCE_DIR})
target_link_libraries(strobewerk_app PUBLIC
  strobewerk_show scenes_logic strobewerk_core strobewerk_capture vorn vorn_math vorn_base
  PkgConfig::APP_GLEW PkgConfig::APP_GLU PkgConfig::APP_GL PkgConfig::APP_SDL)
project_target(strobewerk_app)

add_executable(strobewerk ${CMAKE_CURRENT_SOURCE_DIR}/Main.cpp)
target_link_libraries(strobewerk PRIVATE strobewerk_app)
project_target(strobewerk)
