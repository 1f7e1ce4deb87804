#!/usr/bin/env python3
"""Writes the config.ini fixtures of this folder byte for byte (BOMs, line ends and NUL bytes
would not survive an editor). Run it from anywhere; it rewrites the files next to itself."""
import os

HERE = os.path.dirname(os.path.abspath(__file__))

# A hand-edited file: mixed letter case, blanks around '=', quotes, comments, a repeated key.
GOLDEN = [
    "; Q9 configuration",
    "[DeviceList]",
    "ID1 = HID\\VID_1234&PID_5678",
    "id2=\"HID\\VID_1234&PID_5679\"",
    "# a comment between entries",
    "id3=  HID\\VID_1234&PID_567A  ",
    "id1=HID\\VID_FFFF&PID_FFFF",
    "",
    "[ usbdevicelist ]",
    "id1=USB\\VID_1234&PID_5678",
    "id2='USB\\VID_1234&PID_5679'",
    "[device]",
    "InfFileName=q9mouse.inf",
    "FileName = q9mouse.sys",
    "servicename=q9mouse",
    "ServiceNamex86=q9mouse32",
    "ServiceNamex64=q9mouse64",
    "DeviceName=\"Q9Mouse0\"",
    "WHQL=1",
    "X32WHQL=0x10",
    "UpperFilter=1 ; upper",
]


def write(name, data):
    with open(os.path.join(HERE, name), "wb") as f:
        f.write(data)


def main():
    text = "\r\n".join(GOLDEN) + "\r\n"
    write("golden.ini", b"\xef\xbb\xbf" + text.encode())
    write("golden_utf16le.ini", b"\xff\xfe" + text.encode("utf-16-le"))
    write("golden_cr.ini", "\r".join(GOLDEN).encode())
    write("gap.ini", b"[devicelist]\nid1=HID\\VID_1234&PID_5678\nid3=HID\\VID_1234&PID_5679\n")
    # Keys outside a section, lines without '=', binary noise, NULs, an unclosed section and names
    # that would lead the device path or the driver files elsewhere.
    write("hostile.ini",
          b"DeviceName=outside\n"
          b"\x00\xff\xfe garbage without equals\n"
          b"[DEVICE\n"
          b"DeviceName=..\\..\\PhysicalDrive0\n"
          b"FileName=C:\\Windows\\evil.sys\n"
          b"InfFileName=\n"
          b"ServiceName=a/b\n"
          b"WHQL=\x001\n"
          b"[devicelist]\n"
          b"id1=HID\\VID_1234&PID_5678\x00&REV_0100\n"
          b"id2=\x00\n"
          b"id3=HID\\VID_1234&PID_5679\n")


if __name__ == "__main__":
    main()
