# Warnings are errors on GCC and mingw.
function(veneer_warnings target)
  target_compile_options(${target} PRIVATE -Wall -Wextra -Werror)
endfunction()
