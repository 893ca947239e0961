#!/bin/sh
# Prints the test-to-product line count the repository holds itself to:
# non-blank, non-comment lines of the C++, JavaScript, Python and shell files
# git tracks, tests/ and fuzz/ against everything else.
set -eu
cd "$(dirname "$0")/.."
count() {
    slashes=$(git ls-files -- "$@" | grep -E '\.(cpp|hpp|h|cc|c|mjs|js)$' | xargs -r cat |
        grep -c -v -E '^\s*(//.*)?$' || true)
    hashes=$(git ls-files -- "$@" | grep -E '\.(py|sh)$' | xargs -r cat |
        grep -c -v -E '^\s*(#.*)?$' || true)
    echo $((slashes + hashes))
}
tests=$(count tests fuzz)
product=$(count . ':!tests' ':!fuzz')
echo "tests $tests, product $product: $((100 * tests / product)) %"
