#!/usr/bin/env python3
"""Builds the install benchmark's disc: the laid-out sample disc's top-level files (setup.exe and
the rest) and the plain files of its data folder, and under data/ the seventeen trees the compact
install copies, nested up to three levels, filled to about 160 MB in about 2,000 files with a
size mix from many small files to a few of tens of megabytes. The same seed gives the same disc.

    make_disc.py LAID_OUT_DISC TARGET [MEGABYTES] [FILES]
"""
import os
import random
import shutil
import sys

TREES = ["Anims", "ANM", "Bink", "Dialogue", "fonts", "INK", "Interface", "LCM", "LMM",
         "MCZ", "Rand", "Sound", "str", "WMC", "WMD", "WSD", "WSM"]


def sizes(rng, total_bytes, count):
    """Mostly small files, a tail of medium ones and a handful of large ones, scaled to the total."""
    large = max(3, count // 400)
    medium = count // 8
    small = count - medium - large
    raw = ([rng.randint(200, 32 * 1024) for _ in range(small)]
           + [rng.randint(64 * 1024, 1536 * 1024) for _ in range(medium)]
           + [rng.randint(8 << 20, 30 << 20) for _ in range(large)])
    scale = total_bytes / sum(raw)
    result = [max(0, int(size * scale)) for size in raw]
    # A few exact block-boundary sizes: the copy's edge cases come along.
    result[0:4] = [0, 1, 1024000, 1024001]
    rng.shuffle(result)
    return result


def folders(rng, tree_root):
    """The tree's own folder and a few nested ones below it, up to three levels deep."""
    result = [tree_root]
    for first in range(rng.randint(1, 4)):
        level1 = os.path.join(tree_root, f"part{first}")
        result.append(level1)
        for second in range(rng.randint(0, 3)):
            level2 = os.path.join(level1, f"set{second}")
            result.append(level2)
            if rng.random() < 0.4:
                result.append(os.path.join(level2, "deep"))
    return result


def main():
    if len(sys.argv) < 3:
        sys.exit(__doc__)
    laid_out, target = sys.argv[1], sys.argv[2]
    megabytes = int(sys.argv[3]) if len(sys.argv) > 3 else 160
    count = int(sys.argv[4]) if len(sys.argv) > 4 else 2000
    rng = random.Random(1047)

    os.makedirs(os.path.join(target, "data"), exist_ok=True)
    for name in os.listdir(laid_out):
        if os.path.isfile(os.path.join(laid_out, name)):
            shutil.copyfile(os.path.join(laid_out, name), os.path.join(target, name))
    laid_out_data = os.path.join(laid_out, "data")
    for name in os.listdir(laid_out_data):
        if os.path.isfile(os.path.join(laid_out_data, name)):
            shutil.copyfile(os.path.join(laid_out_data, name), os.path.join(target, "data", name))

    all_folders = []
    for tree in TREES:
        for folder in folders(rng, os.path.join(target, "data", tree)):
            os.makedirs(folder, exist_ok=True)
            all_folders.append(folder)

    pool = rng.randbytes(4 << 20)
    written = 0
    for index, size in enumerate(sizes(rng, megabytes << 20, count)):
        folder = all_folders[index % len(all_folders)] if index < len(all_folders) else rng.choice(all_folders)
        path = os.path.join(folder, f"f{index:04d}.{rng.choice(['dat', 'ani', 'wav', 'bik', 'txt'])}")
        with open(path, "wb") as out:
            offset = (index * 7919) % len(pool)
            left = size
            while left > 0:
                piece = pool[offset:offset + left]
                out.write(piece)
                left -= len(piece)
                offset = 0
        written += size
    print(f"disc {target}: {count} files in {len(all_folders)} folders, {written / (1 << 20):.1f} MB")


if __name__ == "__main__":
    main()
