# Builds the game as a WebAssembly command module for WASI, with Debian's
# clang and lld, wasi-libc, and libc++ built for wasm32.
list(APPEND CMAKE_MODULE_PATH ${CMAKE_CURRENT_LIST_DIR})
set(CMAKE_SYSTEM_NAME WASI)
set(CMAKE_SYSTEM_PROCESSOR wasm32)

set(CMAKE_CXX_COMPILER clang++)
set(CMAKE_CXX_COMPILER_TARGET wasm32-wasi)
# That libc++ is built without exception support.
set(CMAKE_CXX_FLAGS_INIT -fno-exceptions)
# Its archiver and index maker: GNU ar's index means nothing to lld. Debian
# names them llvm-ar and llvm-ranlib where the llvm package is installed, and
# keeps each LLVM's own beside its clang.
file(GLOB llvm_dirs /usr/lib/llvm-*/bin)
list(SORT llvm_dirs COMPARE NATURAL ORDER DESCENDING)
find_program(CMAKE_AR NAMES llvm-ar HINTS ${llvm_dirs} REQUIRED)
find_program(CMAKE_RANLIB NAMES llvm-ranlib HINTS ${llvm_dirs} REQUIRED)
