// Draws the bundled cats and encodes them into resources/Skins. Run by hand after changing the
// artwork; the generated files are committed.
//
//   tabbywatch_skingen <Skins folder>            writes every skin
//   tabbywatch_skingen --preview <folder>        writes one contact sheet per skin and state instead

#include "CatPainter.h"
#include "FrameEncoder.h"
#include "Skin.h"
#include "SkinMetadata.h"
#include "SkinRendition.h"

#include <QCommandLineParser>
#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QPainter>
#include <QSaveFile>
#include <cstdio>

namespace {
constexpr int frameSize = 480;
constexpr int frameRate = 30;
constexpr int loopFrames = 4 * frameRate;
constexpr int thumbnailSize = 256;

struct BundledSkin
{
    const char* id;
    const char* name;
    Coat coat;
};

const QColor outline(0x2b, 0x24, 0x30);

QList<BundledSkin> bundledSkins()
{
    return {
        {"00000000-0000-0000-0000-000000000001", "Default Cat",
         Coat{QColor(0x9d, 0xa3, 0xad), QColor(0x5b, 0x61, 0x6d), QColor(0xec, 0xec, 0xef),
              QColor(0x9c, 0xd1, 0x4f), outline, false}},
        {"3F6B2C1E-8A4D-4F7B-9C2E-5D1A7B3E9F04", "Orange Tabby",
         Coat{QColor(0xf3, 0xa4, 0x52), QColor(0xc7, 0x65, 0x26), QColor(0xfd, 0xe7, 0xc8),
              QColor(0x6f, 0xb9, 0x3c), outline, false}},
        {"B7E4D2A9-1C3F-4E8B-A6D5-2F9C8E1B4A73", "Tuxedo",
         Coat{QColor(0x3a, 0x3b, 0x47), QColor(), QColor(0xf7, 0xf7, 0xf9), QColor(0xf4, 0xd0, 0x3f),
              QColor(0x14, 0x12, 0x18), true}},
    };
}

const QList<std::pair<ClaudeStatus, QString>> states{
    {ClaudeStatus::idle, QStringLiteral("idle.mp4")},
    {ClaudeStatus::working, QStringLiteral("working.mp4")},
    {ClaudeStatus::needsInput, QStringLiteral("needs_input.mp4")},
    {ClaudeStatus::completed, QStringLiteral("completed.mp4")},
};

bool writePreview(const CatPainter& painter, ClaudeStatus state, const QString& path, int tile, int count)
{
    // Moments spread over the loop, then the first frame again to check the seam.
    QImage sheet(tile * (count + 1), tile, QImage::Format_RGB32);
    QPainter p(&sheet);
    p.setRenderHint(QPainter::SmoothPixmapTransform);
    for (int i = 0; i <= count; ++i)
        p.drawImage(QRect(i * tile, 0, tile, tile),
                    painter.frame(state, double(i % count) / count, frameSize));
    return sheet.save(path);
}

bool writeSkin(const BundledSkin& skin, const QString& skinsFolder)
{
    const CatPainter painter(skin.coat);
    const QDir folder(QDir(skinsFolder).filePath(QString::fromLatin1(skin.id)));
    if (!QDir().mkpath(folder.path()))
        return false;
    H264Settings settings{"veryslow", 27, loopFrames, "animation"};
    for (const auto& [state, fileName] : states) {
        std::fprintf(stderr, "%s: %s\n", skin.name, qPrintable(fileName));
        const auto result =
            FrameEncoder::encode(folder.filePath(fileName), frameSize, frameRate, loopFrames, settings,
                                 [&, state = state](int index) {
                                     return painter.frame(state, double(index) / loopFrames, frameSize);
                                 });
        // The small copy is drawn at its own size rather than scaled from the full one.
        const auto small = FrameEncoder::encode(
            SkinRendition::smallPath(folder.filePath(fileName)), SkinRendition::smallSide, frameRate,
            loopFrames, settings, [&, state = state](int index) {
                return painter.frame(state, double(index) / loopFrames, SkinRendition::smallSide);
            });
        for (const auto& outcome : {result, small}) {
            if (!outcome) {
                std::fprintf(stderr, "encoding failed: %s\n", qPrintable(outcome.error().description));
                return false;
            }
        }
    }
    if (!painter.thumbnail(thumbnailSize).save(folder.filePath(QStringLiteral("thumbnail.png"))))
        return false;

    SkinMetadata metadata;
    metadata.name = QString::fromUtf8(skin.name);
    metadata.author = QStringLiteral("Tabbywatch");
    metadata.createdDate = QDateTime(QDate(2026, 12, 1), QTime(0, 0), Qt::UTC);
    metadata.type = SkinType::bundled;
    metadata.idleVideoPath = states[0].second;
    metadata.workingVideoPath = states[1].second;
    metadata.needsInputVideoPath = states[2].second;
    metadata.completedVideoPath = states[3].second;
    metadata.thumbnailPath = QStringLiteral("thumbnail.png");
    QSaveFile file(folder.filePath(QStringLiteral("metadata.json")));
    return file.open(QIODevice::WriteOnly) && file.write(metadata.toJson()) >= 0 && file.commit();
}
} // namespace

int main(int argc, char* argv[])
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("Draws and encodes the bundled cat skins."));
    parser.addHelpOption();
    QCommandLineOption preview(QStringLiteral("preview"), QStringLiteral("Write contact sheets to <folder>."),
                               QStringLiteral("folder"));
    parser.addOption(preview);
    QCommandLineOption tile(QStringLiteral("tile"),
                            QStringLiteral("Size of one preview frame (160, a small panel)."),
                            QStringLiteral("pixels"), QStringLiteral("160"));
    parser.addOption(tile);
    QCommandLineOption moments(QStringLiteral("moments"),
                               QStringLiteral("Moments of the loop per sheet (8)."), QStringLiteral("count"),
                               QStringLiteral("8"));
    parser.addOption(moments);
    parser.addPositionalArgument(QStringLiteral("skins"), QStringLiteral("The Skins folder to write."));
    parser.process(app);

    if (parser.isSet(preview)) {
        const QDir folder(parser.value(preview));
        QDir().mkpath(folder.path());
        for (const BundledSkin& skin : bundledSkins()) {
            const CatPainter painter(skin.coat);
            const QString prefix = QString::fromLatin1(skin.name).replace(u' ', u'_');
            for (const auto& [state, fileName] : states) {
                if (!writePreview(painter, state,
                                  folder.filePath(prefix + u'_' + claudeStatusText(state) + ".png"),
                                  parser.value(tile).toInt(), std::max(1, parser.value(moments).toInt())))
                    return 1;
            }
            painter.thumbnail(thumbnailSize).save(folder.filePath(prefix + "_thumbnail.png"));
        }
        return 0;
    }
    if (parser.positionalArguments().size() != 1) {
        parser.showHelp(2);
    }
    for (const BundledSkin& skin : bundledSkins()) {
        if (!writeSkin(skin, parser.positionalArguments().first()))
            return 1;
    }
    return 0;
}
