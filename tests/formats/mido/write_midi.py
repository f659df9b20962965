# Writes with python3-mido the MIDI files the importer is checked against,
# into the folder given. mido writes running status wherever the status
# repeats.
import sys

import mido

folder = sys.argv[1]


def note(track, key, wait, length, channel=0):
    track.append(mido.Message("note_on", note=key, velocity=90, time=wait, channel=channel))
    track.append(mido.Message("note_off", note=key, velocity=0, time=length, channel=channel))


# Format 0: one track, 120 then 60 bpm, a chord of three.
zero = mido.MidiFile(type=0, ticks_per_beat=480)
t = mido.MidiTrack()
zero.tracks.append(t)
t.append(mido.MetaMessage("track_name", name="Zero"))
t.append(mido.MetaMessage("set_tempo", tempo=500000))
note(t, 69, 0, 480)
for key in (60, 64, 67):
    t.append(mido.Message("note_on", note=key, velocity=90, time=0))
t.append(mido.Message("note_on", note=60, velocity=0, time=240))
t.append(mido.Message("note_on", note=64, velocity=0, time=0))
t.append(mido.Message("note_on", note=67, velocity=0, time=0))
t.append(mido.MetaMessage("set_tempo", tempo=1000000, time=240))
note(t, 72, 0, 480)
note(t, 74, 240, 120)
zero.save(folder + "/format0.mid")

# Format 1: a tempo track (120, then 75 bpm), a lead, drums and a bass.
one = mido.MidiFile(type=1, ticks_per_beat=96)
tempo = mido.MidiTrack()
one.tracks.append(tempo)
tempo.append(mido.MetaMessage("track_name", name="Song"))
tempo.append(mido.MetaMessage("set_tempo", tempo=500000))
tempo.append(mido.MetaMessage("set_tempo", tempo=800000, time=384))
lead = mido.MidiTrack()
one.tracks.append(lead)
lead.append(mido.MetaMessage("track_name", name="Lead"))
for i, key in enumerate((72, 74, 76, 77, 79, 81)):
    note(lead, key, 0 if i == 0 else 48, 48)
drums = mido.MidiTrack()
one.tracks.append(drums)
for i in range(16):
    note(drums, 36, 0, 48, channel=9)
bass = mido.MidiTrack()
one.tracks.append(bass)
bass.append(mido.MetaMessage("track_name", name="Bass"))
note(bass, 36, 0, 384, channel=1)
note(bass, 43, 0, 384, channel=1)
one.save(folder + "/format1.mid")
