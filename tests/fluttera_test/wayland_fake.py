"""A Wayland display that only answers the registry: it lists the globals it is given and
answers every sync, which is all a client sees of a compositor before it binds anything; what
a client asks of the objects it binds is read and left unanswered. With hang_up, it closes
each connection at once, as a compositor that went away."""
import os
import socket
import struct
import threading


def _string(text):
    raw = text.encode() + b"\0"
    return struct.pack("<I", len(raw)) + raw + b"\0" * (-len(raw) % 4)


def _event(obj, opcode, body):
    return struct.pack("<II", obj, (8 + len(body)) << 16 | opcode) + body


class FakeDisplay:
    """Listens at `path` until stopped; `globals` are (interface, version) pairs."""

    def __init__(self, path, globals=(("wl_compositor", 4), ("wl_shm", 1)), hang_up=False):
        self.path, self.globals, self.hang_up = path, globals, hang_up
        self.sock = socket.socket(socket.AF_UNIX, socket.SOCK_STREAM)
        self.sock.bind(path)
        self.sock.listen(4)
        threading.Thread(target=self._accept, daemon=True).start()

    def _accept(self):
        while True:
            try:
                conn, _ = self.sock.accept()
            except OSError:
                return  # stopped
            if self.hang_up:
                conn.close()
            else:
                threading.Thread(target=self._serve, args=(conn,), daemon=True).start()

    def _serve(self, conn):
        data, serial = b"", 0
        with conn:
            while True:
                try:
                    chunk = conn.recv(4096)
                except OSError:
                    return
                if not chunk:
                    return
                data += chunk
                while len(data) >= 8:
                    obj, word = struct.unpack_from("<II", data)
                    size, opcode = word >> 16, word & 0xffff
                    if size < 8 or len(data) < size:
                        break
                    new_id = struct.unpack_from("<I", data, 8)[0] if size >= 12 else 0
                    data = data[size:]
                    if obj != 1:
                        continue  # a request to a bound object: no answer
                    if opcode == 1:  # wl_display.get_registry: wl_registry.global for each
                        conn.sendall(b"".join(_event(new_id, 0, struct.pack("<I", name + 1) + _string(iface) +
                                                     struct.pack("<I", version))
                                              for name, (iface, version) in enumerate(self.globals)))
                    elif opcode == 0:  # wl_display.sync: wl_callback.done, then the id is free
                        serial += 1
                        conn.sendall(_event(new_id, 0, struct.pack("<I", serial)) +
                                     _event(1, 1, struct.pack("<I", new_id)))

    def stop(self):
        self.sock.close()
        os.unlink(self.path)
