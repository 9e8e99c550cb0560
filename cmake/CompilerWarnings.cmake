# Warnings every target gets; they are errors so that nothing slips in unnoticed.
add_library(meshgate2_warnings INTERFACE)
target_compile_options(meshgate2_warnings INTERFACE
    -Wall        # the usual suspects
    -Wextra      # unused parameters, sign comparisons and more
    -Wpedantic   # no compiler extensions
    -Werror)     # a warning stops the build
