# Warnings are errors for the project's own targets (not for GoogleTest).
add_library(kel_warnings INTERFACE)
target_compile_options(kel_warnings INTERFACE
  -Wall -Wextra -Wpedantic -Werror
  -Wno-missing-field-initializers)
