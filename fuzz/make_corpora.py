#!/usr/bin/env python3
"""Writes the seed corpora of the driver_reply, window_message, config_ini and gpx_import harnesses
(byte layouts that an editor would not keep). Run it from anywhere; it rewrites fuzz/corpus/<name>/."""
import os
import shutil
import struct

HERE = os.path.dirname(os.path.abspath(__file__))
DATA = os.path.join(HERE, "..", "tests", "data")


def write(harness, name, data):
    folder = os.path.join(HERE, "corpus", harness)
    os.makedirs(folder, exist_ok=True)
    with open(os.path.join(folder, name), "wb") as f:
        f.write(data)


def copy(harness, name, source):
    folder = os.path.join(HERE, "corpus", harness)
    os.makedirs(folder, exist_ok=True)
    shutil.copyfile(source, os.path.join(folder, name))


# driver_reply: caller's buffer size, receive chunk size - 1, then the peer's reply
# (u32 status, u32 length, payload; little-endian).
def reply(status, payload, length=None):
    return struct.pack("<II", status, len(payload) if length is None else length) + payload


write("driver_reply", "success_with_payload", bytes([8, 255]) + reply(0, bytes(range(1, 9))))
write("driver_reply", "longer_than_buffer_trickled", bytes([3, 0]) + reply(0, b"\x10\x20\x30\x40\x50"))
write("driver_reply", "error_status_empty", bytes([16, 3]) + reply(1167, b""))
write("driver_reply", "cut_short", bytes([8, 1]) + reply(0, b"\x01\x02", length=6))
write("driver_reply", "over_limit", bytes([8, 255]) + reply(0, b"", length=(1 << 20) + 1))
write("driver_reply", "header_only_part", bytes([4, 2]) + b"\x00\x00\x00")

# window_message: the 32-byte datagram (native order: magic, message, wParam, lParam, wantsResult,
# reserved).
MAGIC = 0x4D573951


def datagram(message, wparam, lparam, wants, magic=MAGIC):
    return struct.pack("=IIQqII", magic, message, wparam, lparam, wants, 0)


write("window_message", "post_profile_changed", datagram(7038, 3, -7, 0))
write("window_message", "send_language_reapply", datagram(7054, 21, 0, 1))
write("window_message", "settings_applied", datagram(8624, 1, 4, 0))
write("window_message", "wrong_magic", datagram(7036, 0, 0, 0, magic=0x12345678))
write("window_message", "short", datagram(7036, 0, 0, 0)[:20])

# config_ini: the reader's fixtures, and a file with the help page's [SUPPORT] section.
for name in ("golden.ini", "golden_utf16le.ini", "hostile.ini", "gap.ini"):
    copy("config_ini", name, os.path.join(DATA, "ini", name))
write("config_ini", "support.ini", b"[SUPPORT]\r\nUpdateWebsite=https://example.org/dl\r\n"
      b"companywebsite = 'https://example.org/'\r\nServiceCall=\"+1 555 0199\"\r\n[device]\r\nWHQL=-0x7fffffff\r\n")

# gpx_import: a whole profile, one cut short, one with a longer tail, the first bytes only.
copy("gpx_import", "rich_profile.GPX", os.path.join(DATA, "rich_profile.GPX"))
copy("gpx_import", "truncated_1000.GPX", os.path.join(DATA, "truncated_1000.GPX"))
with open(os.path.join(DATA, "factory_profile.GPX"), "rb") as f:
    write("gpx_import", "factory_first_64.GPX", f.read(64))
