"""Counts the light and dark pixels of a binary PPM (P6) screenshot.

Prints "LIGHT_FRACTION DARK_PIXELS": a painted Form1 is mostly its light face
colour, and the bold label puts some hundreds of dark pixels on it.
"""
import sys


def read_ppm(path):
    data = open(path, "rb").read()
    fields, i = [], 0
    while len(fields) < 4:
        while data[i:i + 1].isspace():
            i += 1
        if data[i:i + 1] == b"#":
            while data[i:i + 1] != b"\n":
                i += 1
            continue
        j = i
        while not data[j:j + 1].isspace():
            j += 1
        fields.append(data[i:j])
        i = j
    if fields[0] != b"P6" or int(fields[3]) not in (255, 65535):
        sys.exit(f"{path}: not a binary PPM")
    width, height = int(fields[1]), int(fields[2])
    samples = data[i + 1:]
    if int(fields[3]) == 65535:
        samples = samples[0::2]  # 16-bit samples, big-endian: keep the high byte
    return width, height, samples


def main():
    width, height, pixels = read_ppm(sys.argv[1])
    light = dark = 0
    for k in range(0, width * height * 3, 3):
        luma = (299 * pixels[k] + 587 * pixels[k + 1] + 114 * pixels[k + 2]) // 1000
        if luma > 200:
            light += 1
        elif luma < 96:
            dark += 1
    print(f"{light / (width * height):.3f} {dark}")


main()
