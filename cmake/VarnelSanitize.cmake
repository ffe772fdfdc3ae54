# The sanitizers apply to every target of the build, so that the core library and
# the tests that drive it are instrumented alike.
if(VARNEL_SANITIZE)
  add_compile_options(-fsanitize=address,undefined -fno-sanitize-recover=all
                      -fno-omit-frame-pointer -g)
  add_link_options(-fsanitize=address,undefined -fno-sanitize-recover=all)
endif()
