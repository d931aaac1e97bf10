# Sourced by the command-line test scripts: counts the checks and names
# each failure; the script prints the totals at its end.
passed=0
failed=0
check() {  # check DESCRIPTION COMMAND...: the command must succeed
  local what="$1"
  shift
  if "$@" >/dev/null 2>&1; then
    passed=$((passed + 1))
  else
    failed=$((failed + 1))
    echo "FAILED: $what"
  fi
}
