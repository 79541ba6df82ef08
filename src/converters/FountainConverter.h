#pragma once

#include "converters/FountainMode.h"

#include <QString>

namespace hb {

// Turns pasted plain text, prose or an interview transcript, into a Fountain screenplay.
//
// Input: a leading byte-order mark is dropped and Windows or old Mac line ends count as line
// ends. A passage is a run of lines up to a blank line.
//
// Prose: every passage becomes action, its lines joined with single spaces. Quoted speech stays
// in the action; timecodes are ordinary text.
//
// Transcript: a speaker line ("NAME: text") starts dialogue under the name in capitals. A
// timecode may stand before the name ("[00:01:02] NAME:", "(00:01:02) NAME:", "00:01:02 NAME:")
// or after it ("NAME (00:01:02):"). A name alone on the first line of a passage ("JOHN:",
// "INTERVIEWER", "John Smith", "Speaker 1  0:03") starts dialogue with the lines that follow.
// Following lines continue the speech up to a blank line or the next speaker; a line wholly in
// parentheses, such as "(laughs)", becomes a parenthetical. Every other line is action.
// A name is 1 to 4 words and at most 40 characters of letters, digits, spaces, periods,
// apostrophes and hyphens; it starts with a capital letter, every word that starts with a letter
// starts with a capital, and it ends with a letter or digit, so a sentence is never a name. The
// colon after a name must be followed by a space or the end of the line, which keeps "http://"
// and "10:30" out. A name alone without a colon or timecode must also be written in capitals,
// or recur as such a line elsewhere in the text, or have at least two words.
//
// Auto: Transcript when the text holds at least two speaker turns and more than half of its
// non-empty lines (timecode-only lines aside) belong to them; Prose otherwise. Here a name alone
// of capitalised words counts only when it is in capitals or recurs, as a heading such as
// "Chapter One" is otherwise easily taken for a speaker.
//
// Options: preserveIndentation keeps the line breaks of every passage and the leading spaces of
// action lines (each tab as four spaces, as Fountain reads action); without it lines are joined
// and trimmed. includeTimecodes writes the timecode of a speaker line, of a line holding only a
// timecode, or a bracketed one in front of other text as a note, "[[00:01:02]]": on its own line
// before the speech it times, or in front of an action line. Without it those timecodes are
// dropped. A bare clock in front of ordinary text ("10:30 we left") stays part of the text.
// includeTimecodes only affects transcripts.
//
// Output is Fountain without a title page, one blank line between elements, ending with a line
// break. Whatever Fountain would read as something else is escaped:
// - an action line starting with one of ! @ # ~ = > . gets a leading "!" (forced action), and so
//   does the first line of an action passage that is in capitals (it would read as a character,
//   or a transition) or starts like a scene heading (INT, EXT, EST, INT./EXT, INT/EXT, I/E), and
//   the very first line of the document when it starts like "Key: value" (a title page);
// - a name that, in capitals, holds anything beyond A-Z, digits, spaces and . ' - or starts like
//   a scene heading gets a leading "@" (forced character);
// - "[[" in the input becomes "[ [" and "/*" becomes "/\*", so neither opens a note or boneyard.
//   Fountain has no escape for brackets; the backslash before the star is Fountain's own escape
//   and does not show when the screenplay is rendered.
class FountainConverter {
public:
    FountainConverter() = delete;

    static QString convert(const QString &text, FountainMode mode, bool preserveIndentation,
                           bool includeTimecodes);
    // What Auto reads the text as: Prose or Transcript.
    static FountainMode detectMode(const QString &text);
};

} // namespace hb
