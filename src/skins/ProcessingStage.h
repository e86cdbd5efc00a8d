#pragma once

#include <QString>

enum class ProcessingStage
{
    validating,
    compressing,
    cropping,
    finalizing,
};

QString processingStageText(ProcessingStage stage);
