#!/usr/bin/python3
# Stands between the program and a printer's Unix socket and passes bytes both ways until the
# file SILENCE exists; from then on the printer's replies are dropped, as from a printer that
# has stopped answering.
#   silent_proxy.py LISTEN_SOCKET PRINTER_SOCKET SILENCE
import os
import select
import socket
import sys


def main():
    listen_path, printer_path, silence = sys.argv[1:4]
    if os.path.exists(listen_path):
        os.unlink(listen_path)
    server = socket.socket(socket.AF_UNIX, socket.SOCK_STREAM)
    server.bind(listen_path)
    server.listen(1)
    while True:
        program, _ = server.accept()
        printer = socket.socket(socket.AF_UNIX, socket.SOCK_STREAM)
        printer.connect(printer_path)
        ends = {program: printer, printer: program}
        open_ = True
        while open_:
            ready, _, _ = select.select(list(ends), [], [])
            for s in ready:
                data = s.recv(4096)
                if not data:
                    open_ = False
                    break
                if s is printer and os.path.exists(silence):
                    continue
                ends[s].sendall(data)
        program.close()
        printer.close()


if __name__ == "__main__":
    main()
