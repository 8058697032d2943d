"""Writes the Windows icon file of the program from the PNG icons of the Linux packages."""
import sys

from PIL import Image

source, target = sys.argv[1], sys.argv[2]
Image.open(source).convert("RGBA").save(
    target, sizes=[(16, 16), (32, 32), (48, 48), (64, 64), (128, 128), (256, 256)])
