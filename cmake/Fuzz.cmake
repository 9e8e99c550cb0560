# libFuzzer targets with AddressSanitizer and UndefinedBehaviorSanitizer, switched by MESHGATE2_FUZZ
# (clang only). Every library is then built with the fuzzer's coverage counters; only fuzz/ links the
# fuzzer's own main.
option(MESHGATE2_FUZZ "Build the libFuzzer targets in fuzz/ (clang), with AddressSanitizer and UBSan" OFF)
if(MESHGATE2_FUZZ)
    if(NOT CMAKE_CXX_COMPILER_ID MATCHES "Clang")
        message(FATAL_ERROR "MESHGATE2_FUZZ needs clang: configure with CXX=clang++")
    endif()
    set(_fuzz -fsanitize=fuzzer-no-link,address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer)
    target_compile_options(meshgate2_sanitizers INTERFACE ${_fuzz})
    target_link_options(meshgate2_sanitizers INTERFACE -fsanitize=address,undefined)
endif()
