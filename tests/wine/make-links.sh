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
# Drive N: of the console program's tests has no folder behind it, as a drive without a medium
# has no volume: every drive searched leaves it out.
if [ -d "$1/n" ]; then
    rmdir "$1/n"
fi
# Drive H: of the console program's tests: H:\photos\out -> H:\elsewhere, a link out of the
# folder H:\photos, and H:\photos\in -> H:\photos\inside, one that stays in it.
if [ -d "$1/h" ]; then
    mkdir -p "$1/h/photos/inside" "$1/h/elsewhere"
    ln -s ../elsewhere "$1/h/photos/out"
    ln -s inside "$1/h/photos/in"
fi
# Drive T: of the console program's tree table: one folder per tree, each walked by scan and by
# restore, whose lists must agree entry for entry.
t=$1/t
if [ -d "$t" ]; then
    # Plain folders, a damaged folder among them.
    mkdir -p "$t/plain/sub a-1 /deeper"
    touch "$t/plain/a.txt b-2 " "$t/plain/sub a-1 /c.txt d-4 " "$t/plain/sub a-1 /deeper/e.txt f-6 "
    # Two links to a folder inside the PATH: it is walked once, by its own path.
    mkdir -p "$t/inside/real"
    touch "$t/inside/real/r.txt a-b "
    ln -s real "$t/inside/one"
    ln -s real "$t/inside/two"
    # A link out of the PATH, not entered; the same, entered with --follow-links.
    mkdir -p "$t/outside/own" "$t/elsewhere" "$t/followed/own" "$t/farther"
    touch "$t/outside/own/o.txt a-b " "$t/elsewhere/w.txt a-b "
    touch "$t/followed/own/o.txt a-b " "$t/farther/w.txt a-b "
    ln -s ../elsewhere "$t/outside/link"
    ln -s ../farther "$t/followed/link"
    # Loops: back to the folder above, and to itself.
    mkdir -p "$t/loop/a"
    touch "$t/loop/a/in.txt a-b " "$t/loop/top.txt c-d "
    ln -s .. "$t/loop/a/back"
    ln -s . "$t/loop/self"
    # A lattice: each level holds two links to the next one and a damaged file.
    for n in 0 1 2 3 4 5; do
        mkdir -p "$t/lattice/l$n"
        touch "$t/lattice/l$n/f$n.txt a-b "
    done
    for n in 0 1 2 3 4; do
        ln -s "../l$((n + 1))" "$t/lattice/l$n/x1"
        ln -s "../l$((n + 1))" "$t/lattice/l$n/x2"
    done
    # Names damaged twice, one of them cut part way by a taken name.
    mkdir -p "$t/twice"
    touch "$t/twice/n.txt x-1  y-2 " "$t/twice/m.txt x-1  y-2 " "$t/twice/m.txt x-1 "
    # --keep-both: a taken name and its first copy's name taken too; two entries, one name.
    mkdir -p "$t/keepboth"
    touch "$t/keepboth/photo.jpg" "$t/keepboth/photo (2).jpg" "$t/keepboth/photo.jpg a-b "
    touch "$t/keepboth/r.txt a-b " "$t/keepboth/r.txt c-d "
    # Two entries that restore to one name, without --keep-both; a damaged folder of damaged
    # files reached by a link as well.
    mkdir -p "$t/collide/dir a-b "
    touch "$t/collide/r.txt a-b " "$t/collide/r.txt c-d " "$t/collide/dir a-b /f.txt c-d "
    ln -s "dir a-b " "$t/collide/to-dir"
fi
