#!/usr/bin/env python3
"""Deterministic large inputs for the benchmark.

  generate.py info TYPE N OUT          an info file of N body records of every code of TYPE
                                       (GELIR, GELIR-OZET or KURUMLAR)
  generate.py declaration E R OUT      an income tax declaration with E enterprises of R rows
"""
import sys

SEP = b"\xb3"


def line(*fields):
    return SEP.join(f.encode("cp857") if isinstance(f, str) else f for f in fields) + b"\r\n"


def header(declaration_type):
    return b"".join([
        line("034250", "2026", declaration_type), line("1234567890"), line("YILMAZ"),
        line("Ay\u015fe"), line("12345678901"), line("45871"), line("muhasebe@ornek.com.tr"),
        line("312"), line("4567890"), line("Y\u0131lmaz Ticaret"), line("Toptan ticaret"),
        line("9876543210"),
    ])


def amount(i):
    return f"{(i * 7919) % 1000000}.{i % 1000:03d},{i % 100:02d}"


CODES = {
    "GELIR": lambda i: [
        ("1", str(100 + i % 400), amount(i), amount(i + 1)),
        ("2", str(300 + i % 300), amount(i + 2), ""),
        ("3", str(600 + i % 90), "", amount(i + 3)),
        ("4", str(1 + i % 10), amount(i + 4)),
    ],
    "GELIR-OZET": lambda i: [
        ("10", amount(i).rjust(15) + amount(i + 1).rjust(15)),
        ("20", amount(i + 2).rjust(15) + amount(i + 3).rjust(15)),
        ("50", ""),
        ("60", amount(i + 4).rjust(15) + amount(i + 5).rjust(15)),
        ("81", amount(i + 6).rjust(15) + amount(i + 7).rjust(15)),
        ("4", str(1 + i % 10), amount(i + 8)),
    ],
    "KURUMLAR": lambda i: [
        ("1", str(100 + i % 200), amount(i), amount(i + 1)),
        ("2", str(300 + i % 200), amount(i + 2), amount(i + 3)),
        ("3", str(600 + i % 90), amount(i + 4), amount(i + 5)),
        ("4", str(1 + i % 15), amount(i + 6)),
        ("11", f"Aktif dipnot {i} \u015fubat"),
        ("12", f"Pasif dipnot {i} & ortaklar"),
        ("13", f"Gelir dipnot {i} <sat\u0131\u015f>"),
    ],
}


def info(declaration_type, n, out):
    records = CODES[declaration_type]
    with open(out, "wb") as f:
        f.write(header(declaration_type))
        i = 0
        written = 0
        while written < n:
            for record in records(i):
                if written == n:
                    break
                f.write(line(*record))
                written += 1
            i += 1


def declaration(enterprises, rows, out):
    with open(out, "wb") as f:
        w = f.write
        w(b'<?xml version="1.0" encoding="ISO-8859-9"?>\r\n')
        w(b'<beyanname kodVer="GELIR_10" paraBirimi="YTL">\r\n<genel><idari><vdKodu>034250</vdKodu>'
          b'</idari></genel>\r\n<ozel>\r\n<kazancDetay><ticariKazancBildirimi><ticariKazanclar>\r\n')
        for e in range(enterprises):
            w(f"<ticariKazanc><unvani>Firma {e}</unvani><verilenEk>802</verilenEk></ticariKazanc>\r\n"
              .encode("iso-8859-9"))
        w(b"</ticariKazanclar></ticariKazancBildirimi></kazancDetay>\r\n<ekler><ayrintiliBilancoGelirTablosu>\r\n")
        for table, row in ((b"ayrintiliBilanco", "ABsatiri"), (b"ayrintiliGelirTablosu", "AGTsatiri")):
            w(b"<" + table + b">\r\n")
            for e in range(enterprises):
                for r in range(rows // 2):
                    tip = "<tip>1</tip>" if row == "ABsatiri" else ""
                    w(f"<{row}><unvani>Firma {e}</unvani>{tip}<kod>{100 + r % 500}</kod>"
                      f"<od>{amount(r)}</od><cd>{amount(r + e)}</cd></{row}>\r\n".encode("iso-8859-9"))
            w(b"</" + table + b">\r\n")
        w(b"</ayrintiliBilancoGelirTablosu></ekler>\r\n<performans><netSatis>1</netSatis></performans>\r\n"
          b"</ozel>\r\n</beyanname>\r\n")


if __name__ == "__main__":
    if sys.argv[1] == "info":
        info(sys.argv[2], int(sys.argv[3]), sys.argv[4])
    else:
        declaration(int(sys.argv[2]), int(sys.argv[3]), sys.argv[4])
