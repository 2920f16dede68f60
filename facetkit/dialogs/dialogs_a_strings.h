// Texts of the settings and timer pop-ups that the message catalogue lacks:
// what the user is told when an input cannot be taken as typed. German at
// the id, English at id + 2000, like the catalogue. Plain defines: the
// resource compiler reads this file too.
#pragma once

#define DLG_TEXT_NUMBER_OUT_OF_RANGE 5408      /* label, typed, low, high, stored */
#define DLG_TEXT_NUMBER_MISSING 5409           /* label, stored */
#define DLG_TEXT_NO_SUCH_DATE 5410             /* what, day, month name, year */
#define DLG_TEXT_REPEAT_END_BEFORE_START 5411
#define DLG_TEXT_START_DATE 5412
#define DLG_TEXT_REPEAT_END_DATE 5413
#define DLG_TEXT_TIME_MISSING 5416             /* label */
// The question before the recording-source search ends a running recording.
#define DLG_TEXT_SEARCH_STOPS_RECORDING 5417
#define DLG_TEXT_FOLDER_REFUSED 5418             /* label, typed, kept */
