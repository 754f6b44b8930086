# The program is hardened as Debian hardens its packages: the flags of dpkg-buildflags with
# hardening=+all, so they follow Debian's policy wherever the build runs on Debian. Only the
# hardening flags are taken; optimisation and debug information stay the build type's. Left
# out where the sanitizers instrument the same calls (the sanitized suite and the fuzz target).
# Included by the top-level CMakeLists for Linux builds, and run inside SDL's own build for the
# Linux tarball (scripts/build-sdl2 linux), whose project may enable C alone.
include(CheckCCompilerFlag)
include(CheckCXXCompilerFlag)
get_property(languages GLOBAL PROPERTY ENABLED_LANGUAGES)
list(FIND languages CXX has_cxx)
set(checked_language CXX)
if(has_cxx EQUAL -1)
  set(checked_language C)
endif()
# Whether the compiler takes a flag: the C++ compiler's answer where there is one.
macro(check_hardening_flag flag result)
  if(checked_language STREQUAL "CXX")
    check_cxx_compiler_flag(${flag} ${result})
  else()
    check_c_compiler_flag(${flag} ${result})
  endif()
endmacro()

set(hardening_compile "")
set(hardening_link "")
find_program(DPKG_BUILDFLAGS dpkg-buildflags)
# A cross build takes the flags Debian gives the machine it builds for: a Debian 13 machine's
# own include x86's -fcf-protection, which the arm64 compiler refuses.
set(host_arch "")
if(CMAKE_CROSSCOMPILING AND CMAKE_SYSTEM_PROCESSOR STREQUAL "aarch64")
  set(host_arch DEB_HOST_ARCH=arm64)
endif()
if(DPKG_BUILDFLAGS)
  foreach(kind CPPFLAGS CXXFLAGS LDFLAGS)
    execute_process(
      COMMAND ${CMAKE_COMMAND} -E env DEB_BUILD_MAINT_OPTIONS=hardening=+all ${host_arch}
              ${DPKG_BUILDFLAGS} --get ${kind}
      OUTPUT_VARIABLE flags OUTPUT_STRIP_TRAILING_WHITESPACE)
    separate_arguments(flags UNIX_COMMAND "${flags}")
    list(FILTER flags INCLUDE REGEX
         "^(-fstack-protector|-fstack-clash-protection|-fcf-protection|-D_FORTIFY_SOURCE|-Wformat|-Werror=format-security|-fPIE|-pie|-Wl,-z,)")
    if(kind STREQUAL "LDFLAGS")
      list(APPEND hardening_link ${flags})
    else()
      list(APPEND hardening_compile ${flags})
    endif()
  endforeach()
else()
  # Elsewhere, what Debian 12's dpkg-buildflags gives.
  set(hardening_compile -D_FORTIFY_SOURCE=2 -fstack-protector-strong -Wformat
      -Werror=format-security)
  set(hardening_link -Wl,-z,relro -Wl,-z,now)
endif()
# Debian 12's dpkg (1.21) predates its stack clash and control-flow protection (1.22 added
# them): added here where the compiler has them and dpkg-buildflags did not give them.
foreach(flag -fstack-clash-protection -fcf-protection)
  string(MAKE_C_IDENTIFIER "HAVE${flag}" have)
  list(FIND hardening_compile ${flag} given)
  check_hardening_flag(${flag} ${have})
  if(given EQUAL -1 AND ${have})
    list(APPEND hardening_compile ${flag})
  endif()
endforeach()

# The program's code carries the control-flow marks, but Debian 12's C start files (Scrt1.o,
# crti.o, crtn.o, a few lines of assembly) do not, and the linker then drops the program's note
# of them. The note is kept: the start files are entered by call and return alone, which the
# shadow stack allows, and Linux enforces no branch targets in user space.
include(CheckLinkerFlag)
list(FIND hardening_compile -fcf-protection cf_protection)
check_linker_flag(${checked_language} "-Wl,-z,ibt,-z,shstk" HAVE_LINKER_CET_MARKS)
if(NOT cf_protection EQUAL -1 AND HAVE_LINKER_CET_MARKS)
  list(APPEND hardening_link -Wl,-z,ibt,-z,shstk)
endif()

# On 64-bit ARM, branch protection: every function signs its return address and checks it
# before returning (pointer authentication), and carries a landing pad for indirect branches
# (branch target identification), which Debian 12's dpkg does not add yet. The program is not
# marked for BTI, which would have the kernel enforce the landing pads: none of Debian 12's start
# files (Scrt1.o, crti.o, crtn.o, GCC's crtbeginS.o and crtendS.o) is marked, so the linker
# drops the mark, and forcing it (-z force-bti) is unsafe: crti.o's _init begins with a nop where
# the landing pad would be, and the C library enters it by an indirect call. A program so forced
# dies of SIGILL before main under qemu-user, which enforces BTI as a BTI CPU does. The pads
# are in the game's own code for the day the start files have them.
if(CMAKE_SYSTEM_PROCESSOR STREQUAL "aarch64")
  check_hardening_flag(-mbranch-protection=standard HAVE_BRANCH_PROTECTION)
  if(HAVE_BRANCH_PROTECTION)
    list(APPEND hardening_compile -mbranch-protection=standard)
  endif()
endif()

# FORTIFY needs the optimiser; a Debug build would only warn of it.
foreach(flag IN LISTS hardening_compile)
  if(flag MATCHES "^-D_FORTIFY_SOURCE")
    add_compile_options($<$<NOT:$<CONFIG:Debug>>:${flag}>)
  else()
    add_compile_options(${flag})
  endif()
endforeach()
add_link_options(${hardening_link})
