#!/bin/sh
# make_help_test.sh MAKE_HELP: broken help fails the build, naming file and line.
set -u
d=$(mktemp -d)
trap 'rm -rf "$d"' EXIT
mkdir "$d/help"
printf '# A\n\nSee [b](b.md),\nand [c](c.md).\n\n![x](../images/none.png)\n' > "$d/help/a.md"
printf '# B\n\n![not a picture](b.md)\n' > "$d/help/b.md"
cd "$d" || exit 1
if "$1" out.bin help/a.md help/b.md 2> err.txt; then echo "broken help was packed"; exit 1; fi
cat err.txt
grep -q "^help/a.md:4: broken link to 'c.md'" err.txt && grep -q "^help/a.md:6: missing picture '../images/none.png'" err.txt &&
  grep -q "^help/b.md:3: picture 'b.md' is not a PNG" err.txt && ! grep -q "b.md'$" err.txt && [ ! -e out.bin ]
