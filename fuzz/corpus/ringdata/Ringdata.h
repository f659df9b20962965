/* Ringdata.h: ring tones of the Quelo test handset.
   An example for the Quelo tune editor; each tone below shows a different
   shape of tone definition. */

#ifndef RINGDATA_H
#define RINGDATA_H

/* Morning (MRNG): vibra segments, in the editor's own layout. */
static TONE tone_morning[] =
{
        /*Tempo: 160bpm*/        
        VIBRA_ON,
        TONE(AUD_NOTE_C2, TONE_TIME_IN_MS(187))
        TONE(AUD_NOTE_E2, TONE_TIME_IN_MS(187))
        TONE(AUD_NOTE_G2, TONE_TIME_IN_MS(375))
        VIBRA_OFF,
        TONE(AUD_TONE_FREQ_OFF, TONE_TIME_IN_MS(187))
        TONE(AUD_NOTE_G2, TONE_TIME_IN_MS(187))
        TONE(AUD_NOTE_E2, TONE_TIME_IN_MS(187))
        VIBRA_ON,
        TONE(AUD_NOTE_C3, TONE_TIME_IN_MS(750))
        VIBRA_OFF,
};

/* Chime (CHM2): repeat blocks, second note name set. */
static TONE tone_chime[] = {
        /*Tempo: 120bpm*/
        REPEAT_BEGIN(3)
        TONE(RING_NOTE_A2, TONE_TIME_IN_MS(250))
        TONE(RING_NOTE_E2, TONE_TIME_IN_MS(250))
        TONE(AUD_TONE_FREQ_OFF, TONE_TIME_IN_MS(250))
        REPEAT_END,
        REPEAT_BEGIN(2)
        TONE(RING_NOTE_C3, TONE_TIME_IN_MS(500))
        TONE(RING_NOTE_A2, TONE_TIME_IN_MS(500))
        REPEAT_END,
};

/* Office (OFC1): frequencies of its own, custom notes, a polite section. */
static TONE tone_office[] = {
        /*Tempo: 160bpm*/
        FREQ_DEFINE((1200), (1600), (2400))
        VOLUME_SET(AUD_VOLUME_RING),
        TONE(1, TONE_TIME_IN_MS(93))
        TONE(2, TONE_TIME_IN_MS(93))
        TONE(AUD_TONE_FREQ_OFF, TONE_TIME_IN_MS(93))
        /*POLITE*/
        TONE(AUD_TONE_FS6, TONE_TIME_IN_MS(187))
        TONE(AUD_TONE_B6, TONE_TIME_IN_MS(187))
        TONE(3, TONE_TIME_IN_MS(375))
        /*POLITE*/
        TONE(AUD_TONE_FS7, TONE_TIME_IN_MS(375))
        VOLUME_RESTORE,
};

/* Waltz (WLTZ): lengths as parts of one NOTE_TIME. */
static TONE tone_waltz[] =
{
#define NOTE_TIME(time) TONE_TIME_IN_MS(250*time)
        /*Tempo: 120bpm*/
        TONE(AUD_NOTE_A, NOTE_TIME(1/2))
        TONE(AUD_NOTE_H, NOTE_TIME(1/2))
        TONE(AUD_NOTE_C2, NOTE_TIME)
        TONE(AUD_TONE_FREQ_OFF, NOTE_TIME(1/4))
        TONE(AUD_NOTE_E2, NOTE_TIME(2))
        TONE(AUD_NOTE_D2, NOTE_TIME(12/16))
};

/* Plain (PLN0): written by hand, lengths in milliseconds, no tempo line. */
static TONE tone_plain[] = {
    TONE(AUD_NOTE_A2, TONE_TIME_IN_MS(100)),
    TONE(AUD_TONE_RING_FREQ_PAUSE, TONE_TIME_IN_MS(100)),
    TONE(AUD_NOTE_A2, TONE_TIME_IN_MS(200)),
    TONE(DEV_TONE_FREQ_OFF, TONE_TIME_IN_MS(100)),
    TONE(AUD_NOTE_A2, TONE_TIME_IN_MS(200)),
    TONE(AUD_NOTE_E3, TONE_TIME_IN_MS(400)),
};

#endif /* RINGDATA_H */
