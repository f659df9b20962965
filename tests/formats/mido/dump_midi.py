# Prints what python3-mido reads in a MIDI file, one item a line, with
# absolute ticks: "file <type> <ticks per beat> <tracks>", then per track
# "name", "tempo", "marker" and "note <key> <on> <off> <channel>" lines.
import sys

import mido

mid = mido.MidiFile(sys.argv[1])
print("file", mid.type, mid.ticks_per_beat, len(mid.tracks))
for track in mid.tracks:
    now = 0
    sounding = {}
    notes = []
    for msg in track:
        now += msg.time
        if msg.type == "track_name":
            print("name", msg.name)
        elif msg.type == "set_tempo":
            print("tempo", now, msg.tempo)
        elif msg.type == "marker":
            print("marker", now, msg.text)
        elif msg.type == "note_on" and msg.velocity > 0:
            sounding[(msg.channel, msg.note)] = now
        elif msg.type in ("note_on", "note_off"):
            start = sounding.pop((msg.channel, msg.note))
            notes.append((start, msg.note, now, msg.channel))
    for start, note, end, channel in sorted(notes):
        print("note", note, start, end, channel)
