/* chime (UNDF) */
static TONE tone_chime[] =
{
        /*Tempo: 120bpm*/        
        REPEAT_BEGIN(3)
        TONE(RING_NOTE_A2, TONE_TIME_IN_MS(250))
        TONE(RING_NOTE_E2, TONE_TIME_IN_MS(500))
        REPEAT_END,
        TONE(AUD_TONE_FREQ_OFF, TONE_TIME_IN_MS(250))
        REPEAT_BEGIN(2)
        TONE(RING_NOTE_C3, TONE_TIME_IN_MS(500))
        TONE(RING_NOTE_A2, TONE_TIME_IN_MS(500))
        REPEAT_END,
};
