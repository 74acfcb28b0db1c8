#!/usr/bin/env python3
"""Packs the help page into help.mht: one MIME multipart/related message whose root part is
the HTML page (UTF-8, quoted-printable), as browsers open web archives.

usage: make_mht.py HELP.html OUTPUT.mht
Only the standard library is used.
"""
import quopri
import sys

BOUNDARY = '----=_NextPart_Velkaro_Help'


def build(html: bytes) -> bytes:
    body = quopri.encodestring(html.replace(b'\r\n', b'\n')).replace(b'\n', b'\r\n')
    head = '\r\n'.join([
        'From: "Velkaro V1.4 Final" <help@velkaro.example>',
        'Subject: Velkaro V1.4 Final - help',
        'MIME-Version: 1.0',
        f'Content-Type: multipart/related; type="text/html"; boundary="{BOUNDARY}"',
        '',
        'This is a multi-part message in MIME format.',
        '',
        f'--{BOUNDARY}',
        'Content-Type: text/html; charset="utf-8"',
        'Content-Transfer-Encoding: quoted-printable',
        'Content-Location: file:///help.html',
        '',
        '',
    ]).encode('ascii')
    tail = f'\r\n\r\n--{BOUNDARY}--\r\n'.encode('ascii')
    return head + body + tail


def main():
    if len(sys.argv) != 3:
        sys.exit('usage: make_mht.py HELP.html OUTPUT.mht')
    with open(sys.argv[1], 'rb') as f:
        html = f.read()
    html.decode('utf-8')  # the page must be valid UTF-8, as its meta tag says
    data = build(html)
    with open(sys.argv[2], 'wb') as f:
        f.write(data)


if __name__ == '__main__':
    main()
