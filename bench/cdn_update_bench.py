#!/usr/bin/env python3
"""Driver of cdn_update_bench.sh: makes the synthetic game, packs it, and times the fresh
installs (qxupdate.exe builds and curl + zlib) against the nginx the shell script started."""

import argparse
import hashlib
import os
import random
import shutil
import subprocess
import sys
import threading
import time
import zlib

SEGMENT_BYTES = 0xA00000  # the dispatcher's merge limit: a segment grows while below 10 MiB


def winpath(path):
    return "Z:" + path.replace("/", "\\")


def make_game(folder, total_bytes, count, seed=20261211):
    """About `count` files and `total_bytes` in all: mostly small files, some large ones; half
    of the bytes compress well (words), the rest do not (random)."""
    rng = random.Random(seed)
    words = [bytes(rng.choice(b"abcdefghijklmnopqrstuvwxyz") for _ in range(rng.randint(2, 9))) for _ in range(4000)]
    large = max(4, count // 200)
    small = count - large
    small_bytes = total_bytes // 4
    sizes = [rng.randint(1, 2 * small_bytes // small) for _ in range(small)]
    big_total = total_bytes - sum(sizes)
    weights = [rng.uniform(0.5, 1.5) for _ in range(large)]
    sizes += [int(big_total * w / sum(weights)) for w in weights]
    for index, size in enumerate(sizes):
        name = os.path.join(folder, "data%02d" % (index % 40), "file%05d.bin" % index)
        os.makedirs(os.path.dirname(name), exist_ok=True)
        with open(name, "wb") as out:
            if index % 2 == 0:
                chunk = b" ".join(rng.choice(words) for _ in range(20000))
                left = size
                while left > 0:
                    part = chunk[:left]
                    out.write(part)
                    left -= len(part)
            else:
                out.write(os.urandom(size))
    return len(sizes), sum(sizes)


def read_config(path):
    entries = []
    with open(path, "rb") as f:
        for line in f.read().decode("utf-8").split("\r\n"):
            if not line:
                continue
            name, md5, folder, start, length, category = line.split("=")
            entries.append((name, md5, folder, int(start), int(length)))
    return entries


def merged_segments(entries):
    """The dispatcher's segments: per package file, ascending offsets, adjacent ranges merged
    while the segment is below 10 MiB."""
    by_folder = {}
    for entry in entries:
        by_folder.setdefault(entry[2], []).append(entry)
    segments = []
    for folder in sorted(by_folder):
        current = None
        for entry in sorted(by_folder[folder], key=lambda e: e[3]):
            if current and current["length"] < SEGMENT_BYTES and current["start"] + current["length"] == entry[3]:
                current["length"] += entry[4]
                current["files"].append(entry)
            else:
                current = {"folder": folder, "start": entry[3], "length": entry[4], "files": [entry]}
                segments.append(current)
    return segments


def peak_memory_kib(pattern, stop, result):
    """Largest VmHWM of any process running the program `pattern`, polled until stop."""
    while not stop.is_set():
        for pid in os.listdir("/proc"):
            if not pid.isdigit():
                continue
            try:
                with open("/proc/%s/cmdline" % pid, "rb") as f:
                    # The program itself (Wine puts the .exe first), not a command naming it.
                    if not f.read().split(b"\0")[0].endswith(pattern):
                        continue
                with open("/proc/%s/status" % pid) as f:
                    for line in f:
                        if line.startswith("VmHWM:"):
                            result[0] = max(result[0], int(line.split()[1]))
            except OSError:
                pass
        time.sleep(0.05)


def check_tree(folder, entries):
    bad = 0
    for name, md5, _, _, _ in entries:
        path = os.path.join(folder, *name.split("\\"))
        digest = hashlib.md5()
        try:
            with open(path, "rb") as f:
                for block in iter(lambda: f.read(1 << 20), b""):
                    digest.update(block)
        except OSError:
            bad += 1
            continue
        if digest.hexdigest().upper() != md5:
            bad += 1
    return bad


def run_updater(label, exe, wine_run, root, address):
    shutil.rmtree(root, ignore_errors=True)
    os.makedirs(root)
    stop = threading.Event()
    peak = [0]
    watcher = threading.Thread(target=peak_memory_kib, args=(os.path.basename(exe).encode(), stop, peak))
    watcher.start()
    began = time.monotonic()
    proc = subprocess.run([wine_run, exe, winpath(root), winpath(root), address],
                          stdout=subprocess.PIPE, stderr=subprocess.STDOUT)
    wall = time.monotonic() - began
    stop.set()
    watcher.join()
    if proc.returncode != 0:
        sys.stdout.write(proc.stdout.decode(errors="replace")[-2000:])
    return wall, proc.returncode, peak[0]


def run_curl(base_url, work, entries):
    segments = merged_segments(entries)
    parts = os.path.join(work, "curl_parts")
    out_root = os.path.join(work, "curl_game")
    shutil.rmtree(parts, ignore_errors=True)
    shutil.rmtree(out_root, ignore_errors=True)
    os.makedirs(parts)
    config = os.path.join(work, "curl.conf")
    with open(config, "w") as f:
        for index, seg in enumerate(segments):
            f.write('url = "%s%s/qx_game.qxpkg"\n' % (base_url, seg["folder"]))
            f.write('range = "%d-%d"\n' % (seg["start"], seg["start"] + seg["length"] - 1))
            f.write('output = "%s/seg%05d"\n' % (parts, index))
            # Without "next" the last range would apply to every address.
            if index + 1 < len(segments):
                f.write("next\n")
    began = time.monotonic()
    subprocess.run(["curl", "-s", "-S", "--no-progress-meter", "--fail", "-Z", "--parallel-max", "3", "-K", config], check=True)
    fetched = time.monotonic() - began
    for index, seg in enumerate(segments):
        with open("%s/seg%05d" % (parts, index), "rb") as f:
            data = f.read()
        for name, _, _, start, length in seg["files"]:
            at = start - seg["start"]
            path = os.path.join(out_root, *name.split("\\"))
            os.makedirs(os.path.dirname(path), exist_ok=True)
            with open(path, "wb") as out:
                inflater = zlib.decompressobj(31)
                out.write(inflater.decompress(data[at:at + length]))
                out.write(inflater.flush())
    wall = time.monotonic() - began
    return wall, fetched, len(segments), out_root


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--work", required=True)
    parser.add_argument("--port", required=True)
    parser.add_argument("--mib", type=int, default=512)
    parser.add_argument("--files", type=int, default=2000)
    parser.add_argument("--qxpack", required=True)
    parser.add_argument("--updater", action="append", default=[])
    parser.add_argument("--wine-run", required=True)
    args = parser.parse_args()

    work = args.work
    source = os.path.join(work, "source")
    count, raw = make_game(source, args.mib * 1024 * 1024, args.files)
    served = os.path.join(work, "www")
    base = "http://127.0.0.1:%s/" % args.port
    pack = subprocess.run([args.wine_run, args.qxpack, winpath(source), "-", winpath(os.path.join(served, "game")),
                           base + "game"], stdout=subprocess.PIPE, stderr=subprocess.STDOUT)
    if pack.returncode != 0:
        sys.exit("qxpack failed:\n" + pack.stdout.decode(errors="replace"))
    address = base + "game/config/qx_config.txt"
    entries = read_config(os.path.join(served, "game", "config", "qx_config.txt"))
    package = sum(e[4] for e in entries)
    mb = package / 1e6
    print("game: %d files, %.1f MiB; package %.1f MiB in %d folders; %d merged ranges" %
          (count, raw / 1048576, package / 1048576, len({e[2] for e in entries}), len(merged_segments(entries))))

    curl_wall, curl_fetch, _, curl_out = run_curl(base + "game/", work, entries)
    curl_bad = check_tree(curl_out, entries)
    print("curl -Z (3 connections) + Python zlib: %.2f s (fetch %.2f s), %.1f MB/s of package bytes, "
          "%d files wrong" % (curl_wall, curl_fetch, mb / curl_wall, curl_bad))
    shutil.rmtree(curl_out, ignore_errors=True)

    for updater in args.updater:
        label, exe = updater.split("=", 1)
        root = os.path.join(work, "updater_root")
        wall, code, peak = run_updater(label, exe, args.wine_run, root, address)
        bad = check_tree(os.path.join(root, "game"), entries)
        print("qxupdate (%s): %.2f s, %.1f MB/s of package bytes, ratio to curl %.2f, peak memory %.1f MiB, "
              "exit %d, %d files wrong" % (label, wall, mb / wall, wall / curl_wall, peak / 1024, code, bad))
        shutil.rmtree(root, ignore_errors=True)


if __name__ == "__main__":
    main()
