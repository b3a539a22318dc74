# The capture's half that needs no window: the frame plan, the progress
# lines, the MP4 encoder over the FFmpeg libraries and its encode thread.
# The driver and the read-back draw with GL and join the application.
pkg_check_modules(CAPTURE_AV REQUIRED IMPORTED_TARGET libavformat libavcodec libswscale libavutil)

add_library(strobewerk_capture STATIC
  ${CMAKE_CURRENT_LIST_DIR}/CapturePlan.cpp
  ${CMAKE_CURRENT_LIST_DIR}/CaptureProgress.cpp
  ${CMAKE_CURRENT_LIST_DIR}/CaptureEncoder.cpp
  ${CMAKE_CURRENT_LIST_DIR}/EncodeThread.cpp)
target_include_directories(strobewerk_capture PUBLIC ${PROJECT_SOURCE_DIR})
target_link_libraries(strobewerk_capture PUBLIC strobewerk_core PkgConfig::CAPTURE_AV Threads::Threads)
project_target(strobewerk_capture)

set(capture_app_sources
  ${CMAKE_CURRENT_LIST_DIR}/CaptureDriver.cpp
  ${CMAKE_CURRENT_LIST_DIR}/FrameReadback.cpp)
