#!/usr/bin/env python3
"""Builds the release twice and checks that anyone can rebuild it to the same bytes.

    check_reproducible.py SOURCE_DIR TESTED_BUILD_DIR

Copies the source tree (what git tracks, plus new files it does not ignore) into two
temporary folders at different depths and runs scripts/release.sh in each, one after the
other, as different users with different time zones, locales and umasks. The two dist folders
must be equal byte for byte, and the programs in the zip must be the very programs that
TESTED_BUILD_DIR (the tested product build) lists in its shipped-programs.txt. The first
difference is named by file and offset. The folders are deleted when all is equal and kept
for a look otherwise.
"""
import hashlib
import os
import shutil
import subprocess
import sys
import tempfile
import time
import zipfile

# Two builders that share nothing but the source and the commit's time.
BUILDERS = [
    ("first/rescindo", {"TZ": "UTC", "LANG": "C.UTF-8", "USER": "builder"}, 0o022),
    (
        "second/a/much/deeper/folder/rescindo-source",
        {"TZ": "Pacific/Chatham", "LANG": "ru_RU.UTF-8", "USER": "another-builder-name"},
        0o077,
    ),
]


def first_difference(left, right):
    for offset, (a, b) in enumerate(zip(left, right)):
        if a != b:
            return f"offset {offset:#x}: {a:#04x} against {b:#04x}"
    return f"offset {min(len(left), len(right)):#x}: one ends there ({len(left)} against {len(right)} bytes)"


def zip_members(path):
    with zipfile.ZipFile(path) as archive:
        return [(entry.filename, archive.read(entry)) for entry in archive.infolist()]


def compare_zips(left, right):
    """Names the member where two zips part, when their members differ."""
    left_members, right_members = zip_members(left), zip_members(right)
    left_names = [name for name, _ in left_members]
    right_names = [name for name, _ in right_members]
    if left_names != right_names:
        return f"members {left_names} against {right_names}"
    for (name, a), (_, b) in zip(left_members, right_members):
        if a != b:
            return f"member {name}, {first_difference(a, b)}"
    return "same members: the difference is in the zip's own records"


def compare_dists(left_dist, right_dist):
    problems = []
    left_names, right_names = sorted(os.listdir(left_dist)), sorted(os.listdir(right_dist))
    if left_names != right_names:
        return [f"dist holds {left_names} against {right_names}"]
    for name in left_names:
        left_path, right_path = os.path.join(left_dist, name), os.path.join(right_dist, name)
        left, right = open(left_path, "rb").read(), open(right_path, "rb").read()
        if left != right:
            where = first_difference(left, right)
            if name.endswith(".zip"):
                where += f" ({compare_zips(left_path, right_path)})"
            problems.append(f"{name} differs at {where}")
    return problems


def compare_with_tested(zip_path, tested_build):
    """The programs in the zip are byte for byte the programs the tests ran."""
    listing = os.path.join(tested_build, "shipped-programs.txt")
    tested = [line for line in open(listing).read().splitlines() if line]
    shipped = {name: content for name, content in zip_members(zip_path) if name.endswith(".exe")}
    tested_names = [os.path.basename(path) for path in tested]
    if sorted(tested_names) != sorted(shipped):
        return [f"the zip holds {sorted(shipped)}, the tested build {sorted(tested_names)}"]
    problems = []
    for path in tested:
        content = open(path, "rb").read()
        name = os.path.basename(path)
        if content != shipped[name]:
            problems.append(
                f"{name} differs from the tested {path} at {first_difference(shipped[name], content)}"
            )
    return problems


def copy_source(source, files, target):
    for relative in files:
        origin = os.path.join(source, relative)
        if not os.path.lexists(origin):  # deleted in the working tree, not yet committed
            continue
        destination = os.path.join(target, relative)
        os.makedirs(os.path.dirname(destination), exist_ok=True)
        shutil.copy2(origin, destination, follow_symlinks=False)


def git(source, *arguments):
    return subprocess.run(
        ["git", "-C", source, *arguments], check=True, capture_output=True, text=True
    ).stdout


def main(argv):
    if len(argv) != 3:
        print(__doc__)
        sys.exit(2)
    source, tested_build = os.path.abspath(argv[1]), os.path.abspath(argv[2])
    files = git(source, "ls-files", "-z", "--cached", "--others", "--exclude-standard").split("\0")
    files = sorted({name for name in files if name})
    epoch = git(source, "log", "-1", "--format=%ct").strip()

    # Both copies first, so that an edit made meanwhile cannot reach only one of them.
    scratch = tempfile.mkdtemp(prefix="rescindo-release-check.")
    for folder, _, _ in BUILDERS:
        copy_source(source, files, os.path.join(scratch, folder))
    dists = []
    for folder, settings, umask in BUILDERS:
        tree = os.path.join(scratch, folder)
        environment = {
            name: value
            for name, value in os.environ.items()
            if name not in ("LC_ALL", "RESCINDO_BUILD", "RESCINDO_DIST")
        }
        environment.update(settings, SOURCE_DATE_EPOCH=epoch, HOME=tree)
        started = time.monotonic()
        run = subprocess.run(
            ["bash", os.path.join(tree, "scripts", "release.sh")],
            cwd=tree,
            env=environment,
            preexec_fn=lambda: os.umask(umask),
            capture_output=True,
            text=True,
        )
        print(f"release in {tree}: {time.monotonic() - started:.1f} s", flush=True)
        if run.returncode != 0:
            print(run.stdout + run.stderr)
            print(f"FAILED: release.sh in {tree} exited with {run.returncode}")
            sys.exit(1)
        dists.append(os.path.join(tree, "dist"))

    problems = compare_dists(*dists)
    zips = [name for name in os.listdir(dists[0]) if name.endswith(".zip")]
    if len(zips) != 1:
        problems.append(f"dist holds {len(zips)} zips, not one")
    else:
        zip_path = os.path.join(dists[0], zips[0])
        problems += compare_with_tested(zip_path, tested_build)
    if problems:
        print("\n".join(f"FAILED: {problem}" for problem in problems))
        print(f"the two releases are kept in {scratch}")
        sys.exit(1)

    digest = hashlib.sha256(open(zip_path, "rb").read()).hexdigest()
    print(f"both releases give {zips[0]}, SHA-256 {digest}, and ship the tested programs")
    shutil.rmtree(scratch)


if __name__ == "__main__":
    main(sys.argv)
