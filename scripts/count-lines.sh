#!/bin/sh
# Prints the test-to-product line count the repository holds itself to:
# non-blank, non-comment lines of the C++, Python and shell files git
# tracks, tests/ and fuzz/ against everything else.
set -eu
cd "$(dirname "$0")/.."
count() {
    git ls-files -- "$@" | grep -E '\.(cpp|hpp|h|cc|c|py|sh)$' | xargs -r cat |
        grep -c -v -E '^\s*(//.*)?$'
}
tests=$(count tests fuzz)
product=$(count . ':!tests' ':!fuzz')
echo "tests $tests, product $product: $((100 * tests / product)) %"
