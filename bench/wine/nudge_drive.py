#!/usr/bin/env python3
"""Presses the nudge chord on the X display and times Reticor2.exe's answer.

Run by scripts/bench-nudge in Wine's environment, with the program started and
a plain Wine window focused:

    nudge_drive.py WATCH_COMMAND... -- STEPS GLIDE

Ctrl+Alt+Shift is held with `xdotool keydown`. The arrows go in through the X
server's XTEST extension, as xdotool sends them (through libXtst, which
xdotool itself uses), so that each press is stamped with the wall clock as it
leaves; bench/wine/nudge_watch.cpp, under Wine, stamps with the same clock
when the nineteen windows stand at their new place.

0. Warm-up: one step, until it arrives. Wine takes a modifier pressed at the
   moment its window gets the focus as not held; the chord is pressed again
   (up to five times) until a step arrives. Nothing here is counted.
1. STEPS single steps, Right and Left in turn: press, release 16.5 ms later, as
   `xdotool key --delay 33` does; the next press once the step has arrived (or
   a second has passed) and 50 ms more. Key to the first window moved and
   key to the nineteenth: median, p99, max.
2. A held arrow at 30 repeats a second: GLIDE presses of Right, one every
   33 ms (press, 16.5 ms, release, 16.5 ms). The pixels the cross moved against
   the presses sent, the time from the last press to the last step, and how
   long each step came after its own press.
3. The same held arrow sent by `xdotool key --delay 33 Right...` itself: the
   pixels counted, and the last step against the moment xdotool returned
   (16.5 ms after its last release).
A lost step, a step of another size, or a last step more than one repeat
(33 ms) after the last key prints a FINDING line.
"""
import ctypes
import ctypes.util
import statistics
import subprocess
import sys
import time

XK_LEFT, XK_RIGHT = 0xFF51, 0xFF53
HALF_REPEAT_S = 0.0165  # xdotool key --delay 33: 16.5 ms down, 16.5 ms up
REPEAT_NS = 33_000_000


class Keys:
    def __init__(self):
        self.x11 = ctypes.CDLL(ctypes.util.find_library("X11") or "libX11.so.6")
        self.xtst = ctypes.CDLL(ctypes.util.find_library("Xtst") or "libXtst.so.6")
        self.x11.XOpenDisplay.restype = ctypes.c_void_p
        self.x11.XOpenDisplay.argtypes = [ctypes.c_char_p]
        self.x11.XKeysymToKeycode.argtypes = [ctypes.c_void_p, ctypes.c_ulong]
        self.x11.XKeysymToKeycode.restype = ctypes.c_ubyte
        self.x11.XFlush.argtypes = [ctypes.c_void_p]
        self.x11.XSync.argtypes = [ctypes.c_void_p, ctypes.c_int]
        self.xtst.XTestFakeKeyEvent.argtypes = [ctypes.c_void_p, ctypes.c_uint, ctypes.c_int, ctypes.c_ulong]
        self.display = self.x11.XOpenDisplay(None)
        if not self.display:
            sys.exit("nudge_drive: cannot open the X display")
        self.codes = {k: self.x11.XKeysymToKeycode(self.display, k) for k in (XK_LEFT, XK_RIGHT)}

    def send(self, keysym, down):
        """Sends one key event; the wall clock once it has gone to the server."""
        self.xtst.XTestFakeKeyEvent(self.display, self.codes[keysym], 1 if down else 0, 0)
        self.x11.XFlush(self.display)
        return time.time_ns()

    def press(self, keysym):
        """Press, 16.5 ms, release: the press's time."""
        pressed = self.send(keysym, True)
        time.sleep(HALF_REPEAT_S)
        self.send(keysym, False)
        return pressed

    def sync(self):
        self.x11.XSync(self.display, 0)


class Watch:
    def __init__(self, command):
        self.proc = subprocess.Popen(command, stdin=subprocess.PIPE, stdout=subprocess.PIPE, text=True, bufsize=1)

    def line(self):
        text = self.proc.stdout.readline()
        if not text:
            sys.exit("nudge_drive: the watcher ended")
        return text.strip()

    def ask(self, command):
        self.proc.stdin.write(command + "\n")
        self.proc.stdin.flush()
        return self.line()

    def arm(self, command):
        if self.ask(command) != "armed":
            sys.exit("nudge_drive: the watcher did not arm")

    def close(self):
        self.proc.stdin.write("quit\n")
        self.proc.stdin.flush()
        self.proc.wait(timeout=10)


def ms(ns):
    return ns / 1e6


def p99(values):
    ordered = sorted(values)
    return ordered[min(len(ordered) - 1, int(0.99 * len(ordered)))]


def summary(values):
    return (f"median {ms(statistics.median(values)):.3f} ms, p99 {ms(p99(values)):.3f} ms,"
            f" max {ms(max(values)):.3f} ms")


def modifiers(action):
    subprocess.run(["xdotool", action, "ctrl+alt+shift"], check=True)


def clock_offset(watch):
    """Wine's wall clock against this one, from the narrowest of a few round trips."""
    best = None
    for _ in range(20):
        before = time.time_ns()
        wine = int(watch.ask("clock").split()[1])
        after = time.time_ns()
        if best is None or after - before < best[0]:
            best = (after - before, wine - (before + after) // 2)
    return best


def warm_up(keys, watch):
    modifiers("keydown")
    for attempt in range(1, 6):
        watch.arm("step 1 0 500")
        keys.press(XK_RIGHT)
        if watch.line().startswith("moved"):
            return attempt
        modifiers("keyup")
        modifiers("keydown")
    sys.exit("nudge_drive: the chord never reached the program")


def single_steps(keys, watch, count):
    latencies, firsts, lost = [], [], []
    for i in range(count):
        keysym, dx = (XK_LEFT, -1) if i % 2 == 0 else (XK_RIGHT, 1)
        watch.arm(f"step {dx} 0 1000")
        pressed = keys.press(keysym)
        answer = watch.line().split()
        if answer[0] == "moved":
            firsts.append(int(answer[1]) - pressed)
            latencies.append(int(answer[2]) - pressed)
        else:
            lost.append((i + 1, " ".join(answer)))
            if answer[0] == "odd":
                break
        time.sleep(0.05)
    return latencies, firsts, lost


def glide(watch, count, send):
    """The watcher's steps while `send` sends the keys: what `send` returned,
    the times of the steps, and the pixels reached (all, fewest, most)."""
    watch.arm(f"glide 1 0 {count} 1000")
    sent = send()
    levels = []
    while True:
        answer = watch.line().split()
        if answer[0] == "level":
            levels.append(int(answer[2]))
        elif answer[0] == "end":
            return sent, levels, [int(v) for v in answer[1:]]
        else:
            sys.exit("nudge_drive: the watcher said " + " ".join(answer))


def main():
    split = sys.argv.index("--")
    watch = Watch(sys.argv[1:split])
    steps, count = int(sys.argv[split + 1]), int(sys.argv[split + 2])
    if watch.line() != "windows 19":
        sys.exit("nudge_drive: the watcher did not find the nineteen windows")
    keys = Keys()
    round_trip, offset = clock_offset(watch)
    print(f"Clocks: Wine's wall clock {ms(offset):+.3f} ms from this one (round trip {ms(round_trip):.3f} ms)")
    print(f"Warm-up: the chord reached the program at attempt {warm_up(keys, watch)}")
    findings = []

    latencies, firsts, lost = single_steps(keys, watch, steps)
    print(f"Single steps: {steps} sent, {len(latencies)} arrived, {len(lost)} lost")
    for i, what in lost:
        findings.append(f"step {i}: {what}")
    if latencies:
        print(f"  key to the first window moved: {summary(firsts)}")
        print(f"  key to the nineteenth window moved: {summary(latencies)}")

    def held_arrow():
        presses, due = [], time.monotonic()
        for _ in range(count):
            presses.append(keys.press(XK_RIGHT))
            due += 2 * HALF_REPEAT_S
            time.sleep(max(0.0, due - time.monotonic()))
        keys.sync()
        return presses

    presses, levels, (reached, least, most) = glide(watch, count, held_arrow)
    print(f"Held arrow (XTEST), 30 repeats a second: {count} sent over {ms(presses[-1] - presses[0]):.0f} ms,"
          f" the cross moved {reached} px (each window {least} to {most} px)")
    if reached != count or most != count:
        findings.append(f"held arrow: {count} sent, {reached} to {most} px moved")
    if levels:
        last = levels[-1] - presses[-1]
        lags = [level - press for level, press in zip(levels, presses)]
        print(f"  last key to the last step: {ms(last):.3f} ms")
        print(f"  each step after its own key: {summary(lags)}")
        if last > REPEAT_NS:
            findings.append(f"held arrow: the last step came {ms(last):.1f} ms after the last key")

    def by_xdotool():
        subprocess.run(["xdotool", "key", "--delay", "33"] + ["Right"] * count, check=True)
        return time.time_ns()

    returned, levels, (reached, least, most) = glide(watch, count, by_xdotool)
    print(f"Held arrow (xdotool key --delay 33): {count} sent, the cross moved {reached} px"
          f" (each window {least} to {most} px)")
    if levels:
        print(f"  last step {ms(levels[-1] - returned):+.3f} ms from xdotool's return")
    if reached != count or most != count:
        findings.append(f"held arrow by xdotool: {count} sent, {reached} to {most} px moved")
    watch.close()
    modifiers("keyup")
    for finding in findings:
        print("FINDING: " + finding)
    return 0


if __name__ == "__main__":
    sys.exit(main())
