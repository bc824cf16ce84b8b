"""The Wayland wire protocol, the little the tests speak of it themselves: a display that
only answers the registry (FakeDisplay), and a client that adds a pointer device to a
compositor's seat (VirtualPointer)."""
import os
import socket
import struct
import threading


def _string(text):
    raw = text.encode() + b"\0"
    return struct.pack("<I", len(raw)) + raw + b"\0" * (-len(raw) % 4)


def _event(obj, opcode, body):
    return struct.pack("<II", obj, (8 + len(body)) << 16 | opcode) + body


def _request(obj, opcode, body=b""):
    return _event(obj, opcode, body)


class FakeDisplay:
    """Lists the globals it is given ((interface, version) pairs) and answers every sync,
    which is all a client sees of a compositor before it binds anything; what a client asks
    of the objects it binds is read and left unanswered. With hang_up, it closes each
    connection at once, as a compositor that went away. Listens at `path` until stopped."""

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


class VirtualPointer:
    """A pointer device on the compositor's default seat (zwlr_virtual_pointer_manager_v1),
    there as long as this connection is open: a seat without one (a headless compositor's)
    sends no client pointer events. Connects to the socket at `path`."""

    def __init__(self, path):
        self.sock = socket.socket(socket.AF_UNIX, socket.SOCK_STREAM)
        self.sock.connect(path)
        self.data = b""
        self.sock.sendall(_request(1, 1, struct.pack("<I", 2)))  # wl_display.get_registry -> 2
        found = {iface: (name, version) for obj, op, body in self._until_synced(3) if obj == 2 and op == 0
                 for name, iface, version in [self._global(body)]}
        iface = "zwlr_virtual_pointer_manager_v1"
        if iface not in found:
            raise RuntimeError(f"the compositor has no {iface}")
        name, _ = found[iface]
        # wl_registry.bind -> 4, then create_virtual_pointer(default seat) -> 5
        self.sock.sendall(_request(2, 0, struct.pack("<I", name) + _string(iface) + struct.pack("<II", 1, 4)) +
                          _request(4, 0, struct.pack("<II", 0, 5)))
        self._until_synced(6)

    @staticmethod
    def _global(body):
        name, length = struct.unpack_from("<II", body)
        iface = body[8:8 + length - 1].decode()
        return name, iface, struct.unpack_from("<I", body, 8 + length + (-length % 4))[0]

    def _until_synced(self, callback):
        """Sends wl_display.sync with that new id; returns the events up to its answer."""
        self.sock.sendall(_request(1, 0, struct.pack("<I", callback)))
        events = []
        while True:
            while len(self.data) >= 8:
                obj, word = struct.unpack_from("<II", self.data)
                size = word >> 16
                if len(self.data) < size:
                    break
                body, self.data = self.data[8:size], self.data[size:]
                if obj == 1 and word & 0xffff == 0:
                    raise RuntimeError(f"the compositor refused a request: {body!r}")
                if obj == callback:
                    return events
                events.append((obj, word & 0xffff, body))
            chunk = self.sock.recv(4096)
            if not chunk:
                raise RuntimeError("the compositor closed the connection")
            self.data += chunk

    def close(self):
        self.sock.close()
