# SPDX-License-Identifier: MIT
# Compiler warnings and hardening, in two interface targets that every target
# of the project links (oq_apply_build_flags() at the end of the root
# CMakeLists.txt walks them all, so a new target cannot be missed).
#
# Warnings are only warnings in a user's build; the test command turns them
# into errors with -DCMAKE_COMPILE_WARNING_AS_ERROR=ON. Qt's, GoogleTest's and
# Google Benchmark's headers come in as system headers and stay quiet.
include(CheckPIESupported)

add_library(oq_warnings INTERFACE)
target_compile_options(oq_warnings INTERFACE
    -Wall -Wextra -Wpedantic -Wshadow -Wnon-virtual-dtor -Wcast-align
    -Woverloaded-virtual -Wformat=2)

# Hardened as a distribution builds its packages: stack protector, format
# strings checked, fortified libc calls, a position-independent program whose
# relocations are made read-only before it starts.
add_library(oq_hardening INTERFACE)
target_compile_options(oq_hardening INTERFACE
    -fstack-protector-strong -Wformat -Werror=format-security)
target_link_options(oq_hardening INTERFACE LINKER:-z,relro LINKER:-z,now)
# As Debian 12 adds on x86-64: stack clash probes and control-flow protection.
include(CheckCXXCompilerFlag)
foreach(flag -fstack-clash-protection -fcf-protection)
    string(MAKE_C_IDENTIFIER "OQ_HAVE${flag}" have_flag)
    check_cxx_compiler_flag(${flag} ${have_flag})
    if(${have_flag})
        target_compile_options(oq_hardening INTERFACE ${flag})
    endif()
endforeach()
# Fortified calls need optimisation (glibc warns without it), and the
# sanitizers replace those same calls with checks of their own.
string(FIND "${CMAKE_CXX_FLAGS}" "-fsanitize" oq_sanitized)
if(oq_sanitized EQUAL -1 AND NOT OQ_BUILD_FUZZ)
    target_compile_definitions(oq_hardening INTERFACE
        $<$<CONFIG:Release,RelWithDebInfo,MinSizeRel>:_FORTIFY_SOURCE=2>)
endif()
set(CMAKE_POSITION_INDEPENDENT_CODE ON)
check_pie_supported(LANGUAGES CXX)

# Links both targets into every library and program defined below `dir`.
function(oq_apply_build_flags dir)
    get_property(targets DIRECTORY ${dir} PROPERTY BUILDSYSTEM_TARGETS)
    foreach(target IN LISTS targets)
        get_target_property(type ${target} TYPE)
        if(type MATCHES "^(EXECUTABLE|STATIC_LIBRARY|SHARED_LIBRARY|MODULE_LIBRARY|OBJECT_LIBRARY)$")
            target_link_libraries(${target} PRIVATE oq_warnings oq_hardening)
        endif()
    endforeach()
    get_property(subdirs DIRECTORY ${dir} PROPERTY SUBDIRECTORIES)
    foreach(subdir IN LISTS subdirs)
        oq_apply_build_flags(${subdir})
    endforeach()
endfunction()
