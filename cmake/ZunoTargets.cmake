# Helpers shared by the modules.

# Sources of a module: every .cpp/.h below the given folders (new files need no CMake edit).
function(zuno_glob_sources out)
    set(files)
    foreach(dir IN LISTS ARGN)
        file(GLOB found CONFIGURE_DEPENDS ${dir}/*.cpp ${dir}/*.h)
        list(APPEND files ${found})
    endforeach()
    set(${out} ${files} PARENT_SCOPE)
endfunction()

# Pixel, inference and codec code: GCC vectorises little below -O3.
function(zuno_hot_code target)
    target_compile_options(${target} PRIVATE $<$<CONFIG:Release,RelWithDebInfo>:-O3>)
endfunction()

# One GoogleTest executable per test area:
#   zuno_add_test_area(NAME ZunoKitFoundationTests LABEL foundation LINKS ZunoKitCore [DATA dir])
# Sources are the folder's .cpp files. Tests find their data through ZUNO_TEST_DATA.
function(zuno_add_test_area)
    cmake_parse_arguments(T "" "NAME;LABEL" "LINKS" ${ARGN})
    file(GLOB sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp ${CMAKE_CURRENT_SOURCE_DIR}/*.h)
    add_executable(${T_NAME} ${sources})
    target_link_libraries(${T_NAME} PRIVATE ${T_LINKS} GTest::gtest GTest::gmock ZunoTestSupport)
    zuno_autogen_tracks_sources(${T_NAME})
    target_compile_definitions(${T_NAME} PRIVATE
        ZUNO_TEST_DATA="${CMAKE_SOURCE_DIR}/TestData"
        ZUNO_SOURCE_DIR="${CMAKE_SOURCE_DIR}")
    gtest_discover_tests(${T_NAME}
        TEST_FILTER ${ZUNO_TEST_FILTER}
        PROPERTIES LABELS ${T_LABEL}
        DISCOVERY_TIMEOUT 60)
    zuno_add_whole_run(${T_NAME} ${T_LABEL})
endfunction()

# Suites named *ChildRole are the halves that multi-process tests start in a child process: they are
# not tests of their own, so discovery and whole runs leave them out.
set(ZUNO_TEST_FILTER "-*ChildRole.*")

# Runs a test executable whole, every test in one process, as <target>.WholeRun (labels: the area's and
# wholerun). ctest runs each test in a process of its own, which hides state leaking from one test into
# the next (timers and deferred calls that outlive their fixture). Extra arguments are test properties:
#   zuno_add_whole_run(ZunoKitPanelX11Tests panels RESOURCE_LOCK x11-display)
function(zuno_add_whole_run target label)
    add_test(NAME ${target}.WholeRun COMMAND ${target} --gtest_filter=${ZUNO_TEST_FILTER})
    set_tests_properties(${target}.WholeRun PROPERTIES LABELS "${label};wholerun" TIMEOUT 900 ${ARGN})
endfunction()

# Adds every <root>/<Area>/ that has a CMakeLists.txt.
function(zuno_add_subdirectories root)
    file(GLOB dirs LIST_DIRECTORIES true ${root}/*)
    foreach(dir IN LISTS dirs)
        if(EXISTS ${dir}/CMakeLists.txt)
            add_subdirectory(${dir})
        endif()
    endforeach()
endfunction()

# Ninja's automoc step does not notice a header that a re-glob adds to a target (its dependency on
# the source list is order-only), so a new Q_OBJECT class would fail to link. When the list changes,
# drop the step's timestamp so that it runs again.
function(zuno_autogen_tracks_sources target)
    get_target_property(sources ${target} SOURCES)
    list(JOIN sources "\n" listing)
    set(file ${CMAKE_CURRENT_BINARY_DIR}/${target}_sources.txt)
    set(previous "")
    if(EXISTS ${file})
        file(READ ${file} previous)
    endif()
    if(NOT previous STREQUAL "${listing}\n")
        file(WRITE ${file} "${listing}\n")
        file(REMOVE ${CMAKE_CURRENT_BINARY_DIR}/${target}_autogen/timestamp)
    endif()
endfunction()
