#include "TestMedia.h"

#include "GstSupport.h"

#include <QFile>

namespace TestMedia {
bool makeClip(const QString& path, const QString& description)
{
    if (GstSupport::ensureInitialized())
        return false;
    const QString full = description + QStringLiteral(" ! filesink location=\"%1\"").arg(path);
    GError* error = nullptr;
    GstSupport::ObjectPtr<GstElement> pipeline(gst_parse_launch(full.toUtf8().constData(), &error));
    if (error) {
        qWarning("cannot build clip pipeline: %s", error->message);
        g_clear_error(&error);
        return false;
    }
    GstSupport::ObjectPtr<GstBus> bus(gst_element_get_bus(pipeline.get()));
    GstSupport::MiniObjectPtr<GstMessage> message;
    if (gst_element_set_state(pipeline.get(), GST_STATE_PLAYING) != GST_STATE_CHANGE_FAILURE)
        message.reset(gst_bus_timed_pop_filtered(bus.get(), 60 * GST_SECOND,
                                                 GstMessageType(GST_MESSAGE_EOS | GST_MESSAGE_ERROR)));
    gst_element_set_state(pipeline.get(), GST_STATE_NULL);
    if (message && GST_MESSAGE_TYPE(message.get()) == GST_MESSAGE_ERROR) {
        gst_message_parse_error(message.get(), &error, nullptr);
        qWarning("clip pipeline failed: %s", error->message);
        g_clear_error(&error);
    }
    return message && GST_MESSAGE_TYPE(message.get()) == GST_MESSAGE_EOS;
}

bool setQuarterTurn(const QString& path)
{
    // The track header's 3x3 display matrix of 32-bit fixed-point values, unturned and turned.
    const QByteArray identity =
        QByteArray::fromHex("00010000" + QByteArray(24, '0') + "00010000" + QByteArray(24, '0') + "40000000");
    const QByteArray quarterTurn = QByteArray::fromHex("0000000000010000" + QByteArray(8, '0') + "ffff0000" +
                                                       QByteArray(32, '0') + "40000000");
    QFile file(path);
    QByteArray data = file.open(QIODevice::ReadWrite) ? file.readAll() : QByteArray();
    const qsizetype header = data.indexOf("tkhd");
    const qsizetype matrix = header < 0 ? -1 : data.indexOf(identity, header);
    if (matrix < 0)
        return false;
    data.replace(matrix, identity.size(), quarterTurn);
    return file.seek(0) && file.write(data) == data.size();
}
} // namespace TestMedia
