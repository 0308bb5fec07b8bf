#!/usr/bin/env python3
"""Checks a capture of the game's sound against its sound log (SKIRMORA_SOUND_LOG on standard error).

Usage: sound_capture.py <capture.wav> <log> <sounds dir>

Every event must be heard from at most EARLY before its logged moment to LATE after it (the capture
device renders in periods after the fact, so a sound can land up to a period or two early), and
nothing may be heard outside those windows and the clips' lengths. An event well left or right of
the camera's centre must be louder on that side. Prints one line per failure; exits with their number.
"""
import array
import re
import struct
import sys
import wave

EARLY, LATE = 0.030, 0.050


def side_of(across):
    """-1 well left of the camera's centre, 1 well right, else 0 (across in half view widths)."""
    return (across > 0.3) - (across < -0.3)


def read_capture(path):
    """Rate and interleaved stereo int16 samples; the writer's header may be the extensible kind."""
    data = open(path, "rb").read()
    assert data[:4] == b"RIFF" and data[8:12] == b"WAVE", "not a WAV file"
    at, rate, samples = 12, None, None
    while at + 8 <= len(data):
        chunk, size = struct.unpack_from("<4sI", data, at)
        body = data[at + 8 : at + 8 + size]
        if chunk == b"fmt ":
            _, channels, rate, _, _, bits = struct.unpack_from("<HHIIHH", body)
            assert (channels, bits) == (2, 16), f"{channels} channels of {bits} bits"
        elif chunk == b"data":
            samples = array.array("h")
            samples.frombytes(body[: len(body) // 4 * 4])
        at += 8 + size + (size & 1)
    assert rate and samples is not None, "no fmt or data chunk"
    return rate, samples


def main(wav, log, sounds):
    rate, samples = read_capture(wav)
    lines = open(log).read().splitlines()
    opened = float(next(re.search(r"device opened at (\S+)", l).group(1) for l in lines if "device opened" in l))
    events = []
    for line in lines:
        f = line.split()
        if len(f) >= 12 and f[0] == "sound:" and f[2] == "tick":
            t, clip, x, cx, width = float(f[1]) - opened, f[4], float(f[5]), float(f[8]), float(f[10])
            with wave.open(f"{sounds}/{clip}") as w:
                length = w.getnframes() / w.getframerate()
            events.append((t, clip, (x - cx) / (width / 2), length))
    frames = len(samples) // 2
    failures = []
    if not events:
        failures.append("no events logged")
    elif frames < (events[-1][0] + 0.3) * rate:
        failures.append(f"capture of {frames / rate:.2f} s ends before the last event at {events[-1][0]:.2f} s")

    def loud(t0, t1):
        """Left and right energy between t0 and t1 seconds, and the first frame that is not silent."""
        left = right = 0
        first = None
        for i in range(max(0, int(t0 * rate)), min(frames, int(t1 * rate))):
            l, r = samples[2 * i], samples[2 * i + 1]
            if (l or r) and first is None:
                first = i
            left += l * l
            right += r * r
        return left, right, first

    heard = [False] * frames
    sides = set()
    for t, clip, across, length in events:
        if loud(t - EARLY, t + LATE)[2] is None:
            failures.append(f"{clip} at {t:.3f} s is not heard by {t + LATE:.3f} s")
        for i in range(max(0, int((t - EARLY) * rate)), min(frames, int((t + length + LATE) * rate))):
            heard[i] = True
        # Only where every sound near it comes from the same side is the side of the mix its own.
        one_sided = all(abs(u - t) > 0.7 or side_of(a) == side_of(across) for u, _, a, _ in events)
        if one_sided and side_of(across) != 0:
            left, right, _ = loud(t - EARLY, t + length)
            side, near, far = ("left", left, right) if across < 0 else ("right", right, left)
            if near <= 2 * far:
                failures.append(f"{clip} at {t:.3f} s, {side} of centre: energy left {left}, right {right}")
            sides.add(side)
    stray = [i for i in range(frames) if not heard[i] and (samples[2 * i] or samples[2 * i + 1])]
    if stray:
        failures.append(f"{len(stray)} frames heard where nothing happened, the first at {stray[0] / rate:.3f} s")
    if sides != {"left", "right"}:
        failures.append(f"no event heard alone on each side of the camera (only {sorted(sides)})")
    for failure in failures:
        print("capture:", failure)
    print(f"capture: {frames / rate:.2f} s, {len(events)} events, sides checked: {sorted(sides)}")
    return len(failures)


if __name__ == "__main__":
    sys.exit(main(*sys.argv[1:]))
