#!/usr/bin/env bash
# Drive G: of the walk tests and the dialog run's tests: links that Wine shows as directory
# links, which its CreateSymbolicLinkW cannot make. All of them stay inside G:'s own folder.
#   G:\loop\a\back  -> G:\loop   a loop back to a directory above
#   G:\loop\a\root  -> G:\       a loop back to the drive's root
#   G:\loop\self    -> G:\loop   a link to its own directory
#   G:\loop\a\away  -> G:\target a link to a folder elsewhere, walked like any directory
set -eu
g=$1/g
mkdir -p "$g/loop/a" "$g/target"
ln -s .. "$g/loop/a/back"
ln -s ../.. "$g/loop/a/root"
ln -s . "$g/loop/self"
ln -s ../../target "$g/loop/a/away"
