# Helpers shared by every folder's CMakeLists.

set(VQ_WARNINGS -Wall -Wextra -Wshadow -Werror)

# Fuzzing builds instrument every library for coverage, so that the fuzzers see into the
# readers they drive, and check them with the sanitizers.
if(VQ_FUZZ)
    add_compile_options(-fsanitize=fuzzer-no-link,address,undefined -fno-omit-frame-pointer)
    add_link_options(-fsanitize=address,undefined)
endif()

if(VQ_SANITIZE)
    add_compile_options(-fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=undefined)
    add_link_options(-fsanitize=address,undefined)
endif()

# Adds the warning set to one of our own targets.
function(vq_warnings target)
    target_compile_options(${target} PRIVATE ${VQ_WARNINGS})
endfunction()

# vq_library(name DIR dir [EXCLUDE regex...] [PUBLIC libs...] [PRIVATE libs...])
# A static library made of every .cpp below DIR (recursively), minus EXCLUDEd paths.
function(vq_library name)
    cmake_parse_arguments(A "" "DIR" "EXCLUDE;PUBLIC;PRIVATE" ${ARGN})
    file(GLOB_RECURSE srcs CONFIGURE_DEPENDS "${A_DIR}/*.cpp" "${A_DIR}/*.c")
    foreach(rx IN LISTS A_EXCLUDE)
        list(FILTER srcs EXCLUDE REGEX "${rx}")
    endforeach()
    if(NOT srcs)
        # A folder whose sources are still to come: an empty library keeps the links valid.
        set(empty "${CMAKE_CURRENT_BINARY_DIR}/${name}_empty.cpp")
        file(WRITE "${empty}" "// intentionally empty\n")
        set(srcs "${empty}")
    endif()
    add_library(${name} STATIC ${srcs})
    target_include_directories(${name} PUBLIC ${PROJECT_SOURCE_DIR})
    target_link_libraries(${name} PUBLIC ${A_PUBLIC} PRIVATE ${A_PRIVATE})
    vq_warnings(${name})
endfunction()
