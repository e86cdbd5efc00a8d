#pragma once

#include "SkinError.h"
#include "VideoEncoding.h"

#include <QImage>
#include <QString>
#include <expected>
#include <functional>

// Encodes frames drawn in memory to an H.264 MP4 with the skins library's encoder and pipeline runner.
class FrameEncoder
{
public:
    using FrameSource = std::function<QImage(int index)>;

    static std::expected<void, SkinError> encode(const QString& path, int size, int frameRate, int frameCount,
                                                 const H264Settings& settings, const FrameSource& frames);
};
