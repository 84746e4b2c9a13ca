#!/usr/bin/env python3
"""Holes inside the elements of a recording of Morse at one speed, from what was heard alone.

    holes_heard.py RECORDING.raw DOT_FRAMES [-v]

RECORDING is 22050 Hz stereo s16le (parec --format=s16le --rate=22050 --channels=2). A sound
is a run of samples with no 20 silent frames inside. Each sound should last a dot or a dash
(3 dots, within 15 %); a silence shorter than 0.6 dot between two sounds is a hole (the
stream ran dry), and a sound of any other length is a broken element (cut short, or two
pieces joined where data was lost). The signs are decoded as well, so a broken letter shows.
"""
import array
import sys

MORSE = {'.-': 'A', '-...': 'B', '-.-.': 'C', '-..': 'D', '.': 'E', '..-.': 'F', '--.': 'G',
         '....': 'H', '..': 'I', '.---': 'J', '-.-': 'K', '.-..': 'L', '--': 'M', '-.': 'N',
         '---': 'O', '.--.': 'P', '--.-': 'Q', '.-.': 'R', '...': 'S', '-': 'T', '..-': 'U',
         '...-': 'V', '.--': 'W', '-..-': 'X', '-.--': 'Y', '--..': 'Z'}


def main():
    samples = array.array('h')
    with open(sys.argv[1], 'rb') as f:
        data = f.read()
    samples.frombytes(data[:len(data) // 4 * 4])
    dot = float(sys.argv[2])
    verbose = '-v' in sys.argv[3:]
    runs, silent = [], 10 ** 9  # [start, end, silence before]
    for frame in range(len(samples) // 2):
        if samples[2 * frame] == 0 and samples[2 * frame + 1] == 0:
            silent += 1
            continue
        if silent >= 20 or not runs:
            runs.append([frame, frame + 1, silent if runs else None])
        runs[-1][1] = frame + 1
        silent = 0
    holes = broken = elements = 0
    text, code, in_broken = '', '', False
    for start, end, gap in runs:
        if gap is not None:
            if gap < 0.6 * dot:
                holes += 1
                broken += not in_broken
                in_broken = True
                code += '?'
                if verbose:
                    print(f'hole of {gap / 22.05:.1f} ms at {start / 22050:.3f} s')
                continue
            in_broken = False
            if gap > 5 * dot:
                text, code = text + MORSE.get(code, '#') + ' ', ''
            elif gap > 2 * dot:
                text, code = text + MORSE.get(code, '#'), ''
        elements += 1
        length = end - start
        if abs(length - dot) < 0.15 * dot:
            code += '.'
        elif abs(length - 3 * dot) < 0.15 * dot:
            code += '-'
        else:
            code += '?'
            broken += 1
            in_broken = True
            if verbose:
                print(f'element of {length / 22.05:.1f} ms at {start / 22050:.3f} s')
    if runs:
        text += MORSE.get(code, '#')
    print(f'elements={elements} holes={holes} broken={broken} heard={text}')


main()
