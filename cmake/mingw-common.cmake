# Shared part of the MinGW-w64 toolchain files; KOLVANE_TRIPLET names the target.

# The posix thread model gives std::thread and std::mutex; its winpthread
# is linked statically like libgcc and libstdc++ below.
find_program(CMAKE_C_COMPILER NAMES ${KOLVANE_TRIPLET}-gcc-posix ${KOLVANE_TRIPLET}-gcc REQUIRED)
find_program(CMAKE_CXX_COMPILER NAMES ${KOLVANE_TRIPLET}-g++-posix ${KOLVANE_TRIPLET}-g++ REQUIRED)
find_program(CMAKE_RC_COMPILER NAMES ${KOLVANE_TRIPLET}-windres REQUIRED)

# libpng and zlib cross-built by scripts/setup.
get_filename_component(_kolvane_root "${CMAKE_CURRENT_LIST_DIR}/.." ABSOLUTE)
set(KOLVANE_DEPS_PREFIX "${_kolvane_root}/build/deps/${KOLVANE_TRIPLET}")
set(CMAKE_FIND_ROOT_PATH /usr/${KOLVANE_TRIPLET} "${KOLVANE_DEPS_PREFIX}")
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# A binary that a clean Windows machine can load imports only system DLLs:
# libgcc, libstdc++ and winpthread go in statically.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static")
set(CMAKE_SHARED_LINKER_FLAGS_INIT "-static")
set(CMAKE_MODULE_LINKER_FLAGS_INIT "-static")
