# Each subsystem folder becomes up to two static libraries, found by globbing so that new files need no
# edits here: qb_<name> holds the logic (Qt Core at most) and qb_<name>_ui the files that need Widgets
# (named *_window, *_page, *_pane, *_dialog, *_widget). A folder of headers only becomes an interface library.
set(QB_UI_FILE_REGEX "(_window|_page|_pane|_dialog|_widget)\\.(cpp|h)$")

function(qb_subsystem name)
    cmake_parse_arguments(ARG "ALL_UI" "" "DEPS;UI_DEPS;EXTRA_SOURCES" ${ARGN})
    set(dir "${CMAKE_CURRENT_SOURCE_DIR}/${name}")
    file(GLOB_RECURSE files CONFIGURE_DEPENDS "${dir}/*.cpp" "${dir}/*.h")
    list(APPEND files ${ARG_EXTRA_SOURCES})
    set(logic "")
    set(ui "")
    foreach(f IN LISTS files)
        if(ARG_ALL_UI OR f MATCHES "${QB_UI_FILE_REGEX}")
            list(APPEND ui "${f}")
        else()
            list(APPEND logic "${f}")
        endif()
    endforeach()
    string(REPLACE "/" "_" target "qb_${name}")
    qb_library(${target} "${logic}" "${ARG_DEPS};Qt6::Core")
    qb_library(${target}_ui "${ui}" "${target};${ARG_UI_DEPS};Qt6::Widgets")
endfunction()

function(qb_library target sources deps)
    set(cpp ${sources})
    list(FILTER cpp INCLUDE REGEX "\\.cpp$")
    if(cpp)
        add_library(${target} STATIC ${sources})
        target_include_directories(${target} PUBLIC "${PROJECT_SOURCE_DIR}/src")
        target_link_libraries(${target} PUBLIC ${deps})
    else()
        add_library(${target} INTERFACE ${sources})
        target_include_directories(${target} INTERFACE "${PROJECT_SOURCE_DIR}/src")
        target_link_libraries(${target} INTERFACE ${deps})
    endif()
endfunction()

# One test executable per folder under tests/; every GoogleTest case becomes its own ctest test.
function(qb_test_folder name)
    cmake_parse_arguments(ARG "" "" "LIBS;LABELS" ${ARGN})
    file(GLOB sources CONFIGURE_DEPENDS "${CMAKE_CURRENT_SOURCE_DIR}/${name}/*.cpp")
    if(NOT sources)
        return()
    endif()
    set(target "test_${name}")
    add_executable(${target} ${sources})
    target_link_libraries(${target} PRIVATE qb_test_support ${ARG_LIBS})
    gtest_discover_tests(${target}
        DISCOVERY_TIMEOUT 120
        PROPERTIES ENVIRONMENT "QT_QPA_PLATFORM=offscreen;QB_TEST_DATA=${CMAKE_CURRENT_SOURCE_DIR}"
                   LABELS "${ARG_LABELS}" TIMEOUT 300)
endfunction()
