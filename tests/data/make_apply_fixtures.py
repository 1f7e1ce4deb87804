#!/usr/bin/env python3
"""Writes a profile full of macros, combos, media and fire keys (rich_profile.GPX) and the frame
sequences an apply must send (apply_factory.frames, apply_rich.frames), worked out from the
documented frame format, memory map and image rules alone, independently of the C++ code.

apply_factory: a fresh store; current profile 0; Mode1 = profile 0, Mode2 = profile 1; the mouse
left on Mode1; no report-rate change.
apply_rich: rich_profile.GPX imported into profile 2, which is current; Mode1 = profile 2,
Mode2 = -1 (read as profile 1); the mouse left on Mode2; after a report-rate change.
"""
import os
import struct

from make_fixtures import factory_profile, put, GROUPS_AT, GROUP_SIZE, BUTTON_SIZE, SETTINGS_AT

HERE = os.path.dirname(os.path.abspath(__file__))
LISTS_AT = 283304
LIST_SIZE = 9916
MACRO_SIZE = 472

# Key rows used here: virtual key, extended flag -> HID usage.
HID = {(65, 0): 4, (66, 0): 5, (116, 0): 62, (13, 0): 40, (13, 1): 88, (37, 1): 80,
       (160, 0): 225, (166, 1): 548, (166, 0): 548, (173, 1): 226, (0, 0): 0}
HID_MODIFIER = {1: 4, 2: 1, 4: 2, 8: 8}   # Alt, Ctrl, Shift, Win -> report modifier bits


def is_consumer(vk):
    # Browser, volume, media and launch keys: consumer usages, whatever the code's value.
    return 166 <= vk <= 183


def button_at(g, b):
    return GROUPS_AT + GROUP_SIZE * g + BUTTON_SIZE * b


def set_function(p, g, b, index, ftype, code, menu):
    at = button_at(g, b)
    put(p, at + 3334, "H", index)
    put(p, at + 3336, "B", ftype)
    put(p, at + 3340, "i", code)
    put(p, at + 3344, "i", menu)


def macro_bytes(index, name, steps, loop):
    m = bytearray(MACRO_SIZE)
    for k, (etype, state, lo, hi) in enumerate(steps):
        put(m, 6 * k, "HHBB", etype, state, lo, hi)
    put(m, 360, "i", len(steps))
    put(m, 366, "H", loop)
    put(m, 368, "H", index)
    name16 = name.encode("utf-16-le")
    m[372:372 + len(name16)] = name16
    return m


def set_macro_list(p, g, macros):
    at = LISTS_AT + LIST_SIZE * g
    for i, m in enumerate(macros):
        p[at + MACRO_SIZE * i: at + MACRO_SIZE * (i + 1)] = m
    put(p, at + 9912, "H", len(macros))


def set_macro_button(p, g, b, macro):
    at = button_at(g, b)
    p[at + 24: at + 24 + MACRO_SIZE] = macro
    set_function(p, g, b, 28, 4, 17, 1102 + struct.unpack_from("<H", macro, 368)[0])


def delay(ms):
    return (6, 0, ms & 0xFF, ms >> 8)


def key(vk, down, ext=0):
    return (4, 1 if down else 0, vk, ext)


def mouse(button, down):
    return (1, 1 if down else 0, button, 0)


def rich_profile():
    p = factory_profile(81)
    s = SETTINGS_AT
    put(p, s + 16, "H", 1000)                                  # ReportRate
    for i, (step_x, step_y, enabled) in enumerate([(0, 0, 0), (8, 8, 1), (4, 2, 1), (7, 7, 0)]):
        put(p, s + 56 + 6 * i, "HHH", step_x, step_y, enabled)
    put(p, s + 20, "i", 1)                                     # CurrentCPIIndex
    put(p, s + 10386, "BBBBBB", 10, 200, 30, 3, 2, 5)          # light

    jump = macro_bytes(0, "Jump", [key(65, 1), delay(15), key(65, 0)], 3)
    long_steps = []
    while len(long_steps) < 60:
        long_steps += [key(13, 1), delay(4), key(13, 0), delay(35)]
    long = macro_bytes(1, "Long", long_steps[:60], 0)
    unused = macro_bytes(2, "Unused", [key(66, 1), key(66, 0)], 0)
    set_macro_list(p, 0, [jump, long, unused])
    set_macro_button(p, 0, 1, jump)
    at = button_at(0, 2)                                       # Ctrl+Shift+A+B
    put(p, at + 6, "HHHHH", 65, 0, 66, 0, 2 | 4)
    set_function(p, 0, 2, 6, 3, 15, 7)
    put(p, button_at(0, 3) + 2, "HH", 116, 0)                  # F5
    set_function(p, 0, 3, 5, 8, 16, 6)
    put(p, button_at(0, 4) + 2, "HH", 166, 1)                  # browser back: a consumer usage
    set_function(p, 0, 4, 5, 8, 16, 6)
    set_macro_button(p, 0, 5, jump)                            # the same macro again
    put(p, button_at(0, 6) + 496, "HH", 5, 25)                 # fire key, 5 clicks, 25 ms
    set_function(p, 0, 6, 29, 5, 18, 12)
    set_macro_button(p, 0, 7, long)

    delays = macro_bytes(0, "Delays", [mouse(1, 1), delay(15), mouse(1, 0), delay(25), key(37, 1, 1), delay(35),
                                       key(37, 0, 1), delay(4), mouse(2, 1), mouse(2, 0), mouse(4, 1), mouse(4, 0)], 0)
    set_macro_list(p, 1, [delays])
    put(p, button_at(1, 0) + 16, "HHH", 226, 0, 0)             # Mute
    set_function(p, 1, 0, 27, 10, 14, 1007)
    put(p, button_at(1, 1) + 16, "HHH", 0, 0, 0)               # Disable
    set_function(p, 1, 1, 34, 10, 14, 17)
    at = button_at(1, 2)                                       # combo whose first key is a consumer key
    put(p, at + 6, "HHHHH", 166, 1, 65, 0, 1)
    set_function(p, 1, 2, 6, 3, 15, 7)
    set_macro_button(p, 1, 3, delays)
    set_function(p, 1, 4, 31, 0, 10, 14)                       # DPI+
    set_function(p, 1, 5, 33, 0, 19, 16)                       # Mode Switch
    set_function(p, 1, 6, 32, 0, 9, 15)                        # DPI-

    put(p, button_at(3, 0) + 2, "HH", 13, 1)                   # keypad Enter
    set_function(p, 3, 0, 5, 8, 16, 6)
    put(p, button_at(3, 7) + 496, "HH", 30, 5000)              # fire key, 30 clicks, 5000 ms
    # The Win group is stored but never sent.
    set_macro_button(p, 4, 0, macro_bytes(0, "Win", [key(65, 1)], 9))
    return p


# ---- device images ----

def u16(p, at):
    return struct.unpack_from("<H", p, at)[0]


def i32(p, at):
    return struct.unpack_from("<i", p, at)[0]


def half_even_div10(n):
    q, r = divmod(n, 10)
    return q + 1 if r > 5 or (r == 5 and q % 2 == 1) else q


def macro_list_of_group(p, g):
    found = []
    for b in range(i32(p, SETTINGS_AT + 10396)):
        at = button_at(g, b)
        if p[at + 3336] == 4 and u16(p, at + 24 + 368) not in found:
            found.append(u16(p, at + 24 + 368))
    return found


def button_table(p, g):
    n = i32(p, SETTINGS_AT + 10396)
    table = bytearray(65)
    table[0] = n
    macros = macro_list_of_group(p, g)
    for b in range(n):
        at = button_at(g, b)
        c = i32(p, at + 3340)
        entry = [c, 0, 0, 0]
        if c == 14:
            entry = [14, 0, u16(p, at + 16), u16(p, at + 18)]
        elif c == 15:
            k1, e1, k2, e2, mod = struct.unpack_from("<HHHHH", p, at + 6)
            h1 = HID[(k1, e1)]
            if is_consumer(k1):
                entry = [14, 0, h1 & 0xFF, h1 >> 8]
            else:
                entry = [15, sum(v for bit, v in HID_MODIFIER.items() if mod & bit), h1, HID[(k2, e2)]]
        elif c == 16:
            vk, ext = struct.unpack_from("<HH", p, at + 2)
            h = HID[(vk, ext)]
            entry = [14, 0, h & 0xFF, h >> 8] if is_consumer(vk) else [16, 0, h, 0]
        elif c == 17:
            steps = i32(p, at + 24 + 360)
            length = 3 * (steps + (1 if u16(p, at + 24 + 366) > 0 else 0))
            index = u16(p, at + 24 + 368)
            entry = [17, macros.index(index) if index in macros else 0, length & 0xFF, length >> 8]
        elif c == 18:
            d = half_even_div10(u16(p, at + 498))
            entry = [18, u16(p, at + 496), d & 0xFF, d >> 8]
        table[1 + 4 * b: 5 + 4 * b] = bytes(entry)
    return table


def encode_step(etype, state, lo, hi):
    if state not in (0, 1):
        return bytes(3)
    if etype == 6:
        v = max(half_even_div10(lo + 256 * hi), 1)
        return bytes([6, v & 0xFF, v >> 8])
    return bytes([etype + 128 * state, lo, hi])


def macro_image(p):
    image = bytearray(3680)
    for g in range(4):
        macros = macro_list_of_group(p, g)
        lst = LISTS_AT + LIST_SIZE * g
        for m in range(u16(p, lst + 9912)):
            at = lst + MACRO_SIZE * m
            index = u16(p, at + 368)
            if index not in macros:
                continue
            slot = 5 * g + macros.index(index)
            steps = i32(p, at + 360)
            loop = u16(p, at + 366)
            data = b""
            for k in range(steps):
                etype, state, lo, hi = struct.unpack_from("<HHBB", p, at + 6 * k)
                if etype == 4:
                    data += encode_step(4, state, HID[(lo, hi)], hi)
                elif etype == 6:
                    data += encode_step(6, 0, lo, hi)
                else:
                    data += encode_step(etype, state, lo, hi)
            if loop > 0:
                data += encode_step(7, 0, loop & 0xFF, loop >> 8)
            image[180 * slot: 180 * slot + len(data)] = data
            put(image, 3600 + 4 * slot, "I", len(data))
    return image


CPI_DEVICE_INDEX = [0, 1, 2, 3, 4, 5, 6, 7, 7]


def sensitivity(p):
    s = SETTINGS_AT
    record = bytearray(32)
    record[0] = u16(p, s + 122)
    record[1] = i32(p, s + 20)
    for k in range(4):
        x, _, enabled = struct.unpack_from("<HHH", p, s + 56 + 6 * k)
        record[2 + 3 * k] = enabled
        record[3 + 3 * k] = record[4 + 3 * k] = CPI_DEVICE_INDEX[x]
    return record


def light(p):
    r, g, b, bright, breath, second = struct.unpack_from("<6B", p, SETTINGS_AT + 10386)
    return bytes([255 - r, 255 - g, 255 - b, bright, breath, second])


INTERVAL = {125: 8, 250: 4, 333: 3, 500: 2, 1000: 1}

# ---- frames ----


def frame(command, args=b"", payload=b""):
    f = bytearray(2059)
    f[0:4] = bytes([0x16, 0x10, 0x00, command])
    f[4:4 + len(args)] = args
    f[11:11 + len(payload)] = payload
    return bytes(f)


def write(address, data):
    return frame(2, bytes([address & 0xFF, address >> 8, len(data) & 0xFF, len(data) >> 8, 0xFA, 0xFA, 0xFA]), data)


def location_frames(p, location):
    frames = []
    image = macro_image(p)
    for g in range(4):
        for s in range(5):
            slot = 5 * g + s
            length = struct.unpack_from("<I", image, 3600 + 4 * slot)[0]
            if length:
                frames.append(write(321 + 965 * (4 * location + g) + 180 * s, image[180 * slot: 180 * slot + length]))
    for g in range(4):
        frames.append(write(256 + 965 * (4 * location + g), button_table(p, g)))
    frames.append(write([168, 237][location], light(p)))
    frames.append(write([104, 173][location], sensitivity(p)))
    return frames


def apply_frames(current, current_index, mode1, mode2, device_mode, rate_changed):
    frames = [frame(6, b"\x00"), write(101, bytes([INTERVAL[u16(current, SETTINGS_AT + 16)]]))]
    frames += location_frames(mode1, 0)
    frames += location_frames(mode2, 1)
    frames += [write(93, bytes([current_index])), write(94, b"\x00"), frame(8, bytes([device_mode])),
               frame(7, b"\x00"), frame(6, b"\x01")]
    if rate_changed:
        frames.append(frame(1, b"\x00\x00"))
    return b"".join(frames)


def save(name, data):
    with open(os.path.join(HERE, name), "wb") as f:
        f.write(data)


factory = factory_profile(81)
rich = rich_profile()
save("rich_profile.GPX", rich)
save("apply_factory.frames", apply_frames(factory, 0, factory, factory, 0, False))
save("apply_rich.frames", apply_frames(rich, 2, rich, factory, 1, True))
