# Our own targets build with every common warning. A warning fails the build only where that is
# asked for: the developers' presets and CI turn this on; a packager's plain build leaves it off.
option(QUILLORA_WARNINGS_AS_ERRORS "Fail the build on any compiler warning" OFF)

function(quillora_warnings target)
  target_compile_options(${target} PRIVATE -Wall -Wextra -Wpedantic -Wshadow)
  if(QUILLORA_WARNINGS_AS_ERRORS)
    target_compile_options(${target} PRIVATE -Werror)
  endif()
endfunction()
