"""Background music in the real saver under Wine.

Two kinds of evidence:
- the media command strings the saver really sends, read from Wine's own trace
  (WINEDEBUG=+mci for the media device, +winmm for the sound player); they need a sound
  output (a wave device) and MP3 decoding (GStreamer), and fail without them, since what
  the saver does without either is the unit tests' to check;
- the sound itself, recorded from the monitor of a PulseAudio null sink while the saver
  plays a WAV file and an MP3 file, and measured in 100 ms windows.

The media files are made here with sox: a 440 Hz tone of 1.5 s, as WAV and as MP3.
"""
import math
import os
import re
import shutil
import struct
import subprocess
import tempfile
import time
import unittest
import wave

from fluttera_test import end_process
from fluttera_test.session import GUARD
from .shared import SAVER, session

TONE_HZ = 440
TONE_SECONDS = 1.5
WINDOW = 0.1          # seconds per measuring window
SILENT_RMS = 300      # a window below this (16-bit samples) is silence
LONGEST_GAP = 1.3     # the poll restarts an MP3 at most a second after its end, plus start-up

_pulse = None  # (process, env for clients) once PulseAudio runs
_pulse_error = None


def settings(kind, file="", repeat=0):
    """The settings file as the settings dialog writes it: Shift-JIS keys, blank-led numbers."""
    text = (f"[Section]\r\n花びらの数= 10\r\nBGM区分= {kind}\r\nBGMﾘﾋﾟｰﾄ= {repeat}\r\n"
            f"BGMﾌｧｲﾙ={file}\r\n")
    return text.encode("cp932")


# --- PulseAudio ---------------------------------------------------------------------

def setUpModule():
    global _pulse, _pulse_error
    if not shutil.which("pulseaudio") or not shutil.which("parec"):
        _pulse_error = "pulseaudio or parec is not installed"
        return
    runtime = tempfile.mkdtemp(prefix="fluttera-pulse-")
    env = dict(os.environ, PULSE_RUNTIME_PATH=runtime, PULSE_SERVER=f"unix:{runtime}/native")
    # Our own server, not the desktop's: no default script, only the local socket and a
    # null sink whose monitor we record. As root it warns but runs.
    proc = subprocess.Popen(
        ["pulseaudio", "-n", "--daemonize=no", "--exit-idle-time=-1", "--use-pid-file=no",
         "--log-target=stderr", "-L", "module-native-protocol-unix auth-anonymous=1",
         "-L", "module-null-sink sink_name=fluttera_test"],
        env=env, stdout=subprocess.DEVNULL, stderr=subprocess.PIPE)
    for _ in range(100):
        if proc.poll() is not None:
            break
        r = subprocess.run(["pactl", "set-default-sink", "fluttera_test"], env=env, capture_output=True)
        if r.returncode == 0:
            _pulse = (proc, {"PULSE_RUNTIME_PATH": runtime, "PULSE_SERVER": env["PULSE_SERVER"]})
            return
        time.sleep(0.1)
    if proc.poll() is None:
        proc.kill()
    err = proc.communicate()[1].decode(errors="replace").strip().splitlines()
    _pulse_error = "PulseAudio did not start: " + (err[-1] if err else f"exit code {proc.returncode}")


def tearDownModule():
    if _pulse:
        _pulse[0].terminate()
        try:
            _pulse[0].wait(10)
        except subprocess.TimeoutExpired:
            _pulse[0].kill()
        shutil.rmtree(_pulse[1]["PULSE_RUNTIME_PATH"], ignore_errors=True)


def pulse_env():
    return dict(_pulse[1]) if _pulse else {}


# --- Wine's trace -------------------------------------------------------------------

_UNESCAPE = re.compile(r'\\(\\|"|n|r|t|[0-9a-f]{4})')


def unescape(text):
    """A string as Wine's debugstr_w prints it: \\\\ \\" \\n and \\XXXX for other characters."""
    def one(m):
        s = m.group(1)
        return {"\\": "\\", '"': '"', "n": "\n", "r": "\r", "t": "\t"}.get(s) or chr(int(s, 16))
    return _UNESCAPE.sub(one, text)


class Sent:
    """One mciSendStringW call: the command, its reply capacity, and its final result
    (None when Wine gave up before the device answered, which is always a failure)."""

    def __init__(self, at, command, capacity):
        self.at, self.command, self.capacity = at, command, capacity
        self.code, self.reply = None, None

    @property
    def ok(self):
        return self.code == 0

    def __repr__(self):
        return f"{self.command!r}/{self.capacity} -> {self.code} {self.reply!r}"


_CALL = re.compile(r'^([\d.]+):[0-9a-f]+:trace:mci:mciSendStringW \(L"(.*)", [0-9A-F]+, (\d+), [0-9A-F]+\)$')
_RESULT = re.compile(r'^[\d.]+:[0-9a-f]+:trace:mci:mciSendStringW => 2/ ([0-9a-f]+) \((?:L"(.*)"|\(null\))\)$')


def mci_calls(trace):
    """The program's media commands in order. Wine opens an unknown device by itself
    ("open <name> wait") before it fails a command on it; those are Wine's, not ours."""
    calls, last = [], None
    for line in trace.splitlines():
        m = _CALL.match(line)
        if m:
            last = Sent(float(m.group(1)), unescape(m.group(2)), int(m.group(3)))
            calls.append(last)
            continue
        m = _RESULT.match(line)
        if m and last is not None:
            last.code = int(m.group(1), 16)
            last.reply = unescape(m.group(2)) if m.group(2) is not None else None
    return [c for c in calls if not c.command.endswith(" wait")]


def commands(calls):
    return [c.command for c in calls]


# --- Sound --------------------------------------------------------------------------

class Recording:
    """The null sink's monitor, recorded while the saver runs."""

    def __init__(self, path):
        self.path = path
        self.proc = subprocess.Popen(
            ["parec", "-d", "fluttera_test.monitor", "--format=s16le", "--rate=44100", "--channels=2",
             "--latency-msec=20", "--file-format=wav", path],
            env=dict(os.environ, **pulse_env()), stdout=subprocess.DEVNULL, stderr=subprocess.PIPE)
        self.stopped = None

    def stop(self):
        # parec writes what it has when it ends, so the file's end is this moment; its
        # start is later than the launch by however long parec took to connect.
        self.stopped = time.monotonic()
        end_process(self.proc)

    def windows(self):
        """(rms, zero crossings of the left channel) per 100 ms window."""
        with wave.open(self.path) as w:
            rate, channels = w.getframerate(), w.getnchannels()
            data = w.readframes(w.getnframes())
        samples = struct.unpack(f"<{len(data) // 2}h", data)
        step = int(rate * WINDOW) * channels
        out = []
        for i in range(0, len(samples) - step + 1, step):
            seg = samples[i:i + step]
            rms = math.sqrt(sum(s * s for s in seg) / len(seg))
            left = seg[::channels]
            crossings = sum(1 for a, b in zip(left, left[1:]) if (a < 0) != (b < 0))
            out.append((rms, crossings))
        return out


def sound_report(windows, end_index):
    """Onset, the longest silence after it up to end_index, and the sound's share, all in windows."""
    loud = [rms >= SILENT_RMS for rms, _ in windows[:end_index]]
    if True not in loud:
        return None
    onset = loud.index(True)
    gap = run = 0
    for is_loud in loud[onset:]:
        run = 0 if is_loud else run + 1
        gap = max(gap, run)
    return onset, gap, sum(loud[onset:]), len(loud) - onset


# --- Tests --------------------------------------------------------------------------

class MusicBase(unittest.TestCase):
    """Media files made here, in the Wine prefix's C: drive."""

    @classmethod
    def setUpClass(cls):
        cls.s = session()
        cls.drive_c = os.path.join(cls.s.env["WINEPREFIX"], "drive_c")
        cls.made = []

    @classmethod
    def tearDownClass(cls):
        for d in cls.made:
            shutil.rmtree(d, ignore_errors=True)

    def setUp(self):
        self.s.kill_wine_programs()
        self.trace_dir = tempfile.mkdtemp(prefix="fluttera-music-")
        self.addCleanup(shutil.rmtree, self.trace_dir, True)

    def tearDown(self):
        self.s.kill_wine_programs()

    def make_tone(self, windows_path):
        """Writes the tone to a C: path (\\ separated); the ending picks WAV or MP3."""
        parts = windows_path.split("\\")
        assert parts[0] == "C:"
        unix = os.path.join(self.drive_c, *parts[1:])
        os.makedirs(os.path.dirname(unix), exist_ok=True)
        top = os.path.join(self.drive_c, parts[1])
        if top not in self.made:
            self.made.append(top)
        bits = ["-b", "16"] if unix.lower().endswith(".wav") else []  # plain 16-bit PCM
        r = subprocess.run(["sox", "-n", "-r", "44100", "-c", "2", *bits, unix,
                            "synth", str(TONE_SECONDS), "sine", str(TONE_HZ), "vol", "0.5"],
                           capture_output=True, text=True)
        self.assertEqual(r.returncode, 0, f"sox could not write {unix}: {r.stderr}")
        return windows_path

    def run_saver(self, settings_bytes, seconds, channels, keys=(), before_exit=None):
        """Runs /s with a Wine trace for `seconds` after the window shows, sends `keys`
        (spaced out), then a space to end it. Returns (trace text, seconds shown)."""
        self.s.write_ini(settings_bytes)
        trace_path = os.path.join(self.trace_dir, "trace.txt")
        env = dict(pulse_env(), WINEDEBUG="+timestamp," + channels)
        with open(trace_path, "wb") as trace:
            p = self.s.start_scr("/s", env=env, stderr=trace)
            try:
                self.assertTrue(self.s.wait_window(SAVER, proc=p), "no saver window")
                self.assertTrue(self.s.wait_focus(SAVER, proc=p), "the saver window never got the focus")
                shown = time.monotonic()
                time.sleep(seconds)  # the music's own time
                for k in keys:
                    self.s.key(k)
                    time.sleep(0.4)
                if before_exit:
                    before_exit()
                self.s.key("space")
                p.wait(timeout=GUARD)
                self.assertEqual(p.returncode, 0)
            finally:
                if p.poll() is None:
                    p.kill()
                p.wait()
        with open(trace_path, "rb") as f:
            return f.read().decode("utf-8", errors="replace"), time.monotonic() - shown


class MediaCommands(MusicBase):
    """What the saver sends to the media control interface, as Wine saw it."""

    def test_mp3_opens_plays_polls_each_second_and_closes_at_the_exit(self):
        path = self.make_tone(r"C:\music\tone.mp3")
        trace, _ = self.run_saver(settings(2, path), seconds=4.5, channels="+mci,+winmm")
        calls = mci_calls(trace)
        print("\n  MP3:", calls[:3], "...", calls[-2:])
        self.assertGreaterEqual(len(calls), 4, trace[-3000:])
        opened = calls[0]
        self.assertEqual(opened.command, 'open "C:\\music\\tone.mp3" type MPEGVideo Alias MP3Play')
        self.assertEqual(opened.capacity, 0)
        self.assertEqual(commands(calls[-2:]), ["stop MP3Play", "close MP3Play"])
        # A failed open (what the saver then does is a unit test's) means this machine
        # cannot play MP3 under this Wine: a failure here, with Wine's reason.
        self.assertTrue(opened.ok, f"the MP3 did not open: {self.why_no_mp3(trace) or opened}")
        middle = calls[1:-2]
        self.assertEqual(middle[0].command, "play MP3Play")
        middle = middle[1:]
        # Every second: the mode query, and after the file's end the restart from 0.
        polls = [c for c in middle if c.command == "status MP3Play mode"]
        self.assertGreaterEqual(len(polls), 3)
        for c in polls:
            self.assertEqual(c.capacity, 30)
        gaps = [b.at - a.at for a, b in zip(polls, polls[1:])]
        print("  seconds between polls:", " ".join(f"{g:.3f}" for g in gaps))
        for g in gaps:
            self.assertGreater(g, 0.5)
            self.assertLess(g, 2.0)
        restarts = 0
        i = 0
        while i < len(middle):
            c = middle[i]
            self.assertEqual(c.command, "status MP3Play mode", middle)
            if c.ok and c.reply.startswith("playing"):
                i += 1
                continue
            self.assertEqual(commands(middle[i + 1:i + 3]), ["stop MP3Play", "play MP3Play from 0"], middle)
            restarts += 1
            i += 3
        # 1.5 s of sound in 4.5 s of polling: it ended and was started again.
        self.assertGreaterEqual(restarts, 1)
        for c in middle:
            self.assertTrue(c.ok, c)

    def test_a_path_with_blanks_opens(self):
        path = self.make_tone(r"C:\my music\a tone.mp3")
        trace, _ = self.run_saver(settings(2, path), seconds=1.5, channels="+mci,+winmm")
        calls = mci_calls(trace)
        self.assertEqual(calls[0].command, 'open "C:\\my music\\a tone.mp3" type MPEGVideo Alias MP3Play')
        if not calls[0].ok and self.why_no_mp3(trace):
            self.skipTest("no MP3 file opens here at all: " + self.why_no_mp3(trace))
        self.assertTrue(calls[0].ok, calls[0])
        self.assertEqual(calls[1].command, "play MP3Play")
        self.assertTrue(calls[1].ok, calls[1])

    def test_a_quote_in_the_path_sends_no_open(self):
        # Windows (and Wine) refuse such a name, so the settings' file test already drops
        # it; whatever the route, the quote must never reach an open command.
        self.make_tone(r"C:\music\tone.mp3")
        for file in ('C:\\music\\tone.mp3" type waveaudio alias x "C:\\music\\tone.mp3',
                     'C:\\music\\"tone.mp3'):
            with self.subTest(file=file):
                trace, _ = self.run_saver(settings(2, file), seconds=1.5, channels="+mci")
                self.assertEqual([c for c in mci_calls(trace) if c.command.startswith("open")], [])

    def test_cd_without_a_drive_polls_once_and_is_left_alone_at_the_exit(self):
        trace, _ = self.run_saver(settings(1), seconds=2.0, channels="+mci", keys=("Right", "Left"),
                                  before_exit=lambda: self.assertTrue(self.s.windows(SAVER), "arrows ended it"))
        calls = mci_calls(trace)
        print("\n  CD:", calls)
        self.assertEqual(commands(calls[:3]),
                         ["open cdaudio", "set cdaudio time format tmsf", "status cdaudio current track"])
        self.assertEqual([c.capacity for c in calls[:3]], [0, 0, 512])
        first_poll = calls[2]
        self.assertFalse(first_poll.ok, "Wine has no CD drive here; the query should fail")
        # No second poll in the two seconds before the arrows (Timer2 switched itself off),
        # each arrow asks for the current track and jumps next to "track 0" (an error reads
        # as 0), and the exit neither stops nor closes the CD.
        rest = calls[3:]
        self.assertEqual(len(rest), 6, rest)
        self.assertEqual(commands(rest[0:2]), ["status cdaudio current track", "status cdaudio position track 1"])
        self.assertRegex(rest[2].command, r"^play cdaudio from Error:\d+$")
        self.assertEqual(commands(rest[3:5]), ["status cdaudio current track", "status cdaudio position track -1"])
        self.assertRegex(rest[5].command, r"^play cdaudio from Error:\d+$")
        self.assertGreater(rest[0].at - first_poll.at, 1.5)
        for c in calls:
            self.assertFalse(c.ok, c)

    def test_wav_goes_to_the_sound_player_and_is_stopped_at_the_exit(self):
        path = self.make_tone("C:\\音楽\\桜のうた.wav")
        trace, _ = self.run_saver(settings(2, path), seconds=1.0, channels="+mci,+winmm")
        self.assertEqual(mci_calls(trace), [])  # the media device is not used for WAV
        devices = re.search(r"trace:winmm:waveOutGetNumDevs count: (\d+)", trace)
        self.assertIsNotNone(devices, "the saver did not ask for wave output devices")
        plays = re.findall(r"trace:winmm:MULTIMEDIA_PlaySound pszSound='([0-9A-F]+)' hmod=0+ fdwSound=([0-9A-F]+)",
                           trace)
        print(f"\n  wave output devices: {devices.group(1)}; PlaySound calls (sound, flags): {plays}")
        # Without a device the saver plays nothing (a unit test's); here there must be one.
        self.assertGreater(int(devices.group(1)), 0, "Wine finds no wave output device: is PulseAudio running?")
        self.assertEqual(len(plays), 2)
        self.assertEqual(int(plays[0][1], 16), 9)  # SND_ASYNC | SND_LOOP
        names = [unescape(n) for n in re.findall(r'proc_PlaySound SoundName=L"(.*)" !', trace)]
        self.assertEqual(names[:1], [path])
        self.assertEqual(int(plays[-1][0], 16), 0)  # no sound: stop
        self.assertEqual(int(plays[-1][1], 16), 0)

    @staticmethod
    def why_no_mp3(trace):
        """What Wine's trace says keeps an MP3 file from opening, or None."""
        for line in trace.splitlines():
            if "winegstreamer: failed" in line or "waveOutGetNumDevs count: 0" in line:
                return line.strip()
        return None


class Sound(MusicBase):
    """The music as a person would hear it: recorded from the sink Wine plays into."""

    def setUp(self):
        if _pulse is None:
            self.skipTest(_pulse_error)
        super().setUp()

    def record(self, settings_bytes, seconds):
        rec = Recording(os.path.join(self.trace_dir, "out.wav"))
        ended = [None]

        def mark_end():
            ended[0] = time.monotonic()
        try:
            trace, _ = self.run_saver(settings_bytes, seconds, channels="+mci,+winmm", before_exit=mark_end)
            time.sleep(0.3)
        finally:
            rec.stop()
        windows = rec.windows()
        # Up to just before the key: the stop at the exit is not a gap in the music.
        end_index = len(windows) - math.ceil((rec.stopped - ended[0] + 0.2) / WINDOW)
        return trace, windows, end_index

    def check_sound(self, name, windows, end_index):
        report = sound_report(windows, end_index)
        rms = " ".join(str(int(r)) for r, _ in windows[:end_index])
        print(f"\n  {name}: RMS per 100 ms up to the exit key: {rms}")
        self.assertIsNotNone(report, f"{name}: no sound at all")
        onset, gap, loud, span = report
        print(f"  {name}: sound from {onset * WINDOW:.1f} s, {loud * WINDOW:.1f} s of sound in "
              f"{span * WINDOW:.1f} s, longest silence {gap * WINDOW:.1f} s")
        # Long enough to have passed the file's end at least twice.
        self.assertGreaterEqual(span * WINDOW, 2 * TONE_SECONDS + 1.0, "the saver ran too short a time")
        self.assertLessEqual(gap * WINDOW, LONGEST_GAP, f"{name}: the music did not come back")
        self.assertGreater(loud * WINDOW, 1.5 * TONE_SECONDS, f"{name}: it played only once")
        # It is our tone: 440 Hz crosses zero 88 times in 100 ms.
        crossings = sorted(c for r, c in windows[onset:end_index] if r >= 4 * SILENT_RMS)
        median = crossings[len(crossings) // 2]
        print(f"  {name}: zero crossings per 100 ms (median of loud windows): {median}")
        self.assertAlmostEqual(median, 2 * TONE_HZ * WINDOW, delta=4)

    def test_wav_loops_for_as_long_as_the_saver_runs(self):
        path = self.make_tone(r"C:\music\tone.wav")
        trace, windows, end = self.record(settings(2, path), seconds=8)
        devices = re.search(r"waveOutGetNumDevs count: (\d+)", trace)
        if devices and devices.group(1) == "0":
            self.skipTest("Wine finds no wave output device although PulseAudio runs "
                          "(waveOutGetNumDevs count: 0)")
        self.check_sound("WAV", windows, end)

    def test_mp3_starts_again_within_a_second_of_its_end(self):
        path = self.make_tone(r"C:\music\tone.mp3")
        trace, windows, end = self.record(settings(2, path), seconds=8)
        calls = mci_calls(trace)
        if calls and not calls[0].ok and MediaCommands.why_no_mp3(trace):
            self.skipTest("no MP3 file opens here: " + MediaCommands.why_no_mp3(trace))
        self.assertTrue(calls and calls[0].ok, calls[:2])
        restarts = [c for c in calls if c.command == "play MP3Play from 0"]
        print(f"\n  MP3: {len(restarts)} restarts from 0 in the trace")
        self.check_sound("MP3", windows, end)


if __name__ == "__main__":
    unittest.main()
