# Sourced by every bash a script test starts (ctest gives BASH_ENV): a command
# that fails and so ends the script under `set -e` names itself and its
# status, where the script would otherwise end without a word. Scripts that
# set an ERR trap of their own (tests/blackbox/lib.sh) replace this one.
set -o errtrace
trap 'echo "${BASH_SOURCE[0]:-bash}:$LINENO: status $? from: $BASH_COMMAND" >&2' ERR
