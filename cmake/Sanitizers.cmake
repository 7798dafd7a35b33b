# AddressSanitizer + UndefinedBehaviorSanitizer with no recovery, so that any
# undefined behaviour fails the test that triggered it.
if(ZEPHYRAL_SANITIZE)
  set(_san -fsanitize=address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer)
  add_compile_options(${_san})
  add_link_options(${_san})
endif()
