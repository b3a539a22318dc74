# strobewerk_core: the runtime's half that needs no window: the note list,
# the soundtrack (our own audio layer over libmpg123, SDL audio and KissFFT)
# the window configuration, the command line, the song clock, the soundtrack's
# levels, the maker's keys and the reloading of edited files.
pkg_check_modules(SW_SDL REQUIRED IMPORTED_TARGET sdl)
pkg_check_modules(SW_MPG123 REQUIRED IMPORTED_TARGET libmpg123)
pkg_check_modules(SW_KISSFFT REQUIRED IMPORTED_TARGET kissfft-float)
find_package(Threads REQUIRED)

file(GLOB strobewerk_audio_sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/audio/*.cpp)
add_library(strobewerk_core STATIC
  ${CMAKE_CURRENT_SOURCE_DIR}/NoteList.cpp
  ${CMAKE_CURRENT_SOURCE_DIR}/Config.cpp
  ${CMAKE_CURRENT_SOURCE_DIR}/Options.cpp
  ${CMAKE_CURRENT_SOURCE_DIR}/ProcessSetup.cpp
  ${CMAKE_CURRENT_SOURCE_DIR}/ProgramPath.cpp
  ${CMAKE_CURRENT_SOURCE_DIR}/SongClock.cpp
  ${CMAKE_CURRENT_SOURCE_DIR}/live/PlayControls.cpp
  ${CMAKE_CURRENT_SOURCE_DIR}/live/ReloadWatcher.cpp
  ${CMAKE_CURRENT_SOURCE_DIR}/live/ScoreConversion.cpp
  ${strobewerk_audio_sources})
target_include_directories(strobewerk_core PUBLIC ${PROJECT_SOURCE_DIR})
# The converter library turns an edited score into notes while playing.
target_link_libraries(strobewerk_core PUBLIC vorn_base notegrind_core PkgConfig::SW_SDL
  PkgConfig::SW_MPG123 PkgConfig::SW_KISSFFT Threads::Threads ${CMAKE_DL_LIBS})
project_target(strobewerk_core)
