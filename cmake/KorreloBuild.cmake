# Build settings and helpers shared by every folder.
include(GenerateExportHeader)

option(KORRELO_SANITIZE "Build with AddressSanitizer and UndefinedBehaviorSanitizer" OFF)
option(KORRELO_BENCH "Build the benchmarks in bench/" ON)

find_program(KORRELO_CCACHE ccache)
if(KORRELO_CCACHE)
    set(CMAKE_CXX_COMPILER_LAUNCHER ${KORRELO_CCACHE})
endif()

if(KORRELO_SANITIZE)
    add_compile_options(-fsanitize=address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer)
    add_link_options(-fsanitize=address,undefined)
endif()

# Our own code builds warning-free; generated and third-party code is not held to that.
function(korrelo_warnings target)
    target_compile_options(${target} PRIVATE -Wall -Wextra)
endfunction()

# Environment every test starts with, passed on to the programs a test starts. None of them draws
# with OpenGL, so Qt is kept from loading the system's OpenGL driver on X11 (the GL integration of
# the xcb platform, the GLX path of the offscreen one): the driver allocates in a library it unloads
# before the leak check, where that memory can be told from ours neither by module nor by a
# suppression narrow enough to leave our own leaks reported.
set(KORRELO_TEST_ENVIRONMENT "QT_XCB_GL_INTEGRATION=none;QT_QPA_OFFSCREEN_NO_GLX=1")

# One QtTest executable per tst_<name>.cpp in the calling folder, registered with ctest as
# <area>_<name>. Files named tst_x11_*.cpp need a real X server (scripts/test runs ctest under
# xvfb-run); files named tst_ownx_*.cpp get an X server of their own (key grabs and the tray are
# per server) and choose the xcb platform themselves; all others run on the offscreen platform.
#   korrelo_add_qtests(AREA utility LIBS utility [SOURCES extra.cpp ...] [SANITIZE])
function(korrelo_add_qtests)
    cmake_parse_arguments(ARG "SANITIZE" "AREA" "LIBS;SOURCES" ${ARGN})
    find_package(Qt5 REQUIRED COMPONENTS Core Test)
    file(GLOB tests CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/tst_*.cpp)
    foreach(src ${tests})
        get_filename_component(stem ${src} NAME_WE)
        string(REGEX REPLACE "^tst_" "" name ${stem})
        set(target tst_${ARG_AREA}_${name})
        add_executable(${target} ${src} ${ARG_SOURCES})
        set_target_properties(${target} PROPERTIES AUTOMOC ON)
        target_link_libraries(${target} PRIVATE Qt5::Test ${ARG_LIBS})
        target_include_directories(${target} PRIVATE ${CMAKE_CURRENT_SOURCE_DIR})
        korrelo_warnings(${target})
        if(name MATCHES "^ownx_")
            add_test(NAME ${ARG_AREA}_${name}
                COMMAND xvfb-run -a -s "-screen 0 1920x1080x24" $<TARGET_FILE:${target}>)
        else()
            add_test(NAME ${ARG_AREA}_${name} COMMAND ${target})
        endif()
        # No X server for offscreen tests: otherwise the web engine, loaded with Proofkit, makes the
        # offscreen platform open a GL context through the X server's driver, which leaks at exit.
        set(env "QT_QPA_PLATFORM=offscreen;DISPLAY=")
        if(name MATCHES "^x11_|^ownx_")
            set(env "QTWEBENGINE_DISABLE_SANDBOX=1")
        endif()
        set(labels ${ARG_AREA})
        if(ARG_SANITIZE)
            list(APPEND labels sanitize)
        endif()
        set_tests_properties(${ARG_AREA}_${name} PROPERTIES
            ENVIRONMENT "${KORRELO_TEST_ENVIRONMENT};${env};KORRELO_DESKTOP=sim;HOME=${CMAKE_BINARY_DIR}/test-home/${ARG_AREA}_${name};XDG_CONFIG_HOME=${CMAKE_BINARY_DIR}/test-home/${ARG_AREA}_${name}/.config"
            LABELS "${labels}"
            TIMEOUT 300)
    endforeach()
endfunction()

# One Google Benchmark program per <PREFIX>_*.cpp in the calling folder.
#   korrelo_add_benchmarks(PREFIX bench_utility LIBS utility)
function(korrelo_add_benchmarks)
    cmake_parse_arguments(ARG "" "PREFIX" "LIBS" ${ARGN})
    find_package(benchmark REQUIRED)
    file(GLOB benches CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/${ARG_PREFIX}_*.cpp)
    foreach(src ${benches})
        get_filename_component(stem ${src} NAME_WE)
        add_executable(${stem} ${src})
        target_link_libraries(${stem} PRIVATE benchmark::benchmark ${ARG_LIBS})
        target_include_directories(${stem} PRIVATE ${CMAKE_SOURCE_DIR}/bench)
        korrelo_warnings(${stem})
    endforeach()
endfunction()
