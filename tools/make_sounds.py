#!/usr/bin/env python3
"""Makes the game's sounds into Content/Sounds/: one per match event, and two quiet ones for the menus.

Standard library only, and deterministic: noise comes from a generator with a fixed seed, so the
same script always writes the same bytes and the committed files can be regenerated and diffed.
Every sound is mono, 16-bit, 44.1 kHz. Each starts and ends with a short fade so that it never
clicks; the wall scrape is a loop whose end runs smoothly into its start.

Usage: tools/make_sounds.py [output directory]   (default: Content/Sounds next to tools/)
"""

import math
import os
import random
import struct
import sys
import wave

RATE = 44100
PEAK = 0.7  # loudest sample of every match sound, as a fraction of full scale
MENU_PEAK = 0.2  # the menus' sounds stay well below the match's
FADE = 0.004  # seconds of fade at each end; long enough to avoid a click, too short to hear


# --- building blocks: each returns a list of floats, one per sample ---

def samples(seconds):
    return range(int(seconds * RATE))


def tone(seconds, start_hz, end_hz, partials=((1, 1.0),), vibrato_hz=0.0, vibrato_depth=0.0):
    """A tone gliding exponentially from start_hz to end_hz, built from (multiple, amplitude) partials."""
    out = []
    phase = 0.0
    count = int(seconds * RATE)
    for i in range(count):
        t = i / RATE
        hz = start_hz * (end_hz / start_hz) ** (i / count)
        hz *= 1.0 + vibrato_depth * math.sin(2.0 * math.pi * vibrato_hz * t)
        phase += 2.0 * math.pi * hz / RATE
        out.append(sum(amp * math.sin(mult * phase) for mult, amp in partials))
    return out


def noise(seconds, rng, low_cut, high_cut):
    """White noise through a one-pole high-pass and low-pass: a band between the two cut-offs (Hz)."""
    def coefficient(hz):
        return math.exp(-2.0 * math.pi * hz / RATE)
    hp, lp = coefficient(low_cut), coefficient(high_cut)
    out = []
    previous_in = previous_hp = low = 0.0
    for _ in samples(seconds):
        x = rng.uniform(-1.0, 1.0)
        high = hp * (previous_hp + x - previous_in)
        previous_in, previous_hp = x, high
        low = (1.0 - lp) * high + lp * low
        out.append(low)
    return out


def envelope(signal, attack, decay):
    """A linear rise over attack seconds, then an exponential fall with time constant decay seconds."""
    rise = max(1, int(attack * RATE))
    return [x * min(1.0, i / rise) * math.exp(-max(0, i - rise) / (decay * RATE)) for i, x in enumerate(signal)]


def mix(*signals):
    length = max(len(s) for s in signals)
    return [sum(s[i] for s in signals if i < len(s)) for i in range(length)]


def scaled(signal, gain):
    return [x * gain for x in signal]


def delayed(signal, seconds):
    return [0.0] * int(seconds * RATE) + signal


def finished(signal, peak_level=PEAK):
    """Fades both ends and sets the peak to peak_level (PEAK unless given)."""
    fade = int(FADE * RATE)
    count = len(signal)
    out = [x * min(1.0, i / fade, (count - 1 - i) / fade) for i, x in enumerate(signal)]
    peak = max(abs(x) for x in out)
    return [x * peak_level / peak for x in out]


def looped(signal, overlap):
    """A loop of len(signal) - overlap samples: its first overlap samples cross-fade (at equal power)
    from the signal's tail into its head, so that the last sample runs on into the first."""
    length = len(signal) - overlap
    out = signal[:length]
    for i in range(overlap):
        w = (i + 0.5) / overlap
        out[i] = signal[length + i] * math.cos(0.5 * math.pi * w) + signal[i] * math.sin(0.5 * math.pi * w)
    peak = max(abs(x) for x in out)
    return [x * PEAK / peak for x in out]


# --- the sounds ---

def ball_thrown(rng):
    """A soft whoosh: a band of noise swelling and fading as the ball leaves."""
    swell = noise(0.28, rng, 300.0, 1800.0)
    count = len(swell)
    return finished([x * math.sin(math.pi * i / count) ** 2 for i, x in enumerate(swell)])


def bullet_fired(rng):
    """A short, bright zap falling in pitch."""
    zap = envelope(tone(0.16, 1400.0, 350.0, ((1, 1.0), (2, 0.35), (3, 0.15))), 0.002, 0.05)
    click = envelope(noise(0.03, rng, 2000.0, 9000.0), 0.001, 0.008)
    return finished(mix(zap, scaled(click, 0.4)))


def bullet_bounced(rng):
    """A high metallic tink: inharmonic partials ringing briefly."""
    ring = tone(0.12, 2600.0, 2600.0, ((1, 1.0), (2.76, 0.5), (5.4, 0.25)))
    return finished(envelope(ring, 0.001, 0.025))


def player1_hit(rng):
    """A low thump with a crunch of noise: player 1 takes a bullet."""
    thump = envelope(tone(0.32, 160.0, 55.0, ((1, 1.0), (2, 0.3))), 0.003, 0.09)
    crunch = envelope(noise(0.12, rng, 150.0, 1200.0), 0.002, 0.03)
    return finished(mix(thump, scaled(crunch, 0.6)))


def bullet_deflected(rng):
    """A clang: two detuned mid tones beating, the bullet knocked back by the ball."""
    clang = tone(0.22, 660.0, 640.0, ((1, 1.0), (1.51, 0.7), (2.02, 0.4), (3.3, 0.2)))
    return finished(envelope(clang, 0.002, 0.06))


def player2_hit(rng):
    """A buzzy descending growl: odd harmonics of a falling tone, player 2 takes its own bullet back."""
    square_ish = ((1, 1.0), (3, 1 / 3), (5, 1 / 5), (7, 1 / 7))
    growl = envelope(tone(0.3, 330.0, 150.0, square_ish, vibrato_hz=28.0, vibrato_depth=0.04), 0.003, 0.1)
    return finished(growl)


def wall_scrape(rng):
    """Rough, grainy friction noise that wavers: a loop of 0.6 s played while the contact lasts."""
    overlap = int(0.05 * RATE)
    grit = noise(0.6 + overlap / RATE, rng, 400.0, 3000.0)
    rumble = noise(0.6 + overlap / RATE, rng, 60.0, 400.0)
    # Waver at whole cycles per loop, so the loop point keeps the rhythm.
    waver = [1.0 + 0.35 * math.sin(2.0 * math.pi * 5.0 * i / (0.6 * RATE)) for i in range(len(grit))]
    return looped([(g + 0.8 * r) * w for g, r, w in zip(grit, rumble, waver)], overlap)


def player_died(rng):
    """A sad slide down with a slow wobble, from A4 to A2."""
    slide = tone(0.45, 440.0, 110.0, ((1, 1.0), (2, 0.25), (3, 0.1)), vibrato_hz=7.0, vibrato_depth=0.03)
    count = len(slide)
    return finished([x * (1.0 - i / count) for i, x in enumerate(slide)])


def player_respawned(rng):
    """A rising major arpeggio, C5 E5 G5, bell-like."""
    def note(hz):
        return envelope(tone(0.2, hz, hz, ((1, 1.0), (2, 0.2), (4, 0.05))), 0.003, 0.06)
    return finished(mix(note(523.25), delayed(note(659.25), 0.1), delayed(note(783.99), 0.2)))


def menu_move(rng):
    """A soft, short tick as the selection moves."""
    tick = envelope(tone(0.05, 1100.0, 1000.0, ((1, 1.0), (2, 0.15))), 0.002, 0.012)
    return finished(tick, MENU_PEAK)


def menu_choose(rng):
    """Two soft rising notes, a fifth apart, as something is chosen."""
    def note(hz):
        return envelope(tone(0.08, hz, hz, ((1, 1.0), (2, 0.1))), 0.003, 0.03)
    return finished(mix(note(660.0), delayed(note(990.0), 0.05)), MENU_PEAK)


SOUNDS = {
    "ballThrown.wav": ball_thrown,
    "bulletFired.wav": bullet_fired,
    "bulletBounced.wav": bullet_bounced,
    "player1Hit.wav": player1_hit,
    "bulletDeflected.wav": bullet_deflected,
    "player2Hit.wav": player2_hit,
    "wallScrape.wav": wall_scrape,
    "playerDied.wav": player_died,
    "playerRespawned.wav": player_respawned,
    # Last, so that adding them left the match's sounds' generators, and so their bytes, as they were.
    "menuMove.wav": menu_move,
    "menuChoose.wav": menu_choose,
}


def write_wav(path, signal):
    frames = b"".join(struct.pack("<h", max(-32767, min(32767, round(x * 32767)))) for x in signal)
    with wave.open(path, "wb") as out:
        out.setnchannels(1)
        out.setsampwidth(2)
        out.setframerate(RATE)
        out.writeframes(frames)


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    out_dir = sys.argv[1] if len(sys.argv) > 1 else os.path.join(here, os.pardir, "Content", "Sounds")
    os.makedirs(out_dir, exist_ok=True)
    for index, (name, make) in enumerate(SOUNDS.items()):
        # A generator per sound, so that changing one sound leaves the others' bytes alone.
        write_wav(os.path.join(out_dir, name), make(random.Random(1000 + index)))


if __name__ == "__main__":
    main()
