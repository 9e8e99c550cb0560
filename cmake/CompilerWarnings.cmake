# Warnings every target gets. MESHGATE2_WERROR makes them errors: our scripts and CI switch it on so that
# nothing slips in unnoticed; a packager's build with another compiler must not stop on a new warning.
option(MESHGATE2_WERROR "Treat compiler warnings as errors" OFF)
add_library(meshgate2_warnings INTERFACE)
target_compile_options(meshgate2_warnings INTERFACE
    -Wall        # the usual suspects
    -Wextra      # unused parameters, sign comparisons and more
    -Wpedantic)  # no compiler extensions
if(MESHGATE2_WERROR)
    target_compile_options(meshgate2_warnings INTERFACE -Werror)
endif()
