#!/usr/bin/env bash
# Drive G: of the walk tests and the dialog run's tests: links that Wine shows as directory
# links, which its CreateSymbolicLinkW cannot make. All of them stay inside G:'s own folder.
#   G:\loop\a\back  -> G:\loop   a loop back to a directory above
#   G:\loop\a\root  -> G:\       a loop back to the drive's root
#   G:\loop\self    -> G:\loop   a link to its own directory
#   G:\loop\a\away  -> G:\target a link to a folder elsewhere, walked like any directory
# Drive L:, a lattice: L:\lN\x1 and L:\lN\x2 -> L:\lN+1 for N = 0 .. 19, two links to each
# next level, so 2^20 paths lead from l0 to l20 when every link is followed.
set -eu
g=$1/g
mkdir -p "$g/loop/a" "$g/target"
ln -s .. "$g/loop/a/back"
ln -s ../.. "$g/loop/a/root"
ln -s . "$g/loop/self"
ln -s ../../target "$g/loop/a/away"
h=$1/l
if [ -d "$h" ]; then
    for n in $(seq 0 20); do mkdir -p "$h/l$n"; done
    for n in $(seq 0 19); do
        ln -s "../l$((n + 1))" "$h/l$n/x1"
        ln -s "../l$((n + 1))" "$h/l$n/x2"
    done
fi
# Drive H: of the console program's tests: H:\photos\out -> H:\elsewhere, a link out of the
# folder H:\photos, and H:\photos\in -> H:\photos\inside, one that stays in it.
if [ -d "$1/h" ]; then
    mkdir -p "$1/h/photos/inside" "$1/h/elsewhere"
    ln -s ../elsewhere "$1/h/photos/out"
    ln -s inside "$1/h/photos/in"
fi
