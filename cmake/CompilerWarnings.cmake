# Warnings every target gets; they are errors so that nothing slips in unnoticed.
add_library(meshgate2_warnings INTERFACE)
target_compile_options(meshgate2_warnings INTERFACE
    -Wall        # the usual suspects
    -Wextra      # unused parameters, sign comparisons and more
    -Wpedantic   # no compiler extensions
    -Werror)     # a warning stops the build

# meshgate2_library(NAME SOURCES...): a static library of the folder's sources, or a header-only
# INTERFACE library while the folder has no .cpp yet, so that half-built folders never stop configuring.
function(meshgate2_library name)
    set(cpp ${ARGN})
    list(FILTER cpp INCLUDE REGEX "\\.cpp$")
    if(cpp)
        add_library(${name} STATIC ${ARGN})
        target_include_directories(${name} PUBLIC ${CMAKE_CURRENT_SOURCE_DIR})
        set_target_properties(${name} PROPERTIES MESHGATE2_SCOPE PUBLIC)
    else()
        add_library(${name} INTERFACE)
        target_include_directories(${name} INTERFACE ${CMAKE_CURRENT_SOURCE_DIR})
        set_target_properties(${name} PROPERTIES MESHGATE2_SCOPE INTERFACE)
    endif()
endfunction()
