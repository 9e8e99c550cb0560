# Sourced by the scripts that build (build.sh, windows.sh, fuzz.sh) once they have set $root, the checkout.
# Paths inside the checkout hash as relative ones, so a clone elsewhere (CI's) reuses the compiler cache;
# with line tables ccache also hashes the build folder unless told not to (then a clone in another folder
# missed every object). A cached object's line tables may name the folder it was first built in.
export CCACHE_BASEDIR="${CCACHE_BASEDIR:-$root}" CCACHE_NOHASHDIR="${CCACHE_NOHASHDIR:-1}"
