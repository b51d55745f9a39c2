# Builds the game as a WebAssembly command module for WASI, with Debian's
# clang and lld, wasi-libc, and libc++ built for wasm32.
list(APPEND CMAKE_MODULE_PATH ${CMAKE_CURRENT_LIST_DIR})
set(CMAKE_SYSTEM_NAME WASI)
set(CMAKE_SYSTEM_PROCESSOR wasm32)

set(CMAKE_CXX_COMPILER clang++)
set(CMAKE_CXX_COMPILER_TARGET wasm32-wasi)
# That libc++ is built without exception support.
set(CMAKE_CXX_FLAGS_INIT -fno-exceptions)
