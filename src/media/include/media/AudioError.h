#pragma once

// Error codes of the audio layer. The values keep the meaning the start-up messages expect
// (no output device 23, no driver 3, ...).
enum AudioError : int {
    AudioOk = 0,
    AudioErrorMemory = 1,
    AudioErrorFileOpen = 2,
    AudioErrorDriver = 3,
    AudioErrorFormat = 6,
    AudioErrorInit = 8,
    AudioErrorAlready = 14,
    AudioErrorNo3D = 21,
    AudioErrorDevice = 23,
    AudioErrorFileFormat = 41,
    AudioErrorCodec = 44,
    AudioErrorUnknown = -1,
};
