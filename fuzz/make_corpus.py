#!/usr/bin/env python3
"""Writes the seed corpora (into the folder given, one sub-folder per target): the answers, inquiries, flash files and command
streams that the flow and end-to-end tests use, in each target's input layout."""
import os
import struct
import sys

OUT = sys.argv[1] if len(sys.argv) > 1 else "corpus"
ESC = b"\x1b"


def put(target, name, data):
    d = os.path.join(OUT, target)
    os.makedirs(d, exist_ok=True)
    with open(os.path.join(d, name), "wb") as f:
        f.write(data)


def pad(text, n):
    return text.encode().ljust(n, b" ")[:n]


def inquiry(product="DISC TRANSPORTER", revision="3.25 ", count=32, printer="DISC PRINTER",
            model="DP0001", printer_revision="4.00 "):
    ident = pad(product, 16) + b"VERSION " + revision.encode() + b"A  "
    if count >= 64:
        ident += pad(printer, 16) + pad(model, 8) + pad(printer_revision, 8)
    ident = ident.ljust(count, b" ")[:count]
    return ESC + b"!e0%03d" % count + ident


def image(size, revision, family, seed=7):
    b = bytearray((i * 31 + seed) & 0xFF for i in range(size))
    ident = b"DISC TRANSPORTERVERSION " + revision.encode()
    b[160:160 + len(ident)] = ident
    b[193:193 + len(family)] = family.encode()
    return bytes(b)


def multi(*images):
    return b"".join(struct.pack("<I", len(i)) + i for i in images)


# Answer parsers: one answer of each form.
answers = {
    "ack": ESC + b"!xx1C", "refused": ESC + b"!g00C", "sense": ESC + b"!e1016000C",
    "boot_sense": ESC + b"!f06C", "element": ESC + b"!f01000203C",
    "stored": ESC + b"!f:1 TS100001", "baud": ESC + b"!b1C", "counter": ESC + b"!f;1 1234  ",
    "inquiry": inquiry(count=64), "revision": b"3.209",
}
for name, data in answers.items():
    put("fuzz_answers", name, data)

# Recognition: length of the inquiry bytes, the bytes, the count (2 bytes), element states and
# senses, then per command a scramble choice (5: as it is) and a delay choice (>= 16: none).
as_is = bytes([5, 0xFF]) * 120
for name, q in {
    "general": dict(count=64), "old_firmware": dict(revision="2.50 "),
    "loader": dict(product="KORVIX 6400", revision="6.13 "), "boot": dict(product="KORVIX BOOT"),
    "moltrian": dict(product="Moltrian III E06", revision="3.10 "),
    "builtin_240x": dict(product="Korvix 240x", revision="6.15 "),
    "align": dict(count=64, printer_revision="5.21 "),
}.items():
    a = inquiry(**q)
    count = q.get("count", 32)
    put("fuzz_recognition", name,
        bytes([len(a)]) + a + struct.pack(">H", count) + bytes([0, 2, 0, 0, 0, 2, 0, 0]) + as_is)

# Flash files: the choice byte (1: checking on), then the whole file.
put("fuzz_flash_file", "multi_second_fits",
    b"\x01" + multi(image(70000, "3.40 C", "Quentar"), image(9000, "3.31 B", "Velmora")))
put("fuzz_flash_file", "single_fits", b"\x01" + image(5000, "3.31 B", "Velmora"))
put("fuzz_flash_file", "single_unchecked", b"\x00" + image(8292, "3.31 B", "Quentar"))
put("fuzz_flash_file", "multi_unchecked",
    b"\x00" + multi(image(70000, "3.40 C", "Quentar"), image(5000, "3.31 B", "Tirra ")))

# Programming: old firmware, failing pump, failure kind, write capacity, then the image.
put("fuzz_programming", "ok", bytes([0, 0, 0, 0, 0]) + image(8292, "3.31 B", "Velmora"))
put("fuzz_programming", "cts_drops", bytes([0, 3, 0, 0, 0]) + image(10000, "3.31 B", "Velmora"))
put("fuzz_programming", "old_partial_writes",
    bytes([1, 6, 2, 0x01, 0x00]) + image(10000, "2.60 C", "Velmora"))
put("fuzz_programming", "old_write_fails", bytes([1, 2, 1, 0, 0]) + image(20000, "2.60 C", ""))

# Device names: entry count, then per entry a name choice with its bytes and a kind.
put("fuzz_device_names", "com_ports",
    bytes([3, 0, 0, 21, 1, 1, 0, 23, 0, 3, 1, 1, 0]) + b"\x08\\\\.\\COM1")
put("fuzz_device_names", "usb_and_lpt",
    bytes([3, 3, 4]) + b"SIM0" + bytes([1, 2, 1, 0, 0, 0, 255, 2]) + b"\x04LPT1")
put("fuzz_device_names", "links", bytes([4, 0, 0, 25, 3, 0, 0, 25, 3, 5, 3]) + b"x/y" + bytes([2]))

# daxsim's parser: how many cuts, then the stream the host sends.
put("fuzz_sim_parser", "session", b"\x03" + ESC + b"!e0C" + ESC + b"!e1C" + ESC + b"!f0203C" +
    ESC + b"!f9000CTS123   " + ESC + b"!b38400C" + ESC + b"!h1C" + ESC + b"!g1C")
put("fuzz_sim_parser", "programming", b"\x02" + ESC + b"!b11520C" + ESC + b"!g05000C" +
    ESC + b"!f:099C" + ESC + b"!f;1C" + ESC + b"!a3H" + ESC + b"!d1C" + ESC + b"!t0C")
put("fuzz_sim_parser", "printing", b"\x02" + ESC + b"!d0C" + ESC + b"*p120Y" + ESC + b"*b6W" +
    bytes([2, 0, 0, 0x1B, 3, 0xFF]) + ESC + b"!d1C" + ESC + b"!e1C")
put("fuzz_sim_parser", "junk", b"\x05abc" + ESC + b"*b12W" + ESC + b"!f9100CSHORT" + ESC +
    b"!e4" + ESC + b"!f1260" + b"1C" + ESC + b"!s500C" + ESC)

# Raster rows: a blank row, a row of the grid's ticks, and pairs as the printer takes them.
put("fuzz_raster_codec", "blank", bytes(192))
put("fuzz_raster_codec", "ticks", bytes([0x80, 0, 0, 0, 0xFF, 0xFF, 0x01] * 27 + [0] * 3))
put("fuzz_raster_codec", "pairs", bytes([255, 0, 3, 0xAA, 0, 0x0F, 190, 0]))
