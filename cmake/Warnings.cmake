# Our own targets build with every common warning, and a warning fails the build.
function(quillora_warnings target)
  target_compile_options(${target} PRIVATE -Wall -Wextra -Wpedantic -Wshadow -Werror)
endfunction()
