/* Doorbell (DB01) */
static TONE tone_doorbell[] =
{
        /*Tempo: 160bpm*/        
        TONE(AUD_NOTE_E2, TONE_TIME_IN_MS(375))
        TONE(AUD_NOTE_C2, TONE_TIME_IN_MS(750))
        TONE(AUD_TONE_FREQ_OFF, TONE_TIME_IN_MS(375))
        /* ding dong, once more */
        TONE(AUD_NOTE_E2, TONE_TIME_IN_MS(375))
        TONE(AUD_NOTE_C2, TONE_TIME_IN_MS(750))
};
