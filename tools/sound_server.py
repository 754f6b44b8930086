"""A private PulseAudio sound server with a null sink, and a recorder of what is played to it,
for the tests and figures that listen to the game as a desktop plays it."""
import os
import signal
import subprocess
import threading
import time

RATE = 48000
FRAME_BYTES = 4  # 16-bit stereo


class SoundServer:
    """PulseAudio in a folder of its own, playing into a sink that goes nowhere ("out"), whose
    monitor is recorded from the server's start to its stop (ready in two seconds). `env` is what a client needs to find
    it, and only it: no autospawn, no other server. Stopped and started again at will; stopped
    when the session ends."""

    def __init__(self, folder):
        self.folder = folder
        self.socket = os.path.join(folder, "native")
        config = os.path.join(folder, "client.conf")
        with open(config, "w") as f:
            f.write("autospawn = no\n")
        self.env = {"PULSE_SERVER": "unix:" + self.socket, "PULSE_CLIENTCONFIG": config,
                    "PULSE_RUNTIME_PATH": folder, "PULSE_STATE_PATH": folder,
                    "PULSE_COOKIE": os.path.join(folder, "cookie")}
        self.process = None
        self.recorder = None
        self.started_at = None

    def __enter__(self):
        return self

    def __exit__(self, *exc):
        self.stop()

    def start(self):
        """Starts the server and its recorder; `started_at` is when it first answered."""
        # As root PulseAudio warns that it is meant for a user's session, and runs all the same.
        env = dict(os.environ, HOME=self.folder, XDG_RUNTIME_DIR=self.folder, **self.env)
        env.pop("DISPLAY", None)
        self.process = subprocess.Popen(
            ["pulseaudio", "--daemonize=no", "-n", "--exit-idle-time=-1", "--use-pid-file=no",
             "--log-target=stderr", "--log-level=error",
             "-L", f"module-native-protocol-unix auth-anonymous=1 socket={self.socket}",
             "-L", f"module-null-sink sink_name=out rate={RATE} channels=2"],
            env=env, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        deadline = time.monotonic() + 20
        while self.pactl("info").returncode != 0:
            if self.process.poll() is not None or time.monotonic() > deadline:
                raise RuntimeError("the sound server did not start")
            time.sleep(0.02)
        self.started_at = time.monotonic()
        self.recorder = Recorder(self)

    def stop(self):
        if self.process is not None:
            self.process.send_signal(signal.SIGTERM)
            try:
                self.process.wait(timeout=10)
            except subprocess.TimeoutExpired:
                self.process.kill()
                self.process.wait()
            self.process = None
            self.recorder.stop()

    def pactl(self, *args):
        return subprocess.run(["pactl", *args], env=dict(os.environ, **self.env),
                              capture_output=True, text=True, timeout=10)

    def record(self):
        """What the sink plays from now on, once the recorder has started."""
        self.recorder.wait_ready()
        return Clip(self.recorder)

    def players(self):
        """How many streams play to the server."""
        listed = self.pactl("list", "short", "sink-inputs")
        return len(listed.stdout.splitlines()) if listed.returncode == 0 else 0


class Recorder:
    """The sink's monitor, recorded as 16-bit stereo at RATE while the server runs. Each piece is
    stamped with the monotonic clock it arrived at, so a sample's time can be told. The null
    sink renders in blocks of two seconds until a stream asks for less, and a recorder that
    joins late waits out the block, so there is one recorder, started with the server and ready
    once its first samples arrive; with the sink's silence between sounds it never pauses."""

    def __init__(self, server):
        self.process = subprocess.Popen(
            ["parec", "-d", "out.monitor", "--raw", "--format=s16le", f"--rate={RATE}",
             "--channels=2", "--latency-msec=5"],
            env=dict(os.environ, **server.env), stdout=subprocess.PIPE,
            stderr=subprocess.DEVNULL)
        self.data = bytearray()
        self.stamps = []  # (monotonic seconds at arrival, sample frames recorded by then)
        self.reader = threading.Thread(target=self._read, daemon=True)
        self.reader.start()

    def wait_ready(self):
        deadline = time.monotonic() + 10
        while not self.stamps and time.monotonic() < deadline:
            time.sleep(0.01)

    def _read(self):
        while True:
            piece = os.read(self.process.stdout.fileno(), 1 << 14)
            if not piece:
                return
            self.data += piece
            self.stamps.append((time.monotonic(), len(self.data) // FRAME_BYTES))

    def frames(self):
        return len(self.data) // FRAME_BYTES

    def samples(self, start, end):
        data = bytes(self.data[start * FRAME_BYTES:end * FRAME_BYTES])
        return memoryview(data).cast("h").tolist()

    def time_of(self, frame):
        """When sample frame `frame` was played, on the monotonic clock."""
        return self._start() + frame / RATE

    def frame_at(self, moment):
        """The sample frame the sink plays at `moment` on the monotonic clock (see time_of)."""
        return int((moment - self._start()) * RATE)

    def _start(self):
        # Each piece arrives after its last sample was played: the earliest bound holds for all.
        return min(at - frames / RATE for at, frames in self.stamps)

    def stop(self):
        self.process.terminate()
        self.process.wait()
        self.reader.join()


class Clip:
    """A stretch of a recording, from its making on."""

    def __init__(self, recorder):
        self.recorder = recorder
        self.start = recorder.frames()
        self.end = None

    def samples(self):
        """The samples so far (or to the stop), left and right interleaved."""
        end = self.end if self.end is not None else self.recorder.frames()
        return self.recorder.samples(self.start, end)

    def stop(self, after=0.1):
        """Ends the clip at what the sink plays `after` seconds from now, once the recorder has
        it: on a busy machine the recording comes in late, and a clip cut by the clock would
        lose its end, or all of it. Returns its samples."""
        end = self.recorder.frame_at(time.monotonic() + after)
        deadline = time.monotonic() + 30  # only for a recorder that stopped
        while self.recorder.frames() < end and time.monotonic() < deadline:
            time.sleep(0.01)
        self.end = max(self.start, min(end, self.recorder.frames()))
        return self.samples()

    def time_of(self, frame):
        return self.recorder.time_of(self.start + frame)
