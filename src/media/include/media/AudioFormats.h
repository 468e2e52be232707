#pragma once

// The demuxers (FFmpeg's names) that may read a chosen audio file, in the preview and in the
// encoder alike: the containers of the program's audio extensions (ADTS AAC, AIFF, WMA, FLAC,
// MP4/M4A, MPEG audio layers I to III, Ogg, WAV). Playlists, concat lists and images stay out.
inline constexpr char AudioFormatWhitelist[] = "aac,aiff,asf,flac,mov,mp4,m4a,mp3,ogg,wav";
