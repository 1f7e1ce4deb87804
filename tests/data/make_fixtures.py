#!/usr/bin/env python3
"""Writes the golden record images of tests/data from the documented byte layout alone.

The offsets below are typed in from the layout tables (docs/file-formats.md), not taken from the
C++ structs, so a wrong struct layout or a wrong factory value makes the tests disagree.
Run it from anywhere; it rewrites the files next to itself.
"""
import os
import struct

HERE = os.path.dirname(os.path.abspath(__file__))

PROFILE_SIZE = 332884
SETTINGS_SIZE = 31200
SETTINGS_AT = 2692          # MouseSettingInfo in a profile
GROUPS_AT = 15144           # MouseButtonConfigInfoSet
GROUP_SIZE = 53632
BUTTON_SIZE = 3352


def put(image, offset, fmt, *values):
    struct.pack_into("<" + fmt, image, offset, *values)


def factory_profile(sensor_type):
    p = bytearray(PROFILE_SIZE)
    s = SETTINGS_AT
    put(p, s + 10396, "i", 8)                 # ButtonCount
    put(p, s + 4, "H", 3)                     # VWheelSpeed
    put(p, s + 8, "H", 550)                   # DoubleClickSpeed
    put(p, s + 10, "H", 10)                   # PointerSpeed
    put(p, s + 16, "H", 500)                  # ReportRate
    put(p, s + 122, "H", 4)                   # CPILevel
    put(p, s + 12, "H", 0)                    # PointerAcceleration
    put(p, s + 10386, "BBBBBB", 255, 0, 0, 1, 1, 0)   # LEDConfig R G B bright breath second
    levels = {81: (1, 3, 5, 7), 16: (800, 1600, 2500, 5000)}.get(sensor_type)
    if levels:
        for i, value in enumerate(levels):
            put(p, s + 56 + 6 * i, "HHH", value, value, 1)   # CPIState[i]
            put(p, s + 32 + 2 * i, "H", 0)                   # UseDiffentXY[i]
        put(p, s + 20, "i", 1)                               # CurrentCPIIndex
    # button: (function index, type, device code, fire clicks)
    buttons = [(0, 1, 1, 0), (1, 1, 2, 0), (2, 1, 3, 0), (4, 1, 5, 0),
               (3, 1, 4, 0), (30, 0, 8, 0), (29, 5, 18, 2), (29, 5, 18, 3)]
    for group in range(4):
        for b, (index, ftype, code, clicks) in enumerate(buttons):
            at = GROUPS_AT + GROUP_SIZE * group + BUTTON_SIZE * b
            put(p, at + 3332, "H", b)        # nButtonIndex
            put(p, at + 3334, "H", index)    # nFunctionIndex
            put(p, at + 3336, "B", ftype)    # nFunctionType
            put(p, at + 3340, "i", code)     # nDeviceCode
            put(p, at + 3344, "i", 0)        # nMenuID
            if ftype == 5:
                put(p, at + 496, "HH", clicks, 60)   # FireKeyInfo
    return p


def factory_settings(language_index):
    r = bytearray(SETTINGS_SIZE)
    put(r, 0, "H", 1)                  # Allgameset[0].nFlag
    put(r, 30950, "H", 0)              # CurrentProfileIndex
    put(r, 30952, "B", language_index) # CurrentLanguage
    put(r, 30956, "iii", 1, 0, 1)      # IntegerData[0..2]
    put(r, 31176, "iiiiii", 1, 0, 1, 1, 1, 1)   # EasyShiftOptions
    return r


def write(name, data):
    with open(os.path.join(HERE, name), "wb") as f:
        f.write(data)


if __name__ == "__main__":
    write("factory_profile.GPX", factory_profile(81))
    write("factory_profile_sensor16.GPX", factory_profile(16))
    write("factory_settings_0409.bin", factory_settings(0))
    write("factory_settings_0804.bin", factory_settings(1))
    write("factory_settings_0404.bin", factory_settings(2))
    # Broken fixtures: a truncated profile and one with a foreign tail.
    write("truncated_1000.GPX", factory_profile(81)[:1000])
    write("oversized_tail.GPX", factory_profile(81) + b"TAIL" * 64)
    write("empty.GPX", b"")
