# Sourced by tools/package.sh and tools/test.sh: the release build's configuration, so that the
# plain test run builds and tests the very binaries the package holds, and the package needs no
# build of its own. The distribution's hardening flags (fortified functions, stack protector,
# read-only relocations, immediate binding), without debug information: the package strips it
# anyway, and it would double the build's time.
#   configure_release DIR [CMAKE ARGUMENTS...]
configure_release() {
    local dir=$1
    shift
    local cxxflags ldflags
    cxxflags="$(DEB_BUILD_MAINT_OPTIONS=hardening=+all dpkg-buildflags --get CPPFLAGS)"
    cxxflags+=" $(DEB_BUILD_MAINT_OPTIONS=hardening=+all dpkg-buildflags --get CXXFLAGS | sed 's/\(^\| \)-g\( \|$\)/ /')"
    ldflags=$(DEB_BUILD_MAINT_OPTIONS=hardening=+all dpkg-buildflags --get LDFLAGS)
    cmake -S . -B "$dir" -DCMAKE_BUILD_TYPE=Release -DVORTA_PACKAGE=ON -DCMAKE_INSTALL_PREFIX=/usr \
          -DCMAKE_CXX_FLAGS="$cxxflags" -DCMAKE_EXE_LINKER_FLAGS="$ldflags" "$@" >/dev/null
}
