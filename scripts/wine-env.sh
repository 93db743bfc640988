# Sourced by the Wine scripts. Debian's "wine" starts the 32-bit loader whenever
# wine32 is installed, and a kernel without 32-bit support refuses it ("Exec format
# error"); the wrapper in testing/wine64-path then hands 64-bit programs to wine64.
# Where the 32-bit loader works the wrapper changes nothing.
gw_root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
case ":$PATH:" in
*":$gw_root/testing/wine64-path:"*) ;;
*) export PATH=$gw_root/testing/wine64-path:$PATH ;;
esac

# True when this machine can run 32-bit Windows programs (Wine's 32-bit loader starts).
gw_can_run_win32() { /usr/lib/wine/wine --version >/dev/null 2>&1; }
