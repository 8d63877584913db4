# SPDX-License-Identifier: MIT
# oq_add_test(NAME <name> SOURCES <files...> LIBS <targets...>)
# One Qt Test executable per unit. Every test runs on the offscreen platform
# and gets private XDG folders, so nothing touches the user's display or files.
find_package(Qt6 REQUIRED COMPONENTS Test)

function(oq_add_test)
    cmake_parse_arguments(T "" "NAME" "SOURCES;LIBS" ${ARGN})
    add_executable(${T_NAME} ${T_SOURCES})
    target_link_libraries(${T_NAME} PRIVATE Qt6::Test ${T_LIBS})
    target_compile_definitions(${T_NAME} PRIVATE
        OQ_TEST_DATA_DIR="${CMAKE_SOURCE_DIR}/tests/data"
        OQ_SOURCE_DIR="${CMAKE_SOURCE_DIR}")
    add_test(NAME ${T_NAME} COMMAND ${T_NAME})
    set(env "QT_QPA_PLATFORM=offscreen")
    set(home "${CMAKE_BINARY_DIR}/test-home/${T_NAME}")
    list(APPEND env "XDG_CONFIG_HOME=${home}/config" "XDG_DATA_HOME=${home}/data" "HOME=${home}")
    set_tests_properties(${T_NAME} PROPERTIES ENVIRONMENT "${env}" TIMEOUT 300)
endfunction()
