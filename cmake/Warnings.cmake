# Warnings for the project's own targets: tonavise_warnings(<target>).
#
# In the normal build every warning is an error, so a new one stops the build where it was
# written. The sanitizer and fuzzing builds compile the same code with other options (and the
# fuzzers with clang), whose extra diagnostics are looked at, not enforced.
option(TONAVISE_WARNINGS_AS_ERRORS "Treat the project's warnings as errors" ON)

function(tonavise_warnings target)
  target_compile_options(${target} PRIVATE -Wall -Wextra -Wpedantic -Wshadow -Wnon-virtual-dtor
                                           -Wold-style-cast -Wcast-align -Woverloaded-virtual)
  if(TONAVISE_WARNINGS_AS_ERRORS AND NOT TONAVISE_SANITIZE AND NOT TONAVISE_FUZZ)
    set_property(TARGET ${target} PROPERTY COMPILE_WARNING_AS_ERROR ON)
  endif()
endfunction()
