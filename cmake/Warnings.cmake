# Warnings for our own targets only; outside headers are included as SYSTEM.
function(zelto_warnings target)
  target_compile_options(${target} PRIVATE -Wall -Wextra -Wno-unused-parameter)
endfunction()
