#!/usr/bin/env python3
"""Writes the seed corpus of escl_request_fuzzer: each ScanSettings document
in escl_documents/ (as real clients sent them) as the element events the
fuzzer reads (see its header: every name and text raw), and a few request
paths. Run it after adding a document:

    python3 tests/fuzz/escl_request_seeds.py
"""
import os
import xml.sax

HERE = os.path.dirname(os.path.abspath(__file__))
START, EMPTY, TEXT, END = 4, 1, 2, 3
RAW = 0xFF
PATHS = ['/eSCL/ScannerCapabilities', '/eSCL/ScannerStatus/', '/eSCL/ScanJobs',
         '/eSCL/ScanJobs/7', '/eSCL/ScanJobs/12/NextDocument', '/eSCL/ScanJobs/3/ScanImageInfo']


def raw(text):
    data = text.encode('utf-8')
    if len(data) >= 64:
        raise ValueError(f'{text!r} is too long for one raw word')
    return bytes([RAW, len(data)]) + data


class Events(xml.sax.ContentHandler):
    def __init__(self):
        super().__init__()
        self.out = bytearray([0, 0])  # settings, the 7310's limits

    def startElementNS(self, name, qname, attributes):
        self.out += bytes([START]) + raw(name[1])

    def characters(self, content):
        if content.strip():  # the XML reader reports blanks apart
            self.out += bytes([TEXT]) + raw(content)

    def endElementNS(self, name, qname):
        self.out.append(END)


def main():
    corpus = os.path.join(HERE, 'corpus', 'escl_request')
    os.makedirs(corpus, exist_ok=True)
    documents = os.path.join(HERE, 'escl_documents')
    for name in sorted(os.listdir(documents)):
        parser = xml.sax.make_parser()
        parser.setFeature(xml.sax.handler.feature_namespaces, True)
        events = Events()
        parser.setContentHandler(events)
        parser.parse(os.path.join(documents, name))
        with open(os.path.join(corpus, os.path.splitext(name)[0]), 'wb') as seed:
            seed.write(events.out)
    for number, path in enumerate(PATHS):
        with open(os.path.join(corpus, f'path_{number}'), 'wb') as seed:
            seed.write(b'\x01' + path.encode())


if __name__ == '__main__':
    main()
