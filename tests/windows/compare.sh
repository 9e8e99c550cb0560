# Sourced by the tests that set the Windows command line's results beside the Linux one's.
# same_as_linux WHAT LINUX_OUT LINUX_DEVICE WINDOWS_OUT WINDOWS_DEVICE: both outputs with the device named
# alike and Windows' line ends as Linux's, then compared; says "same" or "DIFFERENT" with the difference,
# and fails on a difference.
same_as_linux() {
    sed -i "s#$3#DEVICE#g" "$2"
    sed -i -e 's/\r$//' -e "s#$5#DEVICE#g" "$4"
    local difference
    if difference=$(diff -u "$2" "$4"); then
        echo "same: $1"
    else
        echo "DIFFERENT: $1"
        printf '%s\n' "$difference"
        return 1
    fi
}
