#include "ProcessingStage.h"

QString processingStageText(ProcessingStage stage)
{
    switch (stage) {
    case ProcessingStage::validating:
        return QStringLiteral("Validating video...");
    case ProcessingStage::compressing:
        return QStringLiteral("Compressing video...");
    case ProcessingStage::cropping:
        return QStringLiteral("Cropping to square...");
    case ProcessingStage::finalizing:
        return QStringLiteral("Finalizing...");
    }
    Q_UNREACHABLE();
}
