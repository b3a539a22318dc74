# The capture's half that needs no window: the frame plan, the progress
# lines, the MP4 encoder over the FFmpeg libraries (a module of its own) and
# its encode thread.
# The driver and the read-back draw with GL and join the application.
pkg_check_modules(CAPTURE_AV REQUIRED IMPORTED_TARGET libavformat libavcodec libswscale libavutil)
find_package(Threads REQUIRED)

# The encoder over the FFmpeg libraries, a module the program loads only
# when it captures: the live production starts without those libraries.
add_library(strobewerk_encoder MODULE
  ${CMAKE_CURRENT_LIST_DIR}/Mp4Encoder.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ImageSequenceEncoder.cpp
  ${CMAKE_CURRENT_LIST_DIR}/PartReader.cpp
  ${CMAKE_CURRENT_LIST_DIR}/CaptureOutput.cpp)
target_include_directories(strobewerk_encoder PRIVATE ${PROJECT_SOURCE_DIR})
target_link_libraries(strobewerk_encoder PRIVATE PkgConfig::CAPTURE_AV Threads::Threads)
project_target(strobewerk_encoder)

add_library(strobewerk_capture STATIC
  ${CMAKE_CURRENT_LIST_DIR}/CapturePlan.cpp
  ${CMAKE_CURRENT_LIST_DIR}/CaptureProgress.cpp
  ${CMAKE_CURRENT_LIST_DIR}/CaptureEncoder.cpp
  ${CMAKE_CURRENT_LIST_DIR}/CaptureOutput.cpp
  ${CMAKE_CURRENT_LIST_DIR}/EncodeThread.cpp
  ${CMAKE_CURRENT_LIST_DIR}/OutputClaim.cpp
  ${CMAKE_CURRENT_LIST_DIR}/PartJobs.cpp
  ${CMAKE_CURRENT_LIST_DIR}/StopSignals.cpp)
target_include_directories(strobewerk_capture PUBLIC ${PROJECT_SOURCE_DIR})
target_link_libraries(strobewerk_capture PUBLIC strobewerk_core Threads::Threads ${CMAKE_DL_LIBS})
target_compile_definitions(strobewerk_capture PRIVATE ENCODER_MODULE_BUILD_PATH="$<TARGET_FILE:strobewerk_encoder>")
add_dependencies(strobewerk_capture strobewerk_encoder)
project_target(strobewerk_capture)

set(capture_app_sources
  ${CMAKE_CURRENT_LIST_DIR}/CaptureDriver.cpp
  ${CMAKE_CURRENT_LIST_DIR}/FrameReadback.cpp
  ${CMAKE_CURRENT_LIST_DIR}/SplitCapture.cpp)
