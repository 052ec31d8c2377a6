# Every library the project links, found once so that modules only name targets.
find_package(Qt6 6.4 REQUIRED COMPONENTS Core Gui Widgets Svg SvgWidgets DBus Concurrent Network Test)
find_package(GTest REQUIRED)
find_package(Threads REQUIRED)
find_package(nlohmann_json 3.10 REQUIRED)
find_package(CURL REQUIRED)
find_package(PkgConfig REQUIRED)

pkg_check_modules(FFMPEG REQUIRED IMPORTED_TARGET
    libavcodec libavformat libavdevice libavutil libswscale)
pkg_check_modules(LIBPULSE REQUIRED IMPORTED_TARGET libpulse)
pkg_check_modules(LIBSECRET REQUIRED IMPORTED_TARGET libsecret-1)
pkg_check_modules(LIBSYSTEMD REQUIRED IMPORTED_TARGET libsystemd)
# Starting applications from their desktop entries.
pkg_check_modules(GIO REQUIRED IMPORTED_TARGET gio-unix-2.0)
pkg_check_modules(TESSERACT REQUIRED IMPORTED_TARGET tesseract lept)
pkg_check_modules(XCB REQUIRED IMPORTED_TARGET xcb xcb-keysyms)
# Locale-aware number formatting of the credits views.
pkg_check_modules(ICU REQUIRED IMPORTED_TARGET icu-i18n icu-uc)

# XNNPACK ships no CMake or pkg-config file on Debian.
find_path(XNNPACK_INCLUDE_DIR xnnpack.h REQUIRED)
find_library(XNNPACK_LIBRARY XNNPACK REQUIRED)
# xnnpack.h includes pthreadpool.h; the pool also runs multi-threaded inference.
find_path(PTHREADPOOL_INCLUDE_DIR pthreadpool.h REQUIRED)
find_library(PTHREADPOOL_LIBRARY pthreadpool REQUIRED)
add_library(Zuno::XNNPACK INTERFACE IMPORTED)
target_include_directories(Zuno::XNNPACK INTERFACE ${XNNPACK_INCLUDE_DIR} ${PTHREADPOOL_INCLUDE_DIR})
target_link_libraries(Zuno::XNNPACK INTERFACE ${XNNPACK_LIBRARY} ${PTHREADPOOL_LIBRARY})

# Standalone asio, header only.
find_path(ASIO_INCLUDE_DIR asio.hpp REQUIRED)
add_library(Zuno::Asio INTERFACE IMPORTED)
target_include_directories(Zuno::Asio INTERFACE ${ASIO_INCLUDE_DIR})
target_compile_definitions(Zuno::Asio INTERFACE ASIO_STANDALONE ASIO_NO_DEPRECATED)
target_link_libraries(Zuno::Asio INTERFACE Threads::Threads)

# OpenCV from the per-module Debian packages (libopencv-dev would pull in every module and VTK).
find_path(OPENCV_INCLUDE_DIR opencv2/core.hpp PATH_SUFFIXES opencv4 REQUIRED)
add_library(Zuno::OpenCV INTERFACE IMPORTED)
target_include_directories(Zuno::OpenCV INTERFACE ${OPENCV_INCLUDE_DIR})
foreach(module core imgproc objdetect video)
    find_library(OPENCV_${module}_LIBRARY opencv_${module} REQUIRED)
    target_link_libraries(Zuno::OpenCV INTERFACE ${OPENCV_${module}_LIBRARY})
endforeach()
# OpenCV 4.6 headers under C++20.
target_compile_options(Zuno::OpenCV INTERFACE -Wno-deprecated-enum-enum-conversion)

# Pinned npm data packages (models, icons), installed by scripts/setup.sh.
set(ZUNO_NODE_MODULES ${CMAKE_SOURCE_DIR}/node_modules)
