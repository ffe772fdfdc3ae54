# Warnings are set per target, so that third-party code is not held to them.
function(varnel_set_warnings target)
  target_compile_options(${target} PRIVATE
    -Wall -Wextra -Wpedantic -Wconversion -Wsign-conversion -Wshadow)
  if(VARNEL_WERROR)
    target_compile_options(${target} PRIVATE -Werror)
  endif()
endfunction()
