# AddressSanitizer and UndefinedBehaviorSanitizer for the whole build, switched by MESHGATE2_SANITIZE.
option(MESHGATE2_SANITIZE "Build with AddressSanitizer and UndefinedBehaviorSanitizer" OFF)
add_library(meshgate2_sanitizers INTERFACE)
if(MESHGATE2_SANITIZE)
    # -fno-sanitize-recover: an undefined-behaviour report fails the test instead of scrolling past.
    # -fno-omit-frame-pointer: readable stacks in the reports.
    set(_san -fsanitize=address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer)
    target_compile_options(meshgate2_sanitizers INTERFACE ${_san})
    target_link_options(meshgate2_sanitizers INTERFACE ${_san})
endif()
