#pragma once

#include <QString>
#include <gst/gst.h>

// The H.264-in-MP4 writing shared by the crop, the compression and the skin generator.
struct H264Settings
{
    // x264's speed preset name.
    const char* speedPreset = "faster";
    // Constant quality (x264's rate factor): lower is better and larger.
    int quality = 23;
    // Frames between key frames; 0 leaves the encoder's choice.
    int keyframeInterval = 0;
    // x264's psychovisual tuning ("animation" suits flat cartoons); nullptr for none.
    const char* psyTune = nullptr;

    static H264Settings forCrop();
    static H264Settings forCompression();

    // The same encoder as a gst-launch-1.0 element description, for baselines measured elsewhere.
    QString launchDescription() const;
};

namespace VideoEncoding {
// Adds videoconvert ! I420 ! x264enc to the bin, linked; returns the first element, or nullptr when a
// plugin is missing. *encoder receives the x264enc.
GstElement* addH264Encoder(GstBin* bin, const H264Settings& settings, GstElement** encoder);
// Adds mp4mux ! filesink writing to path; returns the muxer, or nullptr when a plugin is missing.
GstElement* addMp4Writer(GstBin* bin, const QString& path, bool fastStart);
// Links upstream's src pad to a new request pad of the muxer ("video_%u", "audio_%u").
bool linkToMuxer(GstElement* upstream, GstElement* muxer, const char* padTemplate);
} // namespace VideoEncoding
