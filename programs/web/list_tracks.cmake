# Writes MUSIC/tracks.txt: the names of the MIDI files in MUSIC, one a line.
file(GLOB tracks RELATIVE ${MUSIC} ${MUSIC}/*.mid ${MUSIC}/*.midi)
list(SORT tracks)
list(JOIN tracks "\n" text)
file(WRITE ${MUSIC}/tracks.txt "${text}\n")
