# SPDX-License-Identifier: MIT
# oq_add_version_block(<target>)
# Generates the program's version block from the project's version and the
# OQ_* values of the root CMakeLists.txt, and stores it in the linked program
# file as the ELF section .ombry_version, where the About box reads it back.

function(oq_version_block_path out)
    set(${out} ${CMAKE_BINARY_DIR}/versionblock/ombryquote-version.bin PARENT_SCOPE)
endfunction()

function(oq_add_version_block target)
    if(NOT CMAKE_EXECUTABLE_FORMAT STREQUAL "ELF" OR NOT CMAKE_OBJCOPY)
        message(WARNING "No ELF objcopy: ${target} is built without its version block")
        return()
    endif()

    if(NOT TARGET mkversionblock)
        add_executable(mkversionblock ${CMAKE_SOURCE_DIR}/app/mkversionblock.cpp)
    endif()

    # The fixed record holds four numbers; those the project version lacks are 0.
    set(fixed "")
    foreach(part MAJOR MINOR PATCH TWEAK)
        set(n "${PROJECT_VERSION_${part}}")
        if(n STREQUAL "")
            set(n 0)
        endif()
        list(APPEND fixed ${n})
    endforeach()
    list(JOIN fixed "." fixed)

    oq_version_block_path(block)
    get_filename_component(block_dir ${block} DIRECTORY)
    file(MAKE_DIRECTORY ${block_dir})
    # US English, Windows-1252: the translation the string table is kept under.
    add_custom_command(OUTPUT ${block}
        COMMAND mkversionblock -o ${block}
            --file-version ${fixed} --product-version ${fixed} --translation 040904E4
            --string "CompanyName=${OQ_COMPANY_NAME}"
            --string "FileDescription=${PROJECT_DESCRIPTION}"
            --string "FileVersion=${PROJECT_VERSION}"
            --string "InternalName=${target}"
            --string "LegalCopyright=${OQ_COPYRIGHT}"
            --string "OriginalFilename=${target}"
            --string "ProductName=${OQ_PRODUCT_NAME}"
            --string "ProductVersion=${PROJECT_VERSION}"
            --string "Comments=${OQ_COMMENTS}"
        DEPENDS mkversionblock
        COMMENT "Generating the version block"
        VERBATIM)
    add_custom_target(${target}_version_block DEPENDS ${block})
    add_dependencies(${target} ${target}_version_block)
    # A changed block relinks the program, which stores it again.
    set_property(TARGET ${target} APPEND PROPERTY LINK_DEPENDS ${block})
    add_custom_command(TARGET ${target} POST_BUILD
        COMMAND ${CMAKE_OBJCOPY} --remove-section=.ombry_version
                --add-section .ombry_version=${block}
                $<TARGET_FILE:${target}> $<TARGET_FILE:${target}>.versioned
        COMMAND ${CMAKE_COMMAND} -E rename $<TARGET_FILE:${target}>.versioned $<TARGET_FILE:${target}>
        COMMENT "Storing the version block in ${target}"
        VERBATIM)
endfunction()
