#!/usr/bin/env python3
"""The parts of the site that are made from other parts at build time.

    build_site.py icon RENDERED.png OUTPUT.png
        The renderer's PNG (stored, not compressed) packed again with zlib's best compression.
    build_site.py worker SOURCE.js OUTPUT.js SITE FILE...
        The service worker with the list of the files it keeps and a version made from their
        contents, so that any change of them gives a new cache that replaces the old one.
    build_site.py one-file SITE/index.html OUTPUT.html
        The whole page in one file that works from disk: every script written into the page, the
        WebAssembly and the map as base64 in a JSON block that the page's script reads instead of
        fetching, the icon as a data URL.
"""
import base64
import hashlib
import json
import pathlib
import re
import struct
import sys
import zlib

# What the one-file page carries as data instead of fetching (the names page.js asks for).
INLINE_FILES = ["quillomantrase.wasm", "earth-1000x500.bmp"]
# Beyond this the one-file page no longer shows its first frame within a second of opening on a
# small machine, nor travels easily as a single file: the build stops rather than grow past it.
ONE_FILE_LIMIT = 2_500_000


def pack_png(rendered, output):
    data = pathlib.Path(rendered).read_bytes()
    chunks, at = [], 8
    while at < len(data):
        (length,) = struct.unpack(">I", data[at:at + 4])
        chunks.append((data[at + 4:at + 8], data[at + 8:at + 8 + length]))
        at += 12 + length
    pixels = zlib.decompress(b"".join(body for kind, body in chunks if kind == b"IDAT"))

    def chunk(kind, body):
        return struct.pack(">I", len(body)) + kind + body + struct.pack(">I", zlib.crc32(kind + body))

    header = next(body for kind, body in chunks if kind == b"IHDR")
    packed = data[:8] + chunk(b"IHDR", header) + chunk(b"IDAT", zlib.compress(pixels, 9)) + chunk(b"IEND", b"")
    pathlib.Path(output).write_bytes(packed)


def write_worker(source, output, site, names):
    version = hashlib.sha256()
    for name in names:
        version.update(name.encode() + b"\0" + (pathlib.Path(site) / name).read_bytes())
    text = pathlib.Path(source).read_text()
    text = text.replace("@SITE_VERSION@", version.hexdigest()[:16]).replace("@SITE_FILES@", json.dumps(names))
    pathlib.Path(output).write_text(text)


def write_one_file(index, output):
    site = pathlib.Path(index).parent
    page = pathlib.Path(index).read_text()

    def base64_of(name):
        return base64.b64encode((site / name).read_bytes()).decode("ascii")

    def script(match):
        text = (site / match.group(1)).read_text()
        # A script's text ends at the first "</script" whatever the quotes around it say.
        return "<script>" + re.sub(r"</(script)", r"<\\/\1", text, flags=re.I) + "</script>"

    def link(match):
        tag, rel, name = match.group(0), match.group(1), match.group(2)
        if rel == "icon":
            return tag.replace(f'href="{name}"', f'href="data:image/png;base64,{base64_of(name)}"')
        sys.exit(f"build_site.py: no rule for <link rel=\"{rel}\"> in {index}")

    page = re.sub(r'<link rel="([a-z]+)" href="([^"]+)"[^>]*>\n?', link, page)
    first = page.find('<script src="')
    if first < 0:
        sys.exit(f"build_site.py: {index} loads no script")
    files = json.dumps({name: base64_of(name) for name in INLINE_FILES})
    page = (page[:first] + f'<script id="site-files" type="application/json">{files}</script>\n'
            + re.sub(r'<script src="([^"]+)"></script>', script, page[first:]))
    if len(page.encode()) > ONE_FILE_LIMIT:
        sys.exit(f"build_site.py: the one-file page would be {len(page.encode())} bytes, more than {ONE_FILE_LIMIT}")
    pathlib.Path(output).write_text(page)


def main(arguments):
    if len(arguments) == 3 and arguments[0] == "icon":
        pack_png(arguments[1], arguments[2])
    elif len(arguments) >= 5 and arguments[0] == "worker":
        write_worker(arguments[1], arguments[2], arguments[3], arguments[4:])
    elif len(arguments) == 3 and arguments[0] == "one-file":
        write_one_file(arguments[1], arguments[2])
    else:
        sys.exit(__doc__)


if __name__ == "__main__":
    main(sys.argv[1:])
