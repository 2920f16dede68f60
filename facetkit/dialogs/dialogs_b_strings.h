// Texts of the profile editors that the message catalogue lacks: why a typed
// profile name or cut value is not taken. German at the id, English at
// id + 2000. Plain defines: the resource compiler reads this file too.
#pragma once

#define DLG_TEXT_PROFILE_NAME_BAD 5504   /* name */
#define DLG_TEXT_CUT_VALUE_BAD 5505      /* typed, low, high */
#define DLG_TEXT_MP3_EXISTS 5506         /* path */
#define DLG_TEXT_SAME_FILE 5507           /* path */
#define DLG_TEXT_RESERVED_NAME 5508       /* name */
#define DLG_TEXT_ADDRESS_MISSING 5509     /* no arguments */
#define DLG_TEXT_PODCAST_AT_ONCE 5510     /* no arguments */
#define DLG_TEXT_COPY_FAILED 5511         /* chosen path, recorded path */
#define DLG_TEXT_RIGHTS 5512              /* no arguments */
#define DLG_TEXT_COMPANY 5513             /* no arguments */
