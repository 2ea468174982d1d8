#!/usr/bin/env python3
"""Writes the seed corpora of the fuzz harnesses.

Frames are built here from the protocol's own rules (header, record layouts, 0xBB XOR
checksum), not with the configurator's code: a valid answer of every command in every size
the controller may send, then the damaged forms a bad line produces (cut short, overlong,
wrong start byte or checksum). Channel files: what an export writes, and the damaged or
hand-edited files an import meets. Every seed is named "seed-..."; other files in the corpus
directories (kept crash reproducers) are left alone. Run again after changing this script.
"""

import os
import pathlib
import struct

HERE = pathlib.Path(__file__).resolve().parent
FRAMES = HERE / "corpus" / "frames"
CHANNEL_FILES = HERE / "corpus" / "channelfile"

FW_140 = 0x01040000
FW_142 = 0x01040002


def checksum(data):
    value = 0xBB
    for byte in data:
        value ^= byte
    return value


def frame(cmd, payload, fw=FW_142, hw=(8, 1), start=0xAA):
    head = bytes([start, hw[0], hw[1]]) + struct.pack(">I", fw) + bytes([cmd])
    body = head + payload
    return body + bytes([checksum(body)])


def text(value, width):
    data = value.encode("utf-8")
    return data + bytes(width - len(data)) if len(data) < width else data[:width]


def controller_payload(with_fw_text):
    out = bytes([0])                                     # result byte, not read
    out += struct.pack(">IIII", 3600, 86400, 60, 1000)  # periods and threshold
    out += text("000000012345", 13)
    out += text("info", 32)
    out += text("861234567890123", 32)
    out += bytes([1]) + struct.pack(">H", 3600) + bytes([0, 1, 1])
    out += bytes([192, 168, 10, 20]) + struct.pack(">H", 8080)
    out += text("/api/get", 32) + text("/api/сохранить", 32)
    if with_fw_text:
        out += text("1.4.2", 32)
    return out


def analog_payload(channel, code, input_type, serial, lk, st, value):
    return (bytes([channel, code, input_type]) + text(serial, 16)
            + struct.pack(">HHHHHI", 10, 1, lk & 0xFFFF, st & 0xFFFF, 12, value & 0xFFFFFFFF))


def digital_settings_payload(channel, code, protocol, address, password):
    return (bytes([channel, code, protocol]) + struct.pack(">I", address)
            + text(password, 10) + bytes([1]) + struct.pack(">H", 42))


def digital_readings_payload(serial, readings):
    return bytes([0]) + text(serial, 16) + struct.pack(">IIII", *readings)


def modem_payload(running, imsi, rssi, cell):
    return bytes([0, running]) + text(imsi, 32) + struct.pack(">hI", rssi, cell)


def valid_frames():
    """(name, bytes) for a well-formed answer to every command the protocol knows."""
    seeds = [
        ("cmd001-reading-14", frame(1, bytes([0]) + struct.pack(">I", 123456))),
        ("cmd064-reading-14", frame(64, bytes([0]) + struct.pack(">I", 7))),
        ("cmd002-readings-42", frame(2, digital_readings_payload("40512377", (100, 0, 0, 10000)))),
        ("cmd002-no-meter-42", frame(2, digital_readings_payload("", (0, 0, 0, 0)))),
        ("cmd004-water-42", frame(4, analog_payload(0, 1, 4, "SN-01", 30, 0, 1234))),
        ("cmd004-temperature-42", frame(4, analog_payload(2, 5, 5, "", -50, -100, -215))),
        ("cmd004-absent-42", frame(4, analog_payload(7, 255, 0, "", 0, 0, 0), hw=(8, 2))),
        ("cmd016-pressure-42", frame(16, analog_payload(3, 14, 13, "Д-1", 25, 5, 35))),
        ("cmd008-kv-29", frame(8, digital_settings_payload(0, 8, 1, 0xFA000003 + 8 * 123, "111111"))),
        ("cmd008-absent-29", frame(8, digital_settings_payload(31, 255, 0, 0, ""))),
        ("cmd032-29", frame(32, digital_settings_payload(5, 13, 6, 12345678, "пароль"))),
        ("cmd009-fw142-211", frame(9, controller_payload(True))),
        ("cmd009-fw140-179", frame(9, controller_payload(False), fw=FW_140)),
        ("cmd033-fw142-211", frame(33, controller_payload(True))),
        ("cmd033-fw140-179", frame(33, controller_payload(False), fw=FW_140)),
        ("cmd128-fw142-14", frame(128, bytes(5))),
        ("cmd128-fw140-10", frame(128, bytes(1), fw=FW_140)),
        ("cmd129-10", frame(129, bytes([0]))),
        ("cmd130-12", frame(130, bytes([0, 0, 1]))),
        ("cmd131-9", frame(131, b"")),
        ("cmd132-10", frame(132, bytes([0]))),
        ("cmd134-accepted-10", frame(134, bytes([255]), hw=(8, 3))),
        ("cmd134-refused-fw140-10", frame(134, bytes([0]), fw=FW_140)),
        ("cmd135-10", frame(135, bytes([255]))),
        ("cmd136-49", frame(136, modem_payload(1, "250991234567890", -85, 0x01A2B3C4))),
        ("cmd137-49", frame(137, modem_payload(0, "", 0, 0))),
    ]
    # Field texts that fill their whole width carry no terminating zero.
    full = analog_payload(1, 1, 1, "0123456789ABCDEF", 1, 1, 1)
    seeds.append(("cmd004-serial-fills-field-42", frame(4, full)))
    seeds.append(("cmd136-imsi-fills-field-49",
                  frame(136, modem_payload(1, "9" * 32, 10, 1))))
    # A cut multi-byte UTF-8 sequence and bytes that are no UTF-8 at all.
    password = b"\xd0\xff\xfe" + bytes(7)
    seeds.append(("cmd008-broken-utf8-29",
                  frame(8, bytes([1, 1, 10]) + struct.pack(">I", 1) + password + bytes([1, 0, 1]))))
    for name, data in seeds:
        assert len(data) == int(name.rsplit("-", 1)[1]), name
    return seeds


def damaged_frames(valid):
    seeds = []
    for name, data in valid:
        seeds.append((name + "-cut-by-one", data[:-1]))
        seeds.append((name + "-one-too-many", data + bytes([0x00])))
        bad_sum = bytearray(data)
        bad_sum[-1] ^= 0x01
        seeds.append((name + "-bad-checksum", bytes(bad_sum)))
    seeds += [
        ("empty", b""),
        ("start-byte-only", b"\xaa"),
        ("seven-bytes-no-command", bytes([0xAA, 8, 1, 1, 4, 0, 2])),
        ("header-only-8", bytes([0xAA, 8, 1, 1, 4, 0, 2, 9])),
        ("cmd009-fw140-size-211", frame(9, controller_payload(True), fw=FW_140)),
        ("cmd009-cut-in-serial", frame(9, controller_payload(True))[:30]),
        ("cmd004-start-byte-55", frame(4, analog_payload(0, 1, 4, "SN", 1, 1, 1), start=0x55)),
        ("unknown-cmd000-10", frame(0, bytes([0]))),
        ("unknown-cmd003-10", frame(3, bytes([0]))),
        ("unknown-cmd255-10", frame(255, bytes([0]))),
        ("all-zero-checksum-bb", bytes(8) + bytes([0xBB])),
        # A digital readings answer with line noise in front: only its last 42 bytes count.
        ("cmd002-noise-before-60", bytes(range(18)) + frame(2, digital_readings_payload("77", (1, 2, 3, 4)))),
        ("cmd002-short-20", frame(2, digital_readings_payload("4051", (1, 2, 3, 4)))[:19] + b"\x00"),
        ("cmd130-oversized-300", frame(130, bytes(range(256)) + bytes(35))),
    ]
    return seeds


CRLF = "\r\n"

HEADER = ("Аналоговый(A)/Цифровой(D);№ канала;Тип устройства;Тип входа;Серийный номер;"
          "Множитель;Делитель;T1;T2;Показания;Сетевой адреc;Пароль;KT;Объект")

EXPORTED = [
    "A;1;1;4;SN-01;5;2;30;0;1234;;;;12",
    "A;2;0;0;;10;1;0;0;;;;;0",
    "A;3;7;5;;10;1;-50;-125;21.5;;;;0",
    "A;4;9;13;;1;1;25;5;3.5;;;;7",
    "D;1;1;1;12345;;;;;1.5,2,3,4;kv123;111111;1;42",
    "D;2;4;10;;;;;;-;4194304003;;0;0",
    "D;32;3;6;Д-77;;;;;;0000012345;пароль;255;65535",
]


def channel_file(lines, end="\n", header=HEADER, final_end=True):
    body = end.join([header] + lines)
    return (body + (end if final_end else "")).encode("utf-8")


def channel_files():
    return [
        ("exported-lf.csv", channel_file(EXPORTED)),
        ("exported-crlf.csv", channel_file(EXPORTED, CRLF)),
        ("exported-no-final-newline.csv", channel_file(EXPORTED, final_end=False)),
        ("header-only.csv", channel_file([])),
        ("empty.csv", b""),
        ("no-header-line-end.csv", HEADER.encode("utf-8")),
        ("byte-order-mark.csv", b"\xef\xbb\xbf" + channel_file(EXPORTED[:2])),
        ("comma-separated.csv", channel_file([line.replace(";", ",") for line in EXPORTED[:2]]
                                             + ["D,3,1,1,,,,,,,kv1,,1,1"])),
        ("thirteen-fields.csv", channel_file(["A;1;1;4;SN;5;2;30;0;1;;;"])),
        ("fifteen-fields.csv", channel_file(["A;1;1;4;SN;5;2;30;0;1;;;;12;"])),
        ("lower-case-kind.csv", channel_file(["a;1;1;4;SN;5;2;30;0;1;;;;12",
                                             "d;1;1;1;;;;;;;kv1;;1;1"])),
        ("rows-out-of-range.csv", channel_file(["A;0;1;4;;1;1;1;1;;;;;1",
                                               "A;9;1;4;;1;1;1;1;;;;;1",
                                               "D;33;1;1;;;;;;;1;;1;1",
                                               "D;-5;1;1;;;;;;;1;;1;1",
                                               "A;x;1;4;;1;1;1;1;;;;;1",
                                               "A;2147483647;1;4;;1;1;1;1;;;;;1",
                                               "A;-2147483647;1;4;;1;1;1;1;;;;;1",
                                               "D;2147483648;1;1;;;;;;;1;;1;1",
                                               "A;;1;4;;1;1;1;1;;;;;1"])),
        ("odd-numbers.csv", channel_file(["A;1;99;-1;;0;0;999999999999;-99999;;;;;x",
                                         "A;2;7;5;;1;1;-32768;32767;;;;;1",
                                         "A;3;7;5;;1;1;40000;-40000;;;;;1",
                                         "A;4;7;5;;1;1;1e3;0x10;;;;;1",
                                         "D;1;-1;99;;;;;;;kv99999999999;;300;-1",
                                         "D;2;5;11;;;;;;;4294967296;12345678901;1;1",
                                         "D;3;2;5;;;;;;;kv;;1;1"])),
        ("blank-and-space-lines.csv", channel_file(["", "   ", EXPORTED[0], "\t", EXPORTED[4]])),
        ("crlf-doubled.csv", channel_file(EXPORTED[:2], "\r\r\n")),
        ("cr-only-line-ends.csv", channel_file(EXPORTED[:3], "\r")),
        ("broken-utf8.csv", channel_file([]) + b"A;1;1;4;\xd0\xff\xfe;1;1;1;1;;;;;1\n"
                                                + b"D;1;1;1;;;;;;;kv1;\xc3;1;1\n"),
        ("nul-bytes.csv", channel_file([]) + b"A;1;1;4;S\x00N;1;1;1;1;;;;;1\n\x00\n"),
        ("long-field.csv", channel_file(["A;1;1;4;" + "Ж" * 500 + ";1;1;1;1;;;;;1"])),
        ("semicolons-in-comma-line.csv", channel_file(["A,1,1,4,S;N,1,1,1,1,,,,,1"])),
    ]


def write(directory, seeds, suffix):
    directory.mkdir(parents=True, exist_ok=True)
    for old in directory.glob("seed-*"):
        old.unlink()
    for name, data in seeds:
        path = directory / ("seed-" + name + suffix)
        path.write_bytes(data)


def main():
    valid = valid_frames()
    write(FRAMES, valid + damaged_frames(valid), ".bin")
    write(CHANNEL_FILES, channel_files(), "")
    print("frames:", len(os.listdir(FRAMES)), "channel files:", len(os.listdir(CHANNEL_FILES)))


if __name__ == "__main__":
    main()
