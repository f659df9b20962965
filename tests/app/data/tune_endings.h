/* Tunes whose sound goes on past their last note: the WAV files of the
   editor and tunetool must agree on how far. */

/* A pause after the last note: the editor's text does not keep it. */
static TONE tone_pause_after[] =
{
        /*Tempo: 160bpm*/
        TONE(AUD_NOTE_E2, TONE_TIME_IN_MS(375))
        TONE(AUD_NOTE_C2, TONE_TIME_IN_MS(750))
        TONE(AUD_TONE_FREQ_OFF, TONE_TIME_IN_MS(500))
};

/* The last repeat block closes after a pause past the last note. */
static TONE tone_repeat_after[] =
{
        /*Tempo: 120bpm*/
        TONE(AUD_NOTE_A2, TONE_TIME_IN_MS(250))
        REPEAT_BEGIN(2)
        TONE(AUD_NOTE_E2, TONE_TIME_IN_MS(250))
        TONE(AUD_TONE_FREQ_OFF, TONE_TIME_IN_MS(250))
        REPEAT_END,
        VIBRA_ON,
        TONE(AUD_TONE_FREQ_OFF, TONE_TIME_IN_MS(100))
        VIBRA_OFF,
};
