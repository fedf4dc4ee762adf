#!/usr/bin/env python3
"""Serves the demo catalogue folder on 127.0.0.1, as `python3 -m http.server` does, and also
answers byte ranges: a media player streaming a video loop seeks back to its start with one,
and without them the loop stops after its first pass.

    serve.py <folder> <port>   (port 0: any free port; the bound port is printed)
"""
import functools
import http.server
import os
import re
import sys


class RangeHandler(http.server.SimpleHTTPRequestHandler):
    def send_head(self):
        self.range_left = None
        match = re.fullmatch(r"bytes=(\d*)-(\d*)", self.headers.get("Range", "").strip())
        path = self.translate_path(self.path)
        if not match or not os.path.isfile(path) or match.groups() == ("", ""):
            return super().send_head()
        size = os.path.getsize(path)
        first, last = match.groups()
        if first == "":  # the last N bytes
            first, last = max(0, size - int(last)), size - 1
        else:
            first, last = int(first), min(int(last) if last else size - 1, size - 1)
        if first >= size or first > last:
            self.send_error(416, "Range Not Satisfiable")
            return None
        body = open(path, "rb")
        body.seek(first)
        self.send_response(206)
        self.send_header("Content-Type", self.guess_type(path))
        self.send_header("Content-Range", "bytes %d-%d/%d" % (first, last, size))
        self.send_header("Content-Length", str(last - first + 1))
        self.end_headers()
        self.range_left = last - first + 1
        return body

    def copyfile(self, source, outputfile):
        left = self.range_left
        if left is None:
            return super().copyfile(source, outputfile)
        while left > 0:
            chunk = source.read(min(64 * 1024, left))
            if not chunk:
                break
            outputfile.write(chunk)
            left -= len(chunk)

    def end_headers(self):
        self.send_header("Accept-Ranges", "bytes")
        super().end_headers()


def main():
    folder, port = sys.argv[1], int(sys.argv[2])
    handler = functools.partial(RangeHandler, directory=folder)
    with http.server.ThreadingHTTPServer(("127.0.0.1", port), handler) as server:
        print("Serving HTTP on 127.0.0.1 port %d" % server.server_address[1], flush=True)
        server.serve_forever()


if __name__ == "__main__":
    main()
