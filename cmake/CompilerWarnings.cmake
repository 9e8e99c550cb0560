# Warnings every target of ours gets (link_libraries in the top CMakeLists.txt; what cmake/Windows.cmake builds
# of its own comes before it, and Qt's and other libraries' headers come in as system headers, so neither is
# warned about). MESHGATE2_WERROR makes them errors: our scripts and CI switch it on so that nothing slips in
# unnoticed; a packager's build with another compiler must not stop on a new warning.
option(MESHGATE2_WERROR "Treat compiler warnings as errors" OFF)
add_library(meshgate2_warnings INTERFACE)
# GCC's alone; clang builds with the rest.
set(_gcc_warnings
    -Wmisleading-indentation # indentation that suggests a block there is not
    -Wduplicated-cond        # the same condition twice in an if-else chain
    -Wduplicated-branches    # if and else that do the same
    -Wlogical-op             # && or || that is probably a mistake
    -Wuseless-cast)          # a cast to the type the value already has
target_compile_options(meshgate2_warnings INTERFACE
    -Wall                   # the usual suspects
    -Wextra                 # unused parameters, sign comparisons and more
    -Wpedantic              # no compiler extensions
    -Wshadow                # a name that hides one from an outer scope
    -Wnon-virtual-dtor      # a class with virtual functions deleted through a base without a virtual destructor
    -Wold-style-cast        # C casts hide what they do; a named cast says it
    -Wcast-align            # a cast to a pointer of stricter alignment
    -Wunused                # anything unused
    -Woverloaded-virtual    # an overload that hides a virtual function
    -Wconversion            # a conversion that may lose data
    -Wsign-conversion       # a conversion that may change a value's sign
    -Wdouble-promotion      # a float silently widened to double
    -Wformat=2              # printf-style formats, and ones that are not literals
    -Wimplicit-fallthrough  # a switch case that runs into the next without saying so
    "$<$<CXX_COMPILER_ID:GNU>:${_gcc_warnings}>"
    # A null pointer dereferenced. Clang's only: GCC's version runs after inlining and fires inside Qt's and
    # libstdc++'s headers (QWidget::isVisible, vector::insert, istreambuf_iterator) even behind a null check.
    "$<$<CXX_COMPILER_ID:Clang>:-Wnull-dereference>")
if(MESHGATE2_WERROR)
    target_compile_options(meshgate2_warnings INTERFACE -Werror)
endif()
