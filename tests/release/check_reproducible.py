#!/usr/bin/env python3
"""Builds the release once more and checks that anyone can rebuild it to the same bytes.

    check_reproducible.py SOURCE_DIR TESTED_BUILD_DIR RESULT_DIR

Copies the source tree (what git tracks, plus new files it does not ignore) into a temporary
folder deeper than any it was built in, and runs scripts/release.sh there as another user, with
a time zone, a locale and a umask other than this run's (the ones the tested build was made
with when scripts/test.sh runs). The programs it builds must be byte for byte the programs that
TESTED_BUILD_DIR (the tested product build) lists in its shipped-programs.txt: a build that
depends on its folder, the time, the user, the time zone, the locale or the umask fails here.

The release is signed, as a maintainer signs it, with a throwaway certificate and time-stamp
server made for this run (throwaway_signer.py), the password given in the environment: no
command line may hold it, and the file it goes to must be private and gone afterwards. The zip
must hold the signed programs, SHA256SUMS of them and SHA256SUMS-unsigned of the tested ones.

The zip is then packed again from the same programs, twice over, from folders of other depths,
in two time zones, locales and umasks (scripts/pack-release.py), signed as in the release and
unsigned as a release without a certificate: each pair must be equal byte for byte, and the
signed ones equal to the release. The first difference is named by file and offset.

RESULT_DIR then holds what the signature tests read: root.pem (the throwaway root), programs.txt
(the programs' names in the zip's order), unsigned/ (the programs as built), signed/ (as
shipped) and dist/ (the release). The temporary folder is deleted when all is well and kept for
a look otherwise.
"""
import datetime
import hashlib
import json
import os
import shutil
import stat
import subprocess
import sys
import tempfile
import time
import zipfile
import zoneinfo

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import throwaway_signer  # noqa: E402

UNSIGNED_SUMS = "SHA256SUMS-unsigned"
# Folders deeper than any the tested build is made in, so that a folder name or depth that
# leaks into the programs shows.
RELEASE_FOLDER = "release/a/much/deeper/folder/rescindo-source"
PACK_FOLDERS = ["pack/one", "pack/two/in/a/deeper/folder"]


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
        return [f"{left_dist} holds {left_names}, {right_dist} {right_names}"]
    for name in left_names:
        left_path, right_path = os.path.join(left_dist, name), os.path.join(right_dist, name)
        left, right = open(left_path, "rb").read(), open(right_path, "rb").read()
        if left != right:
            where = first_difference(left, right)
            if name.endswith(".zip"):
                where += f" ({compare_zips(left_path, right_path)})"
            problems.append(f"{name} of {left_dist} and {right_dist} differ at {where}")
    return problems


def listed_programs(build):
    listing = os.path.join(build, "shipped-programs.txt")
    return [line for line in open(listing).read().splitlines() if line]


def compare_with_tested(built, tested):
    """The programs the release built are byte for byte the programs the tests ran."""
    built_names = [os.path.basename(path) for path in built]
    tested_names = [os.path.basename(path) for path in tested]
    if built_names != tested_names:
        return [f"the release built {built_names}, the tested build {tested_names}"]
    problems = []
    for built_path, tested_path in zip(built, tested):
        content, tested_content = open(built_path, "rb").read(), open(tested_path, "rb").read()
        if content != tested_content:
            problems.append(
                f"{os.path.basename(built_path)} differs from the tested {tested_path} at "
                f"{first_difference(content, tested_content)}"
            )
    return problems


def checksum_text(named_contents, line_end):
    return "".join(
        f"{hashlib.sha256(content).hexdigest()}  {name}{line_end}"
        for name, content in named_contents
    ).encode()


def check_release_contents(dist, tested):
    """The zip ships the signed programs, their checksums and the checksums of the tested ones."""
    problems = []
    names = [os.path.basename(path) for path in tested]
    unsigned = [(os.path.basename(path), open(path, "rb").read()) for path in tested]
    zips = sorted(name for name in os.listdir(dist) if name.endswith(".zip"))
    expected_dist = sorted(zips + ["SHA256SUMS", UNSIGNED_SUMS])
    if len(zips) != 1 or sorted(os.listdir(dist)) != expected_dist:
        held = sorted(os.listdir(dist))
        return None, [f"dist holds {held}, not one zip, SHA256SUMS and {UNSIGNED_SUMS}"]
    zip_path = os.path.join(dist, zips[0])
    members = zip_members(zip_path)
    member_names = [name for name, _ in members]
    expected = names + ["README.txt", "LICENSE.txt", "SHA256SUMS", UNSIGNED_SUMS]
    if member_names != expected:
        return zip_path, [f"the zip holds {member_names}, not {expected}"]
    content = dict(members)
    signed = [(name, content[name]) for name in names]
    for (name, signed_bytes), (_, unsigned_bytes) in zip(signed, unsigned):
        if signed_bytes == unsigned_bytes:
            problems.append(f"{name} in the zip is not signed: it is the unsigned program")
    if content["SHA256SUMS"] != checksum_text(signed, "\r\n"):
        problems.append("the zip's SHA256SUMS is not the checksums of its programs")
    if content[UNSIGNED_SUMS] != checksum_text(unsigned, "\r\n"):
        problems.append(f"the zip's {UNSIGNED_SUMS} is not the checksums of the tested programs")
    if open(os.path.join(dist, UNSIGNED_SUMS), "rb").read() != checksum_text(unsigned, "\n"):
        problems.append(f"dist/{UNSIGNED_SUMS} is not the checksums of the tested programs")
    zip_sum = checksum_text([(zips[0], open(zip_path, "rb").read())], "\n")
    if open(os.path.join(dist, "SHA256SUMS"), "rb").read() != zip_sum:
        problems.append("dist/SHA256SUMS is not the checksum of the zip")
    return zip_path, problems


# Stands in for osslsigncode while the release is made: notes how it was started (its
# arguments, whether the password is anywhere in them or in its environment, the password
# file's permissions), then becomes the real one.
SPY = """#!{python}
import json, os, stat, sys
arguments = sys.argv[1:]
password = {password!r}
record = {{
    "arguments": arguments,
    "password_in_arguments": any(password in argument for argument in arguments),
    "password_in_environment": any(password in value for value in os.environ.values()),
}}
if "-readpass" in arguments:
    path = arguments[arguments.index("-readpass") + 1]
    record["password_file"] = path
    record["file_mode"] = stat.S_IMODE(os.stat(path).st_mode)
    record["folder_mode"] = stat.S_IMODE(os.stat(os.path.dirname(os.path.abspath(path))).st_mode)
with open({log!r}, "a") as log:
    log.write(json.dumps(record) + "\\n")
os.execv({real!r}, [{real!r}] + arguments)
"""


def write_spy(folder, password, log):
    real = shutil.which("osslsigncode")
    if real is None:
        sys.exit("FAILED: osslsigncode is missing: run scripts/install-deps.sh")
    os.makedirs(folder)
    path = os.path.join(folder, "osslsigncode")
    with open(os.open(path, os.O_WRONLY | os.O_CREAT, 0o700), "w") as out:
        out.write(SPY.format(python=sys.executable, password=password, log=log, real=real))
    return folder


def check_password_handling(log_path, password, output):
    problems = []
    if password in output:
        problems.append("release.sh printed the password")
    records = [json.loads(line) for line in open(log_path)] if os.path.exists(log_path) else []
    if not any(record["arguments"][:1] == ["sign"] for record in records):
        return problems + ["release.sh never ran osslsigncode sign"]
    for record in records:
        command = " ".join(record["arguments"][:1])
        if record["password_in_arguments"]:
            problems.append(f"osslsigncode {command} had the password on its command line")
        if "-pass" in record["arguments"]:
            problems.append(f"osslsigncode {command} was given -pass")
        if record["password_in_environment"]:
            problems.append(f"osslsigncode {command} had the password in its environment")
        if record["arguments"][:1] == ["sign"] and "password_file" not in record:
            problems.append("osslsigncode sign was not given the password file")
        if "password_file" in record:
            if record["file_mode"] & 0o077 or record["folder_mode"] & 0o077:
                problems.append(
                    f"the password file {record['password_file']} could be read by others "
                    f"(file {record['file_mode']:o}, folder {record['folder_mode']:o})"
                )
            if os.path.lexists(record["password_file"]):
                problems.append(f"the password file {record['password_file']} is still there")
    return problems


# Locales for the other builder: another language, another character set (so another
# collation, other texts, dates and numbers) than this run's.
LOCALES = [("ru_RU", "KOI8-R"), ("de_DE", "ISO-8859-1")]


def normalized(charset):
    return charset.upper().replace("-", "").replace("_", "")


def other_environment(locale_folder):
    """A time zone, locale and umask that this run does not have, and that differ from UTC, C
    and 022 where this run has those (release.sh pins those three for its own run). The locale
    is generated into locale_folder (no root needed)."""
    now = datetime.datetime.now(datetime.timezone.utc)
    offsets = {0, time.localtime().tm_gmtoff}
    zone = next(
        name
        for name in ["Pacific/Chatham", "America/St_Johns", "Asia/Kathmandu"]
        if now.astimezone(zoneinfo.ZoneInfo(name)).utcoffset().total_seconds() not in offsets
    )
    mask = os.umask(0)
    os.umask(mask)
    umask = 0o077 if mask != 0o077 else 0o002
    current = next(
        (os.environ[name] for name in ("LC_ALL", "LC_CTYPE", "LANG") if os.environ.get(name)), "C"
    )
    language, _, charset = current.partition(".")
    charset = charset.partition("@")[0] or "ANSI_X3.4-1968"
    territory, charmap = next(
        (territory, charmap)
        for territory, charmap in LOCALES
        if territory != language and normalized(charmap) != normalized(charset)
    )
    name = f"{territory}.{charmap}"
    os.makedirs(locale_folder, exist_ok=True)
    made = subprocess.run(
        ["localedef", "-i", territory, "-f", charmap, os.path.join(locale_folder, name)],
        capture_output=True,
        text=True,
    )
    if not os.path.exists(os.path.join(locale_folder, name, "LC_CTYPE")):
        sys.exit(f"FAILED: localedef cannot make the locale {name}: {made.stderr}")
    return {"TZ": zone, "LANG": name, "LOCPATH": locale_folder}, umask


def clean_environment(settings, home):
    environment = {
        name: value
        for name, value in os.environ.items()
        if name not in ("LC_ALL", "LANGUAGE", "LOCPATH", "RESCINDO_BUILD", "RESCINDO_DIST")
        and not name.startswith("RESCINDO_SIGN_")
        and name.lower() not in ("http_proxy", "https_proxy", "all_proxy")
    }
    environment.update(settings, HOME=home, no_proxy="127.0.0.1", NO_PROXY="127.0.0.1")
    return environment


def run_release(tree, environment, umask):
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
    return run


def pack_twice(scratch, tree, environment, version, epoch, signed, unsigned, label):
    """Packs the zip from copies of the same programs in two folders, as two other builders:
    signed are the programs that ship, unsigned (if any) the same before signing."""
    builders = [
        ({"TZ": "UTC", "LANG": "C.UTF-8", "USER": "builder"}, 0o022),
        ({**environment, "USER": "another-builder-name"}, 0o077),
    ]
    dists = []
    for folder, (settings, umask) in zip(PACK_FOLDERS, builders):
        base = os.path.join(scratch, label, folder)
        copies = {}
        for kind, paths in (("shipped", signed), ("as-built", unsigned or [])):
            os.makedirs(os.path.join(base, kind))
            copies[kind] = [os.path.join(base, kind, os.path.basename(path)) for path in paths]
            for path, copy in zip(paths, copies[kind]):
                shutil.copyfile(path, copy)
        arguments = copies["shipped"] + (["--unsigned"] + copies["as-built"] if unsigned else [])
        dist = os.path.join(base, "dist")
        run = subprocess.run(
            ["python3", os.path.join(tree, "scripts", "pack-release.py"), dist, version, epoch,
             os.path.join(tree, "docs", "README.txt"), os.path.join(tree, "LICENSE"), *arguments],
            cwd=base,
            env=clean_environment({"LOCPATH": environment["LOCPATH"], **settings}, base),
            preexec_fn=lambda umask=umask: os.umask(umask),
            capture_output=True,
            text=True,
        )
        if run.returncode != 0:
            return None, [f"pack-release.py in {base} failed: {run.stdout}{run.stderr}"]
        dists.append(dist)
    return dists, compare_dists(*dists)


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


def keep_results(result, signer, names, built, zip_path, dist):
    for folder in ("unsigned", "signed"):
        os.makedirs(os.path.join(result, folder))
    shutil.copyfile(signer.root, os.path.join(result, "root.pem"))
    with open(os.path.join(result, "programs.txt"), "w") as out:
        out.write("".join(name + "\n" for name in names))
    for path in built:
        shutil.copyfile(path, os.path.join(result, "unsigned", os.path.basename(path)))
    for name, content in zip_members(zip_path):
        if name in names:
            with open(os.path.join(result, "signed", name), "wb") as out:
                out.write(content)
    shutil.copytree(dist, os.path.join(result, "dist"))


def main(argv):
    if len(argv) != 4:
        print(__doc__)
        sys.exit(2)
    source, tested_build, result = (os.path.abspath(path) for path in argv[1:])
    # What a run before left there must not pass for this run's.
    shutil.rmtree(result, ignore_errors=True)
    files = git(source, "ls-files", "-z", "--cached", "--others", "--exclude-standard").split("\0")
    files = sorted({name for name in files if name})
    epoch = git(source, "log", "-1", "--format=%ct").strip()
    tested = listed_programs(tested_build)
    names = [os.path.basename(path) for path in tested]

    scratch = tempfile.mkdtemp(prefix="rescindo-release-check.")
    tree = os.path.join(scratch, RELEASE_FOLDER)
    copy_source(source, files, tree)
    started = time.monotonic()
    signer = throwaway_signer.Signer(os.path.join(scratch, "signer")).make()
    settings, umask = other_environment(os.path.join(scratch, "locale"))
    spy_log = os.path.join(scratch, "osslsigncode-runs.jsonl")
    spy = write_spy(os.path.join(scratch, "spy"), signer.password, spy_log)
    print(f"throwaway certificate, locale and stand-in: {time.monotonic() - started:.1f} s")

    environment = clean_environment(settings, tree)
    environment.update(
        USER="another-builder-name",
        LOGNAME="another-builder-name",
        SOURCE_DATE_EPOCH=epoch,
        PATH=spy + os.pathsep + os.environ.get("PATH", ""),
        RESCINDO_SIGN_PKCS12=signer.pkcs12,
        RESCINDO_SIGN_PASSWORD=signer.password,
        RESCINDO_SIGN_CA_FILE=signer.root,
    )
    print(f"the release's builder: TZ={settings['TZ']} LANG={settings['LANG']} umask {umask:03o}")
    with signer.time_stamp_server() as (url, answered):
        environment["RESCINDO_SIGN_TIMESTAMP_URL"] = url
        run = run_release(tree, environment, umask)
    if run.returncode != 0:
        print(run.stdout + run.stderr)
        print(f"FAILED: release.sh in {tree} exited with {run.returncode}")
        print(f"its tree is kept in {scratch}")
        sys.exit(1)

    build, dist = os.path.join(tree, "build", "release"), os.path.join(tree, "dist")
    built = listed_programs(build)
    problems = compare_with_tested(built, tested)
    zip_path, found = check_release_contents(dist, tested)
    problems += found
    problems += check_password_handling(spy_log, signer.password, run.stdout + run.stderr)
    if len(answered) < len(tested):
        problems.append(
            f"the time-stamp server answered {len(answered)} queries for {len(tested)} programs"
        )

    if zip_path is not None and not found:
        version = os.path.basename(zip_path)[len("rescindo-") : -len(".zip")]
        with zipfile.ZipFile(zip_path) as archive:
            signed = []
            for name in names:
                path = os.path.join(scratch, "shipped", name)
                os.makedirs(os.path.dirname(path), exist_ok=True)
                with open(path, "wb") as out:
                    out.write(archive.read(name))
                signed.append(path)
        started = time.monotonic()
        dists, found = pack_twice(scratch, tree, settings, version, epoch, signed, built, "signed")
        problems += found
        if dists:
            problems += compare_dists(dists[1], dist)
        _, found = pack_twice(scratch, tree, settings, version, epoch, built, None, "unsigned")
        problems += found
        print(f"four more packs: {time.monotonic() - started:.1f} s")
    if problems:
        print("\n".join(f"FAILED: {problem}" for problem in problems))
        print(f"the release and the packs are kept in {scratch}")
        sys.exit(1)

    keep_results(result, signer, names, built, zip_path, dist)
    digest = hashlib.sha256(open(zip_path, "rb").read()).hexdigest()
    print(
        f"the release built the tested programs; signed, {os.path.basename(zip_path)} has SHA-256 "
        f"{digest} and packs again to the same bytes, as does the unsigned release"
    )
    shutil.rmtree(scratch)


if __name__ == "__main__":
    main(sys.argv)
