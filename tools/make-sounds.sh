#!/bin/bash
# Synthesises the bunny runner's music and sound effects with sox and writes
# them as mono Ogg Vorbis files. The results are committed, so building the
# game never needs sox; run this again only to change a sound.
#
#   tools/make-sounds.sh [OUTPUT_DIR]      (default: assets/sounds)
#
# Needs Debian's sox and libsox-fmt-all (for the Vorbis encoder).
set -euo pipefail

here=$(cd "$(dirname "$0")" && pwd)
out=${1:-"$here/../assets/sounds"}
mkdir -p "$out"
out=$(cd "$out" && pwd)

if ! command -v sox >/dev/null 2>&1; then
    echo "make-sounds.sh: sox not found (apt-get install sox libsox-fmt-all)" >&2
    exit 1
fi
if ! sox -h 2>/dev/null | grep -q 'AUDIO FILE FORMATS:.* vorbis'; then
    echo "make-sounds.sh: this sox cannot write Ogg Vorbis (apt-get install libsox-fmt-all)" >&2
    exit 1
fi

RATE=22050
# Vorbis quality (0..10): 3 keeps every file small and still clean.
QUALITY=3
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# Every intermediate file shares one format so that sox can concatenate and
# mix them without resampling. They are not dithered (the noise would only
# pile up through the later steps), and -R fixes the noise generator's seed
# so that every run writes the same files.
raw() { sox -q -R -D -r "$RATE" -c 1 -b 16 "$@"; }

# Semitones from A4 (440 Hz) for a note name such as C5, F#4 or Bb3; sox's
# synth takes a frequency written as %N.
semitones() {
    local name=$1 letter accidental octave base
    letter=${name:0:1}
    accidental=0
    case ${name:1:1} in
        '#') accidental=1; octave=${name:2} ;;
        b) accidental=-1; octave=${name:2} ;;
        *) octave=${name:1} ;;
    esac
    case $letter in
        C) base=-9 ;; D) base=-7 ;; E) base=-5 ;; F) base=-4 ;;
        G) base=-2 ;; A) base=0 ;; B) base=2 ;;
        *) echo "make-sounds.sh: bad note '$name'" >&2; exit 1 ;;
    esac
    echo $(( base + accidental + 12 * (octave - 4) ))
}

# One note of SAMPLES samples in the timbre INSTRUMENT, written to FILE.
# Each timbre carries its own envelope, so consecutive notes never click.
tone() {
    local instrument=$1 note=$2 samples=$3 file=$4 f tail
    f=%$(semitones "$note")
    tail=$(( samples * 2 / 3 ))
    case $instrument in
        lead)  # soft square lead, short attack, gentle release
            raw -n "$file" synth "${samples}s" square "$f" vol 0.35 lowpass 2800 \
                fade q 0.004 "${samples}s" 0.05 ;;
        bell)  # sine with a second partial, decaying like a glockenspiel
            raw -n "$work/bell-a.wav" synth "${samples}s" sine "$f" vol 0.8
            raw -n "$work/bell-b.wav" synth "${samples}s" sine "%$(( $(semitones "$note") + 19 ))" vol 0.8
            raw -m -v 0.8 "$work/bell-a.wav" -v 0.2 "$work/bell-b.wav" "$file" \
                fade q 0.002 "${samples}s" "${tail}s" vol 0.5 ;;
        bass)  # filtered sawtooth that dies away like a plucked string
            raw -n "$file" synth "${samples}s" sawtooth "$f" vol 0.6 lowpass 700 \
                fade l 0.004 "${samples}s" "${tail}s" ;;
        *) echo "make-sounds.sh: bad instrument '$instrument'" >&2; exit 1 ;;
    esac
}

silence() { raw -n "$2" trim 0 "$1s"; }

# Renders a voice: a list of NOTE:LENGTH tokens (LENGTH counted in UNIT
# samples, NOTE "r" for a rest) concatenated into FILE. Identical notes are
# synthesised once.
voice() {
    local instrument=$1 unit=$2 file=$3 token note count samples part
    shift 3
    local parts=()
    for token in $*; do
        note=${token%%:*}
        count=${token##*:}
        samples=$(( unit * count ))
        part="$work/$instrument-$note-$samples.wav"
        if [ ! -f "$part" ]; then
            if [ "$note" = r ]; then silence "$samples" "$part"
            else tone "$instrument" "$note" "$samples" "$part"; fi
        fi
        parts+=("$part")
    done
    raw "${parts[@]}" "$file"
}

# Drum hits, each a fraction of a beat long.
make_hits() {
    raw -n "$work/hit-k.wav" synth 0.13 sine 130:42 vol 0.7 fade q 0.002 0.13 0.1
    raw -n "$work/hit-s1.wav" synth 0.11 whitenoise vol 0.4 highpass 1200 lowpass 7000 fade q 0.001 0.11 0.1
    raw -n "$work/hit-s2.wav" synth 0.11 sine 190:160 vol 0.35 fade q 0.001 0.11 0.09
    raw -m -v 1 "$work/hit-s1.wav" -v 1 "$work/hit-s2.wav" "$work/hit-s.wav"
    raw -n "$work/hit-h.wav" synth 0.035 whitenoise vol 0.2 highpass 7000 fade q 0.001 0.035 0.03
}

# A drum track: one token per UNIT-sample slot, made of the letters k (kick),
# s (snare) and h (hi-hat), or "-" for an empty slot.
drums() {
    local unit=$1 file=$2 token slot letters i
    shift 2
    local parts=()
    for token in $*; do
        slot="$work/slot-$token-$unit.wav"
        if [ ! -f "$slot" ]; then
            if [ "$token" = - ]; then
                silence "$unit" "$slot"
            else
                # The silent bed sets the slot's length; sox -m stretches the
                # shorter hits with silence to match it.
                silence "$unit" "$work/bed.wav"
                letters=(-v 1 "$work/bed.wav")
                for (( i = 0; i < ${#token}; i++ )); do
                    letters+=(-v 1 "$work/hit-${token:i:1}.wav")
                done
                raw -m "${letters[@]}" "$slot" trim 0 "${unit}s"
            fi
        fi
        parts+=("$slot")
    done
    raw "${parts[@]}" "$file"
}

# Writes WAV as Ogg Vorbis with its peak at PEAK dBFS (default -3), which
# keeps the lossy encoding clear of clipping and balances the effects, whose
# plain waveforms sound louder than the music at the same peak.
encode() {
    sox -q -R "$1" -C "$QUALITY" "$out/$2" gain -n "${3:--3}"
    echo "wrote $out/$2"
}

make_hits

# ---------------------------------------------------------------- music ----

# Play music: 16 bars of C major at about 136 beats a minute, one unit an
# eighth note (0.22 s), so the loop lasts 28.2 s. Four sections over the
# progression give the ear something new every 7 seconds:
#   A  C Am F G    B  F G Em Am    A' C Am F G    C  Am F C G
E=4851
voice lead $E "$work/bg-lead.wav" \
    E5:1 G5:1 C6:2 G5:1 E5:1 G5:2 \
    A5:1 C6:1 E6:2 C6:1 A5:1 E5:2 \
    F5:1 A5:1 C6:2 A5:1 F5:1 A5:1 C6:1 \
    B5:2 D6:1 B5:1 G5:2 r:2 \
    A5:3 G5:1 F5:2 A5:2 \
    G5:3 F5:1 D5:2 B4:2 \
    E5:1 G5:1 B5:1 E6:1 D6:2 B5:2 \
    C6:3 B5:1 A5:4 \
    C6:1 r:1 C6:1 B5:1 C6:2 G5:2 \
    A5:1 r:1 A5:1 G5:1 A5:2 E5:2 \
    F5:1 G5:1 A5:1 C6:1 F6:2 E6:1 D6:1 \
    D6:2 B5:2 G5:1 A5:1 B5:2 \
    E6:2 D6:1 C6:1 B5:2 A5:2 \
    A5:1 C6:1 F6:2 E6:1 C6:1 A5:2 \
    G5:1 E5:1 G5:1 C6:1 E6:2 G6:2 \
    F6:1 E6:1 D6:1 B5:1 G5:2 D5:2

# Bass pattern per bar: root, root, fifth, octave, fifth, root.
bar_bass() { echo "$1:2 $1:1 $2:1 $3:2 $2:1 $1:1"; }
voice bass $E "$work/bg-bass.wav" \
    $(bar_bass C3 G3 C4) $(bar_bass A2 E3 A3) $(bar_bass F2 C3 F3) $(bar_bass G2 D3 G3) \
    $(bar_bass F2 C3 F3) $(bar_bass G2 D3 G3) $(bar_bass E2 B2 E3) $(bar_bass A2 E3 A3) \
    $(bar_bass C3 G3 C4) $(bar_bass A2 E3 A3) $(bar_bass F2 C3 F3) $(bar_bass G2 D3 G3) \
    $(bar_bass A2 E3 A3) $(bar_bass F2 C3 F3) $(bar_bass C3 G3 C4) $(bar_bass G2 D3 G3)

# Drums thin out in section B and fill the bar before each repeat.
beat_a="kh h sh h kh kh sh h"
beat_b="k - h - k - h h"
fill="kh h sh h s s sh s"
drums $E "$work/bg-drums.wav" \
    $beat_a $beat_a $beat_a $fill \
    $beat_b $beat_b $beat_b $fill \
    $beat_a $beat_a $beat_a $fill \
    $beat_a $beat_a $beat_a $fill
raw -m -v 0.4 "$work/bg-lead.wav" -v 0.45 "$work/bg-bass.wav" -v 0.35 "$work/bg-drums.wav" "$work/background.wav"
encode "$work/background.wav" background.ogg

# Title music: a bright bell tune over a bouncing bass, 8 bars at 150 beats
# a minute (unit 0.2 s), 12.8 s, light hi-hat only.
T=4410
voice bell $T "$work/st-bell.wav" \
    C6:1 E6:1 G6:1 E6:1 C6:2 G5:2 \
    A5:1 C6:1 F6:1 C6:1 A5:2 F5:2 \
    G5:1 B5:1 D6:1 G6:1 F6:1 D6:1 B5:2 \
    C6:2 E6:2 G6:4 \
    A5:1 C6:1 E6:1 A6:1 G6:2 E6:2 \
    F6:1 E6:1 D6:1 C6:1 A5:2 C6:2 \
    D6:1 C6:1 B5:1 D6:1 G6:2 B5:2 \
    C6:3 G5:1 C6:4
voice bass $T "$work/st-bass.wav" \
    C3:2 G3:2 C3:2 G3:2  F2:2 C3:2 F2:2 C3:2  G2:2 D3:2 G2:2 D3:2  C3:2 G3:2 C3:2 G2:2 \
    A2:2 E3:2 A2:2 E3:2  F2:2 C3:2 F2:2 C3:2  G2:2 D3:2 G2:2 B2:2  C3:2 G2:2 C3:4
drums $T "$work/st-drums.wav" \
    $(for bar in 1 2 3 4 5 6 7; do echo "k h h h k h h h"; done) "k h h h k - - -"
raw -m -v 0.55 "$work/st-bell.wav" -v 0.4 "$work/st-bass.wav" -v 0.25 "$work/st-drums.wav" "$work/start.wav"
encode "$work/start.wav" start.ogg

# -------------------------------------------------------------- effects ----

# Jump: a quick rising square blip.
raw -n "$work/jump.wav" synth 0.2 square 330:1320 vol 0.5 lowpass 4000 fade q 0.003 0.2 0.07
encode "$work/jump.wav" jump.ogg -8

# Death: three falling notes, then a wobbling slide down to the floor.
voice lead 2646 "$work/end-notes.wav" G5:1 E5:1 C5:1
raw -n "$work/end-slide.wav" synth 0.75 square 262:65 vol 0.4 lowpass 2000 tremolo 9 60 \
    fade q 0.005 0.75 0.35
raw "$work/end-notes.wav" "$work/end-slide.wav" "$work/short_end.wav"
encode "$work/short_end.wav" short_end.ogg -5

# Play: a bright rising two-note chime.
voice bell 2205 "$work/play-notes.wav" G5:1 C6:3
encode "$work/play-notes.wav" play.ogg -4

# Quit: a soft falling "bye-bye".
voice bell 2646 "$work/quit-notes.wav" G5:1 E5:1 C5:3
encode "$work/quit-notes.wav" quit.ogg -4
