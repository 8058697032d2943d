# What the check scripts share; sourced, not run. check counts the outcome of one case;
# the script ends with "<stage>: N passed, N failed".
passed=0
failed=0

check() {  # check <name> <condition…>
  local name=$1
  shift
  if "$@"; then
    passed=$((passed + 1))
    echo "ok      $name"
  else
    failed=$((failed + 1))
    echo "FAILED  $name"
  fi
}
